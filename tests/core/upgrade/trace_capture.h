// Catches the trace lines of a test: binds the primary viewer name in a private folder
// and hands back every line that arrived.
#pragma once
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "diag/trace.h"

class TraceCapture {
public:
    TraceCapture() {
        char tmpl[] = "/tmp/zarvon-upg-trace-XXXXXX";
        m_dir = mkdtemp(tmpl);
        zv::SetTraceDirectory(m_dir);
        m_path = zv::TraceSocketPath(TRACE_VIEWER_PRIMARY);
        m_fd = socket(AF_UNIX, SOCK_DGRAM, 0);
        int big = 4 << 20;
        setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &big, sizeof big);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strncpy(a.sun_path, m_path.c_str(), sizeof a.sun_path - 1);
        bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    ~TraceCapture() {
        close(m_fd);
        unlink(m_path.c_str());
        rmdir(m_dir.c_str());
    }
    // Every line received so far (the text after the 8-byte packet head).
    std::vector<std::string> Lines() {
        char buf[2048];
        for (;;) {
            ssize_t n = recv(m_fd, buf, sizeof buf, MSG_DONTWAIT);
            if (n <= 0) break;
            if (n > 8) m_lines.emplace_back(buf + 8, static_cast<size_t>(n) - 8);
        }
        return m_lines;
    }
    // The lines among Lines() that are listed in wanted, in arrival order.
    std::vector<std::string> Only(const std::vector<std::string>& wanted) {
        std::vector<std::string> out;
        for (const std::string& l : Lines())
            for (const std::string& w : wanted)
                if (l == w) out.push_back(l);
        return out;
    }

private:
    std::string m_dir, m_path;
    int m_fd = -1;
    std::vector<std::string> m_lines;
};
