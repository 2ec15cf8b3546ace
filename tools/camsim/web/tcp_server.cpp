#include "tcp_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace camsim {

TcpServer::TcpServer(Handler handler) : m_handler(std::move(handler)) {}

TcpServer::~TcpServer() { Stop(); }

bool TcpServer::Start() {
    if (m_acceptor.joinable()) return true;
    if (pipe(m_wake) != 0) return false;
    m_bStop = false;
    m_acceptor = std::thread(&TcpServer::AcceptLoop, this);
    return true;
}

void TcpServer::Wake() {
    char c = 1;
    if (m_wake[1] >= 0) (void)!write(m_wake[1], &c, 1);
}

void TcpServer::Stop() {
    if (!m_acceptor.joinable()) return;
    m_bStop = true;
    Wake();
    m_acceptor.join();
    {
        std::lock_guard<std::mutex> lk(m_mu);
        for (Listener& l : m_listeners) close(l.fd);
        m_listeners.clear();
        for (auto& c : m_conns)
            if (!c->done) shutdown(c->fd, SHUT_RDWR);
    }
    Reap(true);
    close(m_wake[0]);
    close(m_wake[1]);
    m_wake[0] = m_wake[1] = -1;
}

bool TcpServer::Listen(int id, const std::string& ip, uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    if (inet_pton(AF_INET, ip.c_str(), &a.sin_addr) != 1 ||
        bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(fd, 64) != 0) {
        close(fd);
        return false;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    {
        std::lock_guard<std::mutex> lk(m_mu);
        m_listeners.push_back({id, fd, false});
    }
    Wake();
    return true;
}

void TcpServer::Unlisten(int id) {
    std::lock_guard<std::mutex> lk(m_mu);
    for (Listener& l : m_listeners)
        if (l.id == id && !l.closing) {
            // A shut-down listener refuses new connections at once; the acceptor closes it.
            shutdown(l.fd, SHUT_RDWR);
            l.closing = true;
        }
    Wake();
}

void TcpServer::Linger(int fd) {
    // Unread input at close would turn the FIN into a reset and could destroy the reply
    // before the peer read it: end the sending side, then take what is still coming.
    shutdown(fd, SHUT_WR);
    char buf[4096];
    for (int i = 0; i < 10 && !m_bStop; ++i) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        if (recv(fd, buf, sizeof buf, MSG_DONTWAIT) <= 0) return;
    }
}

void TcpServer::Reap(bool all) {
    std::list<std::shared_ptr<Conn>> finished;
    {
        std::lock_guard<std::mutex> lk(m_mu);
        for (auto it = m_conns.begin(); it != m_conns.end();) {
            if (all || (*it)->done) {
                finished.push_back(*it);
                it = m_conns.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& c : finished) c->thread.join();
}

void TcpServer::AcceptLoop() {
    std::vector<pollfd> fds;
    std::vector<int> ids;
    while (!m_bStop) {
        fds.clear();
        ids.clear();
        fds.push_back({m_wake[0], POLLIN, 0});
        ids.push_back(-1);
        {
            std::lock_guard<std::mutex> lk(m_mu);
            for (auto it = m_listeners.begin(); it != m_listeners.end();) {
                if (it->closing) {
                    close(it->fd);
                    it = m_listeners.erase(it);
                    continue;
                }
                fds.push_back({it->fd, POLLIN, 0});
                ids.push_back(it->id);
                ++it;
            }
        }
        if (poll(fds.data(), fds.size(), 100) < 0) continue;
        if (fds[0].revents) {
            char buf[64];
            (void)!read(m_wake[0], buf, sizeof buf);
        }
        for (size_t i = 1; i < fds.size() && !m_bStop; ++i) {
            if (!(fds[i].revents & POLLIN)) continue;
            int cfd = accept4(fds[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (cfd < 0) continue;
            auto conn = std::make_shared<Conn>();
            conn->fd = cfd;
            int id = ids[i];
            std::lock_guard<std::mutex> lk(m_mu);
            conn->thread = std::thread([this, conn, id] {
                m_handler(id, conn->fd);
                Linger(conn->fd);
                std::lock_guard<std::mutex> lk2(m_mu);
                close(conn->fd);
                conn->done = true;
            });
            m_conns.push_back(conn);
        }
        Reap(false);
    }
}

}  // namespace camsim
