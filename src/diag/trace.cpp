#include "diag/trace.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace zv {
namespace {

std::mutex g_dirMu;
std::string g_dir = "/tmp/.zarvon-trace";

bool SendTo(int fd, const std::string& path, const unsigned char* data, size_t len) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    ssize_t r = sendto(fd, data, len, 0, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    return r == static_cast<ssize_t>(len);
}

void PutLE32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

}  // namespace

void SetTraceDirectory(const std::string& dir) {
    std::lock_guard<std::mutex> lk(g_dirMu);
    g_dir = dir;
}

std::string TraceDirectory() {
    std::lock_guard<std::mutex> lk(g_dirMu);
    return g_dir;
}

std::string TraceSocketPath(const char* viewerName) {
    return TraceDirectory() + "/" + viewerName;
}

}  // namespace zv

void TraceOut(const char* format, ...) {
    char text[TRACE_MAX_TEXT + 1] = {};
    va_list ap;
    va_start(ap, format);
    int n = vsnprintf(text, sizeof text, format, ap);
    va_end(ap);
    if (n < 0) return;
    size_t len = static_cast<size_t>(n) < TRACE_MAX_TEXT ? static_cast<size_t>(n) : TRACE_MAX_TEXT;

    unsigned char packet[8 + TRACE_MAX_TEXT];
    zv::PutLE32(packet, TRACE_COPYDATA_TAG);
    zv::PutLE32(packet + 4, static_cast<uint32_t>(len));
    std::memcpy(packet + 8, text, len);

    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    if (!zv::SendTo(fd, zv::TraceSocketPath(TRACE_VIEWER_PRIMARY), packet, 8 + len))
        zv::SendTo(fd, zv::TraceSocketPath(TRACE_VIEWER_SECONDARY), packet, 8 + len);
    close(fd);
}
