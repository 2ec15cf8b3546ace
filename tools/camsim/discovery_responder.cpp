#include "camsim/discovery_responder.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <random>

#include "base/fixed_field.h"

namespace camsim {
namespace {

constexpr size_t kBatch = 256;  // datagrams per sendmmsg

int64_t NowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void PutHeader(uint8_t* p, uint16_t cmd, uint16_t magic = DISCOVERY_MAGIC) {
    p[0] = static_cast<uint8_t>(magic);
    p[1] = static_cast<uint8_t>(magic >> 8);
    p[2] = static_cast<uint8_t>(cmd);
    p[3] = static_cast<uint8_t>(cmd >> 8);
}

std::vector<uint8_t> SearchReplyOf(const SimCamera& cam) {
    std::vector<uint8_t> b(SEARCH_RESP_SIZE, 0);
    PutHeader(b.data(), CMD_SEARCH_RESP);
    CameraParams p = ParamsOf(cam);
    std::memcpy(b.data() + 4, &p, sizeof p);
    std::memcpy(b.data() + 4 + sizeof p, cam.extra.data(), cam.extra.size());
    return b;
}

in_addr AddrOf(const std::string& ip) {
    in_addr a{};
    if (inet_pton(AF_INET, ip.c_str(), &a) != 1) a.s_addr = htonl(INADDR_ANY);
    return a;
}

// Applies the editable fields of a settings block to the camera.
void Apply(SimCamera& cam, const CameraParams& p, const uint8_t* block) {
    cam.ip = zv::FieldText(p.szIP);
    cam.mask = zv::FieldText(p.szMask);
    cam.gateway = zv::FieldText(p.szGateway);
    cam.dns1 = zv::FieldText(p.szDns1);
    cam.dns2 = zv::FieldText(p.szDns2);
    cam.httpPort = p.nHttpPort;
    cam.name = zv::FieldText(p.szName);
    cam.dhcp = p.bDhcp;
    cam.reserved1 = p.byReserved1;
    std::memcpy(cam.reserved2.data(), p.byReserved2, cam.reserved2.size());
    cam.lastSetBlock.assign(block, block + sizeof(CameraParams));
}

}  // namespace

DiscoveryResponder::DiscoveryResponder(Fleet& fleet) : m_fleet(fleet) {}

DiscoveryResponder::~DiscoveryResponder() { Stop(); }

void DiscoveryResponder::SetFaults(const ResponderFaults& faults) {
    std::lock_guard<std::mutex> lk(m_mu);
    m_faults = faults;
}

int DiscoveryResponder::Start(const std::string& bindIp, uint16_t port) {
    if (m_sock >= 0) return 0;
    int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (s < 0) return 0;
    int one = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    setsockopt(s, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
    int buf = 8 * 1024 * 1024;
    setsockopt(s, SOL_SOCKET, SO_SNDBUFFORCE, &buf, sizeof buf);
    setsockopt(s, SOL_SOCKET, SO_RCVBUFFORCE, &buf, sizeof buf);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr = AddrOf(bindIp);
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(s);
        return 0;
    }
    m_sock = s;
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_bStop = false;
    m_recvThread = std::thread(&DiscoveryResponder::ReceiveLoop, this);
    m_sendThread = std::thread(&DiscoveryResponder::SendLoop, this);
    return 1;
}

void DiscoveryResponder::Stop() {
    if (m_sock < 0) return;
    m_bStop = true;
    uint64_t one = 1;
    [[maybe_unused]] ssize_t r = ::write(m_wakeFd, &one, sizeof one);
    m_cv.notify_all();
    m_recvThread.join();
    m_sendThread.join();
    ::close(m_sock);
    ::close(m_wakeFd);
    m_sock = m_wakeFd = -1;
    std::lock_guard<std::mutex> lk(m_mu);
    m_queue = {};
}

void DiscoveryResponder::ReceiveLoop() {
    std::vector<uint8_t> buf(65536);
    while (!m_bStop) {
        pollfd fds[2] = {{m_sock, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) <= 0 || m_bStop) continue;
        if (!(fds[0].revents & POLLIN)) continue;
        sockaddr_in from{};
        socklen_t fl = sizeof from;
        ssize_t n = ::recvfrom(m_sock, buf.data(), buf.size(), MSG_DONTWAIT,
                               reinterpret_cast<sockaddr*>(&from), &fl);
        if (n >= 0) OnDatagram(buf.data(), static_cast<size_t>(n), from);
    }
}

void DiscoveryResponder::OnDatagram(const uint8_t* data, size_t len, const sockaddr_in& from) {
    if (len < 4 || data[0] != 0x44 || data[1] != 0x48) return;
    uint16_t cmd = static_cast<uint16_t>(data[2] | (data[3] << 8));
    if (cmd == CMD_SEARCH_REQ)
        OnSearch(from);
    else if (cmd == CMD_SET_REQ)
        OnSetRequest(data, len, from);
}

void DiscoveryResponder::OnSearch(const sockaddr_in& from) {
    ++m_nSearches;
    SendFaults(from);
    int64_t now = NowUs();
    std::vector<Pending> items = m_fleet.With([&](std::vector<SimCamera>& cams) {
        std::vector<Pending> out;
        out.reserve(cams.size());
        for (const SimCamera& c : cams) {
            if (c.silent) continue;
            out.push_back(
                {now + int64_t{c.replyDelayMs} * 1000, 0, AddrOf(c.ip), from, SearchReplyOf(c)});
        }
        return out;
    });
    Queue(std::move(items));
}

void DiscoveryResponder::OnSetRequest(const uint8_t* data, size_t len, const sockaddr_in& from) {
    ++m_nSets;
    if (len < SET_REQ_SIZE) return;
    CameraParams req;
    std::memcpy(&req, data + 4, sizeof req);
    std::string uid = zv::FieldText(req.szUid);
    std::string user = zv::FieldText(req.szUser);
    std::string pwd = zv::FieldText(req.szPwd);

    std::vector<Pending> items = m_fleet.With([&](std::vector<SimCamera>& cams) {
        std::vector<Pending> out;
        for (SimCamera& c : cams) {
            if (c.silent || std::memcmp(c.mac.data(), req.byMacAddr, 6) != 0 || c.uid != uid)
                continue;
            in_addr src = AddrOf(c.ip);  // answers from where it was asked
            int32_t result = SET_RESULT_BAD_AUTH;
            if (user == c.user && pwd == c.pwd) {
                Apply(c, req, data + 4);
                result = SET_RESULT_OK;
            } else if (user == c.lowUser && pwd == c.lowPwd) {
                result = SET_RESULT_NO_RIGHT;
            }
            std::vector<uint8_t> b(SET_RESP_SIZE, 0);
            PutHeader(b.data(), CMD_SET_RESP);
            CameraParams now = ParamsOf(c);
            std::memcpy(b.data() + 4, &now, sizeof now);
            std::memcpy(b.data() + 4 + sizeof now, &result, sizeof result);
            out.push_back({NowUs(), 0, src, from, std::move(b)});
        }
        return out;
    });
    Queue(std::move(items));
}

void DiscoveryResponder::SendFaults(const sockaddr_in& to) {
    ResponderFaults f;
    {
        std::lock_guard<std::mutex> lk(m_mu);
        f = m_faults;
    }
    static thread_local std::mt19937 rng(12345);
    std::vector<Pending> items;
    in_addr src{};
    src.s_addr = htonl(INADDR_ANY);
    auto add = [&](std::vector<uint8_t> b) { items.push_back({0, 0, src, to, std::move(b)}); };
    for (int i = 0; i < f.foreignMagic; ++i) {
        std::vector<uint8_t> b(SEARCH_RESP_SIZE, 0x11);
        PutHeader(b.data(), CMD_SEARCH_RESP, 0x4845);
        add(std::move(b));
    }
    for (int i = 0; i < f.unknownCommand; ++i) {
        std::vector<uint8_t> b(SEARCH_RESP_SIZE, 0x22);
        PutHeader(b.data(), 0x0901);
        add(std::move(b));
    }
    for (int i = 0; i < f.shortReplies; ++i) {
        std::vector<uint8_t> b(40, 0x33);
        PutHeader(b.data(), CMD_SEARCH_RESP);
        add(std::move(b));
    }
    for (int i = 0; i < f.zeroLength; ++i) add({});
    for (int i = 0; i < f.garbage; ++i) {
        std::vector<uint8_t> b(rng() % 1501);
        for (uint8_t& x : b) x = static_cast<uint8_t>(rng());
        add(std::move(b));
    }
    Queue(std::move(items));
}

void DiscoveryResponder::Queue(std::vector<Pending>&& items) {
    if (items.empty()) return;
    {
        std::lock_guard<std::mutex> lk(m_mu);
        for (Pending& p : items) {
            p.seq = m_seq++;
            m_queue.push(std::move(p));
        }
    }
    m_cv.notify_one();
}

void DiscoveryResponder::SendLoop() {
    std::vector<Pending> batch;
    while (!m_bStop) {
        {
            std::unique_lock<std::mutex> lk(m_mu);
            if (m_queue.empty()) {
                m_cv.wait(lk, [&] { return m_bStop || !m_queue.empty(); });
                continue;
            }
            int64_t wait = m_queue.top().dueUs - NowUs();
            if (wait > 0) {
                m_cv.wait_for(lk, std::chrono::microseconds(wait));
                continue;
            }
            int64_t now = NowUs();
            while (!m_queue.empty() && batch.size() < kBatch && m_queue.top().dueUs <= now) {
                batch.push_back(std::move(const_cast<Pending&>(m_queue.top())));
                m_queue.pop();
            }
        }
        SendBatch(batch);
        batch.clear();
    }
}

void DiscoveryResponder::SendBatch(std::vector<Pending>& batch) {
    const size_t n = batch.size();
    std::vector<mmsghdr> msgs(n);
    std::vector<iovec> iovs(n);
    constexpr size_t kCtl = CMSG_SPACE(sizeof(in_pktinfo));
    std::vector<uint8_t> ctl(n * kCtl, 0);
    for (size_t i = 0; i < n; ++i) {
        Pending& p = batch[i];
        iovs[i] = {p.bytes.data(), p.bytes.size()};
        msghdr& h = msgs[i].msg_hdr;
        h = {};
        h.msg_name = &p.to;
        h.msg_namelen = sizeof p.to;
        h.msg_iov = &iovs[i];
        h.msg_iovlen = 1;
        if (p.from.s_addr != htonl(INADDR_ANY)) {
            h.msg_control = ctl.data() + i * kCtl;
            h.msg_controllen = kCtl;
            cmsghdr* c = CMSG_FIRSTHDR(&h);
            c->cmsg_level = IPPROTO_IP;
            c->cmsg_type = IP_PKTINFO;
            c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
            in_pktinfo info{};
            info.ipi_spec_dst = p.from;
            std::memcpy(CMSG_DATA(c), &info, sizeof info);
        }
    }
    size_t done = 0;
    while (done < n) {
        int r = ::sendmmsg(m_sock, msgs.data() + done, static_cast<unsigned>(n - done), 0);
        if (r > 0) {
            done += static_cast<size_t>(r);
            m_nSent += static_cast<uint64_t>(r);
            continue;
        }
        if (errno == EAGAIN || errno == ENOBUFS || errno == EINTR) continue;
        // This one cannot go out from its own address (a camera re-addressed outside
        // loopback): send it from the socket's address instead.
        msghdr& h = msgs[done].msg_hdr;
        h.msg_control = nullptr;
        h.msg_controllen = 0;
        if (::sendmsg(m_sock, &h, 0) >= 0)
            ++m_nSent;
        else
            ++m_nSendErrors;
        ++done;
    }
}

}  // namespace camsim
