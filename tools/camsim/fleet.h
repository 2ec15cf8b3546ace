// The simulated fleet: what every simulated camera is and knows. The discovery responder
// (UDP) and the camera web servers (HTTP) both read and change it, from their own
// threads, so every access goes through the Fleet's lock.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "discovery/camera_types.h"

namespace camsim {

struct SimCamera {
    // Identity and network settings, as the discovery reply shows them.
    std::string ip;  // the loopback address it answers on, e.g. "127.0.10.1"
    std::string mask = "255.0.0.0";
    std::string gateway = "127.0.0.254";
    std::string dns1 = "127.0.0.53";
    std::string dns2 = "";
    std::array<uint8_t, 6> mac{};
    uint16_t httpPort = 80;
    std::string uid;
    std::string name;  // UTF-8
    std::string version;
    int8_t dhcp = 0;
    uint8_t reserved1 = 0;
    std::array<uint8_t, 22> reserved2{};
    std::array<uint8_t, 192> extra{};  // CameraExtra bytes; DDNS password at 160

    // Accounts: full rights, and one that may log in but not change settings.
    std::string user = "admin";
    std::string pwd = "";
    std::string lowUser = "guest";
    std::string lowPwd = "guest";

    // Behaviour knobs of the discovery side.
    int replyDelayMs = 0;   // wait before answering a search request
    bool silent = false;    // answers nothing (camera switched off)

    // The settings request bytes last applied (the whole 320-byte block), for tests.
    std::vector<uint8_t> lastSetBlock;

    // Web side (tools/camsim/web). Texts of the get_status.cgi reply besides the version.
    std::string appVersion = "2.4.10.1";
    std::string paramsMd5 = "0f1e2d3c4b5a69788796a5b4c3d2e1f0";
    std::string oemId = "0";
    // Versions after an accepted firmware (web UI) upgrade; empty: the current one with
    // its last number raised by 1.
    std::string newVersion;
    std::string newAppVersion;
    int restartMs = 3000;    // silent, connections refused, after an accepted upgrade
    std::string dhcpNextIp;  // where a DHCP camera comes back; empty: a fresh address
    int webFault = 0;        // camsim::WebFault (web/web_servers.h)
    int faultChunks = 3;     // pieces of a chunked reply
    int faultDelayMs = 100;  // pause before each further piece

    // What the web server saw, for tests.
    std::string uploadCgi;         // CGI of the last accepted upload
    std::string uploadName;        // its part header's file name
    uint64_t uploadSize = 0;       // its file bytes
    std::string uploadMd5;         // their MD5, lower-case hex
    std::string uploadContentMd5;  // the request's Content-Md5 header
    std::vector<std::string> downloadOrders;  // "server=S&port=P&file=F", in arrival order
    int restarts = 0;
};

// The loopback address of camera number index (0-based): 127.0.10.1 ... 127.0.10.254,
// then 127.0.11.1 ...
std::string AddressOf(size_t index);

// Builds a CameraParams from a camera's state, exactly as its search reply carries it.
CameraParams ParamsOf(const SimCamera& cam);

class Fleet {
public:
    // Runs f with the lock held; the reference is valid only inside f.
    template <class F>
    auto With(F&& f) {
        std::lock_guard<std::mutex> lk(m_mu);
        return f(m_cams);
    }
    size_t Size() {
        std::lock_guard<std::mutex> lk(m_mu);
        return m_cams.size();
    }
    void Add(SimCamera cam) {
        std::lock_guard<std::mutex> lk(m_mu);
        m_cams.push_back(std::move(cam));
    }

private:
    std::mutex m_mu;
    std::vector<SimCamera> m_cams;
};

// A fleet of n cameras at 127.0.10.1, 127.0.10.2, ... (then 127.0.11.x ...), each with a
// distinct MAC, UID and name (some names non-ASCII UTF-8), versions covering every mode
// class, ports 80 and others, fixed and DHCP modes, and account admin/<pwd>.
std::vector<SimCamera> MakeFleet(size_t n, const std::string& pwd = "123456");

}  // namespace camsim
