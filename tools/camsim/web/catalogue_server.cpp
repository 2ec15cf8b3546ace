#include "web/catalogue_server.h"

#include <set>

#include "web/web_servers.h"

namespace camsim {

CatalogueServer::CatalogueServer(std::string ip, uint16_t port)
    : m_ip(std::move(ip)), m_port(port), m_server([this](int, int fd) { Serve(fd); }) {}

CatalogueServer::~CatalogueServer() { Stop(); }

void CatalogueServer::AddEntry(const std::string& version, const std::string& name,
                               const std::string& server, const std::string& file, bool bareKeys) {
    auto key = [bareKeys](const char* k) {
        return bareKeys ? std::string(k) : "\"" + std::string(k) + "\"";
    };
    SetRawEntry(version, "{" + key("name") + ":\"" + name + "\"," + key("download_server") + ":\"" +
                             server + "\"," + key("download_file") + ":\"" + file + "\"," +
                             key("size") + ":4194304}");
}

void CatalogueServer::SetRawEntry(const std::string& version, const std::string& text) {
    std::lock_guard<std::mutex> lk(m_mu);
    m_entries[version] = text;
}

void CatalogueServer::AddFleet(Fleet& fleet) {
    std::set<std::string> versions = fleet.With([](std::vector<SimCamera>& cams) {
        std::set<std::string> v;
        for (const SimCamera& c : cams) v.insert(c.version);
        return v;
    });
    bool bare = false;
    for (const std::string& v : versions) {
        std::string next = NextVersion(v);
        AddEntry(v, next, m_ip, "/firmware/" + next + ".bin", bare);
        bare = !bare;
    }
}

void CatalogueServer::SetFault(int fault, int chunks, int delayMs, int shortBytes) {
    std::lock_guard<std::mutex> lk(m_mu);
    m_fault = {fault, chunks, delayMs, shortBytes};
}

bool CatalogueServer::Start() {
    bool refuse;
    {
        std::lock_guard<std::mutex> lk(m_mu);
        refuse = m_fault.fault == kFaultRefuse;
    }
    return m_server.Start() && (refuse || m_server.Listen(0, m_ip, m_port));
}

void CatalogueServer::Stop() { m_server.Stop(); }

void CatalogueServer::Serve(int fd) {
    auto stopping = [this] { return m_server.Stopping(); };
    HttpRequest req;
    if (!ReadRequestHead(fd, req)) return;
    ++m_nRequests;
    std::string body;
    int status = 404;
    FaultSpec fault;
    {
        std::lock_guard<std::mutex> lk(m_mu);
        fault = m_fault;
        const std::string prefix = "/firmware/", suffix = "/cn";
        if (req.method == "GET" && req.path.starts_with(prefix) && req.path.ends_with(suffix) &&
            req.path.size() > prefix.size() + suffix.size()) {
            auto it = m_entries.find(
                req.path.substr(prefix.size(), req.path.size() - prefix.size() - suffix.size()));
            if (it != m_entries.end()) {
                body = it->second;
                status = 200;
            }
        }
    }
    if (status == 404) body = "{\"error\":\"unknown version\"}";
    SendReply(fd, status, "application/json", body, fault, stopping);
    if (fault.fault == kFaultSilent) WaitPeerClose(fd, stopping);
}

}  // namespace camsim
