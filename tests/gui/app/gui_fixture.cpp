#include "gui_fixture.h"

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QThread>
#include <cstring>

bool SetLoopbackUp(bool bUp) {
    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (s < 0) return false;
    ifreq ifr{};
    std::strncpy(ifr.ifr_name, "lo", IFNAMSIZ - 1);
    bool ok = ::ioctl(s, SIOCGIFFLAGS, &ifr) == 0;
    if (ok) {
        if (bUp)
            ifr.ifr_flags |= IFF_UP;
        else
            ifr.ifr_flags &= ~IFF_UP;
        ok = ::ioctl(s, SIOCSIFFLAGS, &ifr) == 0;
    }
    ::close(s);
    return ok;
}

bool EnterPrivateNetworkNamespace() {
    if (::unshare(CLONE_NEWNET) != 0) return false;
    return SetLoopbackUp(true);
}

int CFakeAdapters::QueryAdapters(std::vector<AdapterRecord>& out) {
    uint32_t index = 1;
    for (const auto& [desc, ip] : m_cards) {
        AdapterRecord r;
        r.strAdapterName = "{" + desc + "}";
        r.strDescription = desc;
        r.bHaveCurrent = true;
        r.strCurrentIP = ip;
        r.strCurrentMask = "255.0.0.0";
        r.nIndex = index;
        r.nType = 24;
        r.vecIPMask = {{ip, "255.0.0.0"}};
        r.vecGateway = {"127.0.0.254"};
        r.byAddress[5] = static_cast<uint8_t>(index);
        r.nAddressLength = 6;
        out.push_back(r);
        ++index;
    }
    return 0;
}

int CFakeAdapters::QueryDns(uint32_t, std::vector<std::string>& out) {
    out = {"127.0.0.53", "127.0.0.54"};
    return 0;
}

int CRecordingBoxes::Count(const std::wstring& text) const {
    int n = 0;
    for (const RecordedBox& b : m_boxes) n += b.text == QString::fromStdWString(text);
    return n;
}

bool WaitUntil(const std::function<bool()>& pred, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

void Pump(int ms) {
    WaitUntil([] { return false; }, ms);
}

SimFleet::SimFleet(size_t n) : cams(camsim::MakeFleet(n)) {
    for (const camsim::SimCamera& c : cams) fleet.Add(c);
    responder = std::make_unique<camsim::DiscoveryResponder>(fleet);
    responder->Start("0.0.0.0", 8600);
}

SimFleet::~SimFleet() { responder->Stop(); }

void SimFleet::SetSilent(size_t i, bool bSilent) {
    fleet.With([&](std::vector<camsim::SimCamera>& v) { v[i].silent = bSilent; });
}

void SimFleet::Rename(size_t i, const std::string& name) {
    fleet.With([&](std::vector<camsim::SimCamera>& v) { v[i].name = name; });
}
