// The simulated firmware catalogue: GET /firmware/<version>/cn answers a small loose
// JSON object (bare keys in some entries) naming the newest firmware for that version;
// unknown versions get 404.
#pragma once
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "fleet.h"
#include "web/http_conn.h"
#include "web/tcp_server.h"

namespace camsim {

class CatalogueServer {
public:
    explicit CatalogueServer(std::string ip, uint16_t port = 808);
    ~CatalogueServer();

    // The entry for version, with quoted keys or bare ones.
    void AddEntry(const std::string& version, const std::string& name, const std::string& server,
                  const std::string& file, bool bareKeys);
    // The reply text for version, exactly as given.
    void SetRawEntry(const std::string& version, const std::string& text);
    // One entry per version in the fleet: NextVersion of it, fetched from this server's
    // address; every second entry with bare keys.
    void AddFleet(Fleet& fleet);
    void SetFault(int fault, int chunks = 3, int delayMs = 100, int shortBytes = 164);

    bool Start();
    void Stop();
    int Requests() const { return m_nRequests; }

private:
    void Serve(int fd);

    std::string m_ip;
    uint16_t m_port;
    std::mutex m_mu;
    std::map<std::string, std::string> m_entries;
    FaultSpec m_fault;
    std::atomic<int> m_nRequests{0};
    TcpServer m_server;
};

}  // namespace camsim
