#include "http_conn.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <algorithm>
#include <cctype>
#include <ctime>

#include "base/clock.h"

namespace camsim {
namespace {

bool SendAll(int fd, const char* p, size_t n) {
    while (n > 0) {
        ssize_t k = send(fd, p, n, MSG_NOSIGNAL);
        if (k < 1) return false;
        p += k;
        n -= static_cast<size_t>(k);
    }
    return true;
}

std::string HttpDate() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[64];
    std::strftime(buf, sizeof buf, "%a, %d %b %Y %H:%M:%S GMT", &tm);
    return buf;
}

}  // namespace

bool ReadRequestHead(int fd, HttpRequest& req) {
    timeval tv{10, 0};  // a stuck client must not hold the thread for ever
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    std::string data;
    size_t end;
    char buf[4096];
    while ((end = data.find("\r\n\r\n")) == std::string::npos) {
        if (data.size() > 16384) return false;
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n < 1) return false;
        data.append(buf, static_cast<size_t>(n));
    }
    req.pending = data.substr(end + 4);
    std::string_view head(data.data(), end);
    size_t eol = head.find("\r\n");
    std::string_view line = head.substr(0, eol);
    size_t sp1 = line.find(' ');
    size_t sp2 = line.find(' ', sp1 + 1);
    if (sp1 == std::string_view::npos || sp2 == std::string_view::npos) return false;
    req.method = line.substr(0, sp1);
    std::string_view target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    size_t q = target.find('?');
    req.path = target.substr(0, q);
    req.query = q == std::string_view::npos ? "" : target.substr(q + 1);
    while (eol != std::string_view::npos) {
        size_t start = eol + 2;
        eol = head.find("\r\n", start);
        std::string_view h =
            head.substr(start, eol == std::string_view::npos ? head.npos : eol - start);
        size_t colon = h.find(':');
        if (colon == std::string_view::npos) continue;
        std::string name(h.substr(0, colon));
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        std::string_view value = h.substr(colon + 1);
        while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
        req.headers[name] = std::string(value);
    }
    return true;
}

bool ReadBody(int fd, HttpRequest& req, uint64_t n,
              const std::function<void(const char*, size_t)>& sink) {
    size_t take = static_cast<size_t>(std::min<uint64_t>(n, req.pending.size()));
    if (take) sink(req.pending.data(), take);
    req.pending.erase(0, take);
    n -= take;
    char buf[65536];
    while (n > 0) {
        ssize_t k = recv(fd, buf, static_cast<size_t>(std::min<uint64_t>(n, sizeof buf)), 0);
        if (k < 1) return false;
        sink(buf, static_cast<size_t>(k));
        n -= static_cast<uint64_t>(k);
    }
    return true;
}

std::string PercentDecode(std::string_view text) {
    auto hex = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 &&
            hex(text[i + 2]) >= 0) {
            out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::map<std::string, std::string> ParseQuery(std::string_view query) {
    std::map<std::string, std::string> out;
    while (!query.empty()) {
        size_t amp = query.find('&');
        std::string_view kv = query.substr(0, amp);
        size_t eq = kv.find('=');
        if (eq != std::string_view::npos)
            out.emplace(PercentDecode(kv.substr(0, eq)), PercentDecode(kv.substr(eq + 1)));
        if (amp == std::string_view::npos) break;
        query.remove_prefix(amp + 1);
    }
    return out;
}

bool SleepUnlessStopping(int ms, const std::function<bool()>& stopping) {
    uint64_t until = zv::TickCount64() + static_cast<uint64_t>(ms > 0 ? ms : 0);
    while (zv::TickCount64() < until) {
        if (stopping()) return false;
        zv::Sleep(5);
    }
    return !stopping();
}

bool HasExtraBytes(int fd) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 20) <= 0) return false;
    char c;
    return recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT) == 1;
}

void SendReply(int fd, int status, const std::string& contentType, const std::string& bodyIn,
               const FaultSpec& f, const std::function<bool()>& stopping) {
    if (f.fault == kFaultSilent) return;
    std::string body = bodyIn;
    if (f.fault == kFaultLargeBody) body += "var pad=\"" + std::string(11000, 'x') + "\";\r\n";
    // Headers as a camera's small web server sends them; together they exceed the 164
    // bytes the client waits for before it reads a text reply.
    std::string head = status == 200 ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n";
    head += "Server: camsim-web/1.0\r\nDate: " + HttpDate() + "\r\nContent-Type: " + contentType +
            "\r\nCache-Control: no-cache, no-store, must-revalidate\r\nPragma: no-cache\r\n"
            "Expires: 0\r\n";
    if (f.fault != kFaultNoLength)
        head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    switch (f.fault) {
        case kFaultShortReply: {
            std::string all = (head + body).substr(0, static_cast<size_t>(f.shortBytes));
            SendAll(fd, all.data(), all.size());
            return;
        }
        case kFaultCloseMidReply: {
            std::string all = head + body.substr(0, body.size() / 2);
            SendAll(fd, all.data(), all.size());
            return;
        }
        case kFaultChunked: {
            int pieces = std::max(2, f.chunks);
            size_t first = body.size() / static_cast<size_t>(pieces);
            std::string p1 = head + body.substr(0, first);
            if (!SendAll(fd, p1.data(), p1.size())) return;
            size_t rest = body.size() - first;
            size_t step =
                (rest + static_cast<size_t>(pieces) - 2) / static_cast<size_t>(pieces - 1);
            for (size_t at = first; at < body.size(); at += step) {
                if (!SleepUnlessStopping(f.delayMs, stopping)) return;
                if (!SendAll(fd, body.data() + at, std::min(step, body.size() - at))) return;
            }
            return;
        }
        default: {
            std::string all = head + body;
            SendAll(fd, all.data(), all.size());
        }
    }
}

}  // namespace camsim
