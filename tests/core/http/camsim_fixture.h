// Simulated cameras and a catalogue on loopback addresses, for the transport tests.
// Run inside a private network namespace (see the README's test command).
#pragma once
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>

#include "fleet.h"
#include "web/catalogue_server.h"
#include "web/md5.h"
#include "web/web_servers.h"

inline camsim::SimCamera TestCam(const std::string& ip, uint16_t port = 80) {
    camsim::SimCamera c;
    c.ip = ip;
    c.httpPort = port;
    c.name = "cam";
    c.uid = "SIMU-000001";
    c.version = "48.1.2.3";
    c.user = "admin";
    c.pwd = "123456";
    c.restartMs = 300;
    return c;
}

// Milliseconds since t0.
inline long long MsSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 t0)
        .count();
}

// A listener that accepts nothing and reads nothing: connections complete in the
// backlog, sends stall once the buffers are full.
class BareListener {
public:
    explicit BareListener(const char* ip, uint16_t port) {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        int small = 4096;
        setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        inet_pton(AF_INET, ip, &a.sin_addr);
        m_ok = bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && listen(m_fd, 4) == 0;
    }
    ~BareListener() { close(m_fd); }
    bool Ok() const { return m_ok; }
    // True when a connection waits in the backlog.
    bool HasPending() {
        pollfd p{m_fd, POLLIN, 0};
        return poll(&p, 1, 50) > 0;
    }

private:
    int m_fd = -1;
    bool m_ok = false;
};

inline std::string FileMd5(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    camsim::Md5 md5;
    char buf[65536];
    while (in.read(buf, sizeof buf) || in.gcount() > 0)
        md5.Update(buf, static_cast<size_t>(in.gcount()));
    return md5.HexDigest();
}

inline std::string WriteFile(const std::string& name, size_t size) {
    std::string path = ::testing::TempDir() + name;
    std::ofstream out(path, std::ios::binary);
    uint32_t x = 0x12345678;
    std::string block(65536, '\0');
    for (size_t done = 0; done < size;) {
        for (char& c : block) {
            x = x * 1664525u + 1013904223u;
            c = static_cast<char>(x >> 24);
        }
        size_t n = std::min(block.size(), size - done);
        out.write(block.data(), static_cast<std::streamsize>(n));
        done += n;
    }
    return path;
}
