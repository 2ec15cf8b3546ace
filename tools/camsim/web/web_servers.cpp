#include "web/web_servers.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>

#include <cctype>
#include <cstdlib>

#include "web/md5.h"

namespace camsim {
namespace {

const std::string kOk = "var result=\"ok\";\r\n";
const std::string kAuthFailed = "var result=\"Auth Failed\";\r\n";
const std::string kError = "var result=\"error\";\r\n";
const std::string kText = "text/plain";

FaultSpec FaultOf(const SimCamera& c) { return {c.webFault, c.faultChunks, c.faultDelayMs}; }

std::string Get(const std::map<std::string, std::string>& m, const std::string& k) {
    auto it = m.find(k);
    return it == m.end() ? std::string() : it->second;
}

}  // namespace

std::string NextVersion(const std::string& v) {
    size_t end = v.size();
    while (end > 0 && !std::isdigit(static_cast<unsigned char>(v[end - 1]))) --end;
    if (end == 0) return v + ".1";
    size_t start = end;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(v[start - 1]))) --start;
    unsigned long long n = std::stoull(v.substr(start, end - start)) + 1;
    return v.substr(0, start) + std::to_string(n) + v.substr(end);
}

std::string NextDhcpAddress(const std::string& ip) {
    in_addr a{};
    if (inet_pton(AF_INET, ip.c_str(), &a) != 1) return ip;
    uint32_t h = ntohl(a.s_addr);
    uint32_t second = ((h >> 16) & 0xFF) % 254 + 1;  // stays inside 127.1 ... 127.254
    h = (h & 0xFF00FFFF) | (second << 16);
    a.s_addr = htonl(h);
    char buf[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &a, buf, sizeof buf);
    return buf;
}

void WaitPeerClose(int fd, const std::function<bool()>& stopping) {
    char buf[4096];
    while (!stopping()) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 20) < 0) return;
        if (p.revents && recv(fd, buf, sizeof buf, MSG_DONTWAIT) == 0) return;
        if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) return;
    }
}

WebServers::WebServers(Fleet& fleet)
    : m_fleet(fleet), m_server([this](int id, int fd) { Serve(id, fd); }) {}

WebServers::~WebServers() { Stop(); }

bool WebServers::Start() {
    if (!m_server.Start()) return false;
    struct Addr {
        std::string ip;
        uint16_t port;
        bool refuse;
    };
    std::vector<Addr> addrs = m_fleet.With([](std::vector<SimCamera>& cams) {
        std::vector<Addr> v;
        for (const SimCamera& c : cams) v.push_back({c.ip, c.httpPort, c.webFault == kFaultRefuse});
        return v;
    });
    bool ok = true;
    for (size_t i = 0; i < addrs.size(); ++i)
        if (!addrs[i].refuse && !m_server.Listen(static_cast<int>(i), addrs[i].ip, addrs[i].port))
            ok = false;
    return ok;
}

void WebServers::Stop() { m_server.Stop(); }

bool WebServers::Authorised(const SimCamera& cam, const std::map<std::string, std::string>& q,
                            bool lowAllowed) const {
    auto match = [&](const std::string& u, const std::string& p) {
        return (u == cam.user && p == cam.pwd) ||
               (lowAllowed && u == cam.lowUser && p == cam.lowPwd);
    };
    bool hasUser = q.count("user") || q.count("loginuse");
    return hasUser && match(Get(q, "user"), Get(q, "pwd")) &&
           (!q.count("loginuse") || match(Get(q, "loginuse"), Get(q, "loginpas")));
}

std::string WebServers::StatusBody(const SimCamera& c) const {
    char mac[32];
    std::snprintf(mac, sizeof mac, "%02X:%02X:%02X:%02X:%02X:%02X", c.mac[0], c.mac[1], c.mac[2],
                  c.mac[3], c.mac[4], c.mac[5]);
    return "var alias=\"" + c.name + "\";\r\nvar deviceid=\"" + c.uid + "\";\r\nvar mac=\"" + mac +
           "\";\r\nvar sys_ver=\"" + c.version + "\";\r\nvar app_version=\"" + c.appVersion +
           "\";\r\nvar oem_id=\"" + c.oemId + "\";\r\nvar params_md5=\"" + c.paramsMd5 +
           "\";\r\nvar result=\"ok\";\r\n";
}

void WebServers::Serve(int index, int fd) {
    auto stopping = [this] { return m_server.Stopping(); };
    HttpRequest req;
    if (!ReadRequestHead(fd, req)) return;
    auto q = ParseQuery(req.query);
    std::string cgi = req.path.empty() ? "" : req.path.substr(1);
    SimCamera cam = m_fleet.With([&](std::vector<SimCamera>& cams) { return cams[index]; });
    FaultSpec fault = FaultOf(cam);
    auto upload = cgi == "upgrade_firmware.cgi" || cgi == "upgrade_htmls.cgi";
    if (fault.fault == kFaultSilent) {
        // Takes the request (an upload's whole body too), then neither acts nor answers.
        if (upload) {
            uint64_t n = std::strtoull(req.headers["content-length"].c_str(), nullptr, 10);
            ReadBody(fd, req, n, [](const char*, size_t) {});
        }
        WaitPeerClose(fd, stopping);
        return;
    }
    bool restart = false;
    std::string body;
    int status = 200;
    if (cgi == "get_status.cgi") {
        body = Authorised(cam, q, true) ? StatusBody(cam) : kAuthFailed;
    } else if (upload) {
        HandleUpload(index, fd, req, cgi, Authorised(cam, q, false), fault);
        return;
    } else if (cgi == "auto_download_file.cgi") {
        if (Authorised(cam, q, false)) {
            std::string order = "server=" + Get(q, "server") + "&port=" + Get(q, "port") +
                                "&file=" + Get(q, "file");
            m_fleet.With([&](std::vector<SimCamera>& cams) {
                cams[index].downloadOrders.push_back(order);
                if (cams[index].newVersion.empty())
                    cams[index].newVersion = NextVersion(cams[index].version);
            });
            body = kOk;
            restart = true;
        } else {
            body = kAuthFailed;
        }
    } else {
        status = 404;
        body = "<html><body>404 Not Found</body></html>\r\n";
    }
    SendReply(fd, status, kText, body, fault, stopping);
    if (restart) Restart(index);
}

void WebServers::HandleUpload(int index, int fd, HttpRequest& req, const std::string& cgi,
                              bool authOk, const FaultSpec& fault) {
    auto stopping = [this] { return m_server.Stopping(); };
    std::string ctype = req.headers["content-type"];
    size_t b = ctype.find("boundary=");
    std::string lengthText = req.headers["content-length"];
    bool ok = b != std::string::npos && !lengthText.empty() &&
              lengthText.find_first_not_of("0123456789") == std::string::npos;
    uint64_t total = ok ? std::stoull(lengthText) : 0;
    std::string boundary = ok ? ctype.substr(b + 9) : "";
    // Part header: the opening delimiter line, header lines, an empty line.
    std::string partHead;
    uint64_t consumed = 0;
    while (ok && partHead.find("\r\n\r\n") == std::string::npos) {
        if (consumed >= total || consumed > 8192 ||
            !ReadBody(fd, req, 1, [&](const char* p, size_t n) { partHead.append(p, n); }))
            ok = false;
        ++consumed;
    }
    std::string closing = "\r\n--" + boundary + "--\r\n";
    ok = ok && partHead.starts_with("--" + boundary + "\r\n") && total >= consumed + closing.size();
    uint64_t fileLen = ok ? total - consumed - closing.size() : 0;
    Md5 md5;
    std::string tail;
    ok = ok && ReadBody(fd, req, fileLen, [&](const char* p, size_t n) { md5.Update(p, n); }) &&
         ReadBody(fd, req, closing.size(), [&](const char* p, size_t n) { tail.append(p, n); }) &&
         tail == closing && req.pending.empty() && !HasExtraBytes(fd);
    if (!ok) {
        SendReply(fd, 200, kText, kError, fault, stopping);
        return;
    }
    if (!authOk) {
        SendReply(fd, 200, kText, kAuthFailed, fault, stopping);
        return;
    }
    std::string name;
    if (size_t f = partHead.find("filename=\""); f != std::string::npos) {
        size_t e = partHead.find('"', f + 10);
        name = partHead.substr(f + 10, e == std::string::npos ? e : e - f - 10);
    }
    std::string digest = md5.HexDigest();
    m_fleet.With([&](std::vector<SimCamera>& cams) {
        SimCamera& c = cams[index];
        c.uploadCgi = cgi;
        c.uploadName = name;
        c.uploadSize = fileLen;
        c.uploadMd5 = digest;
        c.uploadContentMd5 = req.headers["content-md5"];
        if (cgi == "upgrade_firmware.cgi" && c.newVersion.empty())
            c.newVersion = NextVersion(c.version);
        if (cgi == "upgrade_htmls.cgi" && c.newAppVersion.empty())
            c.newAppVersion = NextVersion(c.appVersion);
    });
    SendReply(fd, 200, kText, kOk, fault, stopping);
    Restart(index);
}

void WebServers::Restart(int index) {
    int ms = 0;
    bool wasSilent = false;
    m_fleet.With([&](std::vector<SimCamera>& cams) {
        SimCamera& c = cams[index];
        ms = c.restartMs;
        wasSilent = c.silent;
        c.silent = true;  // a restarting camera answers no search either
        ++c.restarts;
    });
    m_server.Unlisten(index);
    bool go = SleepUnlessStopping(ms, [this] { return m_server.Stopping(); });
    std::string ip;
    uint16_t port = 0;
    m_fleet.With([&](std::vector<SimCamera>& cams) {
        SimCamera& c = cams[index];
        if (!c.newVersion.empty()) c.version = c.newVersion;
        if (!c.newAppVersion.empty()) c.appVersion = c.newAppVersion;
        c.newVersion.clear();
        c.newAppVersion.clear();
        if (c.dhcp) c.ip = c.dhcpNextIp.empty() ? NextDhcpAddress(c.ip) : c.dhcpNextIp;
        ip = c.ip;
        port = c.httpPort;
    });
    if (!go) return;
    m_server.Listen(index, ip, port);
    // Searchable again only once the web server is back, so "not silent" means "serving".
    m_fleet.With([&](std::vector<SimCamera>& cams) { cams[index].silent = wasSilent; });
}

}  // namespace camsim
