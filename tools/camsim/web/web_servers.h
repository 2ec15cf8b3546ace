// The web side of the simulated fleet: one HTTP server per camera on its ip:httpPort,
// answering the camera CGI pages, accepting firmware uploads and self-download orders,
// then "restarting" (silent for SimCamera::restartMs, back with the new version, a DHCP
// camera at another address).
#pragma once
#include <cstddef>
#include <string>

#include "fleet.h"
#include "web/http_conn.h"
#include "web/tcp_server.h"

namespace camsim {

// The version after an upgrade: the last number of v raised by 1 ("1.2.9" -> "1.2.10").
std::string NextVersion(const std::string& v);
// Where a DHCP camera comes back after a restart: the second byte raised by 1.
std::string NextDhcpAddress(const std::string& ip);

// Waits until the peer closes fd or stopping() turns true.
void WaitPeerClose(int fd, const std::function<bool()>& stopping);

class WebServers {
public:
    explicit WebServers(Fleet& fleet);
    ~WebServers();

    // Serves every camera of the fleet (cameras with kFaultRefuse get no listener).
    // False when an address cannot be bound; the servers that did start keep running.
    bool Start();
    void Stop();

private:
    void Serve(int index, int fd);
    void Restart(int index);
    bool Authorised(const SimCamera& cam, const std::map<std::string, std::string>& q,
                    bool lowAllowed) const;
    std::string StatusBody(const SimCamera& cam) const;
    void HandleUpload(int index, int fd, HttpRequest& req, const std::string& cgi, bool authOk,
                      const FaultSpec& fault);

    Fleet& m_fleet;
    TcpServer m_server;
};

}  // namespace camsim
