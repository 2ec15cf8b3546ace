// zarvon-traceview: the trace viewer. Binds one of the two viewer socket names and
// prints every trace line it receives, as the bytes came, until killed.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "diag/trace.h"

namespace {

uint32_t GetLE32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

int Usage() {
    std::fprintf(stderr,
                 "usage: zarvon-traceview [--secondary] [--dir DIR]\n"
                 "  binds the viewer socket \"%s\" (or, with --secondary, \"%s\")\n"
                 "  in DIR (default %s) and prints every trace line received.\n",
                 TRACE_VIEWER_PRIMARY, TRACE_VIEWER_SECONDARY, zv::TraceDirectory().c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const char* name = TRACE_VIEWER_PRIMARY;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--secondary")
            name = TRACE_VIEWER_SECONDARY;
        else if (a == "--dir" && i + 1 < argc)
            zv::SetTraceDirectory(argv[++i]);
        else
            return Usage();
    }
    std::string dir = zv::TraceDirectory();
    mkdir(dir.c_str(), 0777);
    std::string path = zv::TraceSocketPath(name);

    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) {
        std::fprintf(stderr, "zarvon-traceview: socket path too long: %s\n", path.c_str());
        return 1;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 1;
    unlink(path.c_str());  // a name left by a viewer that was killed
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        std::fprintf(stderr, "zarvon-traceview: cannot bind %s: %s\n", path.c_str(),
                     std::strerror(errno));
        return 1;
    }
    std::fprintf(stderr, "zarvon-traceview: listening on %s\n", path.c_str());

    unsigned char buf[8 + TRACE_MAX_TEXT + 64];
    for (;;) {
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        // Only well-formed trace packets: the tag, then a count that matches the bytes.
        if (n < 8 || GetLE32(buf) != TRACE_COPYDATA_TAG) continue;
        uint32_t len = GetLE32(buf + 4);
        if (len != static_cast<uint32_t>(n - 8) || len > TRACE_MAX_TEXT) continue;
        std::fwrite(buf + 8, 1, len, stdout);
        std::fflush(stdout);
    }
    close(fd);
    return 0;
}
