// A small threaded TCP server: listening sockets by id, one acceptor thread, one thread
// per connection. Shared by the camera web servers and the catalogue server.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace camsim {

class TcpServer {
public:
    // Runs on a connection's own thread; the server closes fd after it returns.
    using Handler = std::function<void(int id, int fd)>;

    explicit TcpServer(Handler handler);
    ~TcpServer();
    TcpServer(const TcpServer&) = delete;
    TcpServer& operator=(const TcpServer&) = delete;

    bool Start();
    // Closes every listener, ends every connection and joins all threads.
    void Stop();
    bool Stopping() const { return m_bStop; }

    // Opens a listener; false when the address cannot be bound.
    bool Listen(int id, const std::string& ip, uint16_t port);
    // Closes the listener of id: from now on its connections are refused.
    void Unlisten(int id);

private:
    struct Listener {
        int id;
        int fd;
        bool closing;
    };
    struct Conn {
        std::thread thread;
        int fd;
        bool done = false;
    };

    void AcceptLoop();
    void Wake();
    void Reap(bool all);
    void Linger(int fd);

    Handler m_handler;
    std::mutex m_mu;
    std::vector<Listener> m_listeners;
    std::list<std::shared_ptr<Conn>> m_conns;
    std::atomic<bool> m_bStop{false};
    int m_wake[2] = {-1, -1};
    std::thread m_acceptor;
};

}  // namespace camsim
