#include "discovery/search_engine.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <chrono>
#include <cstring>
#include <system_error>

#include "base/clock.h"
#include "base/text_conv.h"
#include "diag/trace.h"
#include "discovery/datagrams.h"

namespace {

// Safety net only: the listener is woken explicitly whenever it must look again.
constexpr int kWaitSafetyMs = 1000;

void SetOpt(zv::socket_t s, int level, int name, int value) {
    setsockopt(s, level, name, &value, sizeof value);
}

void SetTimeout(zv::socket_t s, int name, int ms) {
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    setsockopt(s, SOL_SOCKET, name, &tv, sizeof tv);
}

}  // namespace

COstrel::COstrel() { m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK); }

COstrel::~COstrel() {
    // The owner stops the listener first; a thread still held here would end the process.
    if (m_hThread.joinable()) CloseListenThread();
    if (m_wakeFd >= 0) ::close(m_wakeFd);
}

void COstrel::SetBindIPAddr(const std::wstring& strIP) {
    m_strBindIP = strIP;
    TraceOut("\n SetBindIPAddr ip=%s", zv::WideToOem(strIP).c_str());
}

void COstrel::WakeListener() {
    if (m_wakeFd < 0) return;
    uint64_t one = 1;
    [[maybe_unused]] ssize_t r = ::write(m_wakeFd, &one, sizeof one);
}

void COstrel::CloseSocketLocked() {
    m_bSockInit = 0;
    m_fdRead = zv::kNoSocket;
    WakeListener();
    // The listener marks itself in its wait before it re-checks m_bSockInit, so once
    // it is seen out of it, it cannot enter again with this descriptor.
    while (m_bInWait.load()) std::this_thread::sleep_for(std::chrono::microseconds(100));
    zv::socket_t s = m_sock.exchange(zv::kNoSocket);
    if (s != zv::kNoSocket) zv::CloseSocket(s);
}

void COstrel::DropSocket() {
    std::lock_guard<std::mutex> lk(m_sockMu);
    CloseSocketLocked();
}

int COstrel::initsocket() {
    std::lock_guard<std::mutex> lk(m_sockMu);
    if (m_sock != zv::kNoSocket) CloseSocketLocked();

    zv::socket_t s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (s == zv::kNoSocket) return 0;
    SetOpt(s, SOL_SOCKET, SO_BROADCAST, 1);
    // SO_RCVBUF is capped by the system limit; the forced variant (allowed to root)
    // goes past it. Neither result matters: the socket works with whatever it got.
    SetOpt(s, SOL_SOCKET, SO_RCVBUF, m_nRecvBufferBytes);
    SetOpt(s, SOL_SOCKET, SO_RCVBUFFORCE, m_nRecvBufferBytes);
    SetTimeout(s, SO_SNDTIMEO, 2000);
    SetTimeout(s, SO_RCVTIMEO, 1000);

    std::string ip = zv::WideToOem(m_strBindIP);
    if (ip.size() > 63) ip.resize(63);
    TraceOut("\n inet_addr ip=%s, nRandPort=%d", ip.c_str(), DISCOVERY_PC_PORT);

    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = inet_addr(ip.c_str());
    local.sin_port = htons(DISCOVERY_PC_PORT);
    // A text that is no address parses as INADDR_NONE, which this system would let a
    // socket bind to (it is the broadcast address): refuse it, so that no adapter
    // address means no socket, as on every platform.
    bool parsed = local.sin_addr.s_addr != INADDR_NONE;
    if (!parsed || ::bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        local.sin_port = 0;
        if (!parsed || ::bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
            zv::CloseSocket(s);
            return 0;
        }
    }

    m_addrDest = sockaddr_in{};
    m_addrDest.sin_family = AF_INET;
    m_addrDest.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    m_addrDest.sin_port = htons(DISCOVERY_CAMERA_PORT);
    m_sock = s;
    m_fdRead = s;
    m_bSockInit = 1;
    WakeListener();
    TraceOut("\n initsocket");
    return 1;
}

void COstrel::uninitsocket() {
    DropSocket();
    TraceOut("\n uninitsocket");
}

int COstrel::SendDatagram(const uint8_t* data, size_t len) {
    std::lock_guard<std::mutex> lk(m_sockMu);
    zv::socket_t s = m_sock;
    if (s == zv::kNoSocket) return 0;
    size_t sent = 0;
    while (sent < len) {
        ssize_t r = ::sendto(s, data + sent, len - sent, MSG_NOSIGNAL,
                             reinterpret_cast<const sockaddr*>(&m_addrDest), sizeof m_addrDest);
        if (r < 0) return 0;
        sent += static_cast<size_t>(r);
    }
    return 1;
}

int COstrel::SendSearch() {
    uint8_t buf[SEARCH_REQ_SIZE];
    return SendDatagram(buf, BuildSearchRequest(buf));
}

int COstrel::SendSetParams(const CameraParams& params) {
    uint8_t buf[SET_REQ_SIZE];
    return SendDatagram(buf, BuildSetRequest(params, buf));
}

int COstrel::SearchOnce() {
    if (m_bSearchOk == 0) {
        if (!initsocket()) {
            DropSocket();
            m_bSearchOk = 0;
            TraceOut("\n uninitsocket");
            return 1;
        }
        if (!SendSearch()) {
            m_bSearchOk = 0;
            uninitsocket();
            return 2;
        }
    } else if (!SendSearch()) {
        DropSocket();
        m_bSearchOk = 0;
        TraceOut("\n uninitsocket");
        return 2;
    }
    m_bSearchOk = 1;
    return 0;
}

int COstrel::OpenListenThread(SearchCallback pfnCallback, void* pUser) {
    if (m_hThread.joinable()) return 0;  // one listener per engine
    m_pfnCallback = pfnCallback;
    m_pUser = pUser;
    m_bStop = 0;
    try {
        m_hThread = std::thread(ListenThread, this);
    } catch (const std::system_error&) {
        return 0;
    }
    return 1;
}

void COstrel::ListenThread(COstrel* self) {
    while (self->m_bStop == 0) self->ListenOnce();
    TraceOut("\n break listen thread");
    TraceOut("\n exit listen thread");
}

void COstrel::ListenOnce() {
    ++m_nListenTurns;
    if (m_bSockInit == 0) {
        zv::Sleep(20);
        return;
    }
    m_bInWait = true;
    zv::socket_t s = m_fdRead;
    if (m_bSockInit == 0 || s == zv::kNoSocket || m_bStop != 0) {
        m_bInWait = false;
        return;
    }
    // Blocks until a reply is pending or someone wakes us (stop, socket change): no
    // time-slice polling while nothing happens.
    pollfd fds[2] = {{s, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
    int r = ::poll(fds, m_wakeFd >= 0 ? 2 : 1, kWaitSafetyMs);
    if (r < 0) {
        if (errno != EINTR) TraceOut("\n select error");
    } else if (r > 0) {
        if (fds[1].revents & POLLIN) {
            uint64_t n;
            [[maybe_unused]] ssize_t rd = ::read(m_wakeFd, &n, sizeof n);
        }
        if (fds[0].revents & POLLNVAL)
            TraceOut("\n select error");
        else if (fds[0].revents & (POLLIN | POLLERR))
            HandleReadable(s);
    }
    m_bInWait = false;
}

void COstrel::HandleReadable(zv::socket_t s) {
    int pending = 0;
    if (::ioctl(s, FIONREAD, &pending) == 0 && pending != 0) {
        uint8_t buf[DISCOVERY_RECV_BUFFER] = {};
        sockaddr_in from{};
        socklen_t fromLen = sizeof from;
        // MSG_TRUNC reports a datagram's true length, so one that did not fit the
        // buffer is seen and dropped as a receive error, not handled cut short.
        ssize_t n = ::recvfrom(s, buf, sizeof buf, MSG_TRUNC | MSG_DONTWAIT,
                               reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (n < 0 || static_cast<size_t>(n) > sizeof buf) {
            TraceOut("\n recvfrom nRet=%d", -1);
            return;
        }
        HandleReplyDatagram(buf, static_cast<size_t>(n), m_pfnCallback.load(), m_pUser.load());
        return;
    }
    // Readable with nothing pending: a zero-length datagram (or a pending error).
    // Consume it, or the socket would stay readable and the wait would spin.
    uint8_t dummy;
    [[maybe_unused]] ssize_t n = ::recv(s, &dummy, sizeof dummy, MSG_DONTWAIT);
}

void COstrel::CloseListenThread() {
    if (m_hThread.joinable()) {
        m_bStop = 1;
        WakeListener();
        zv::Sleep(200);
        m_hThread.join();
    }
    TraceOut("\n CloseListenThread");
    DropSocket();
    TraceOut("\n uninitsocket");
    m_pfnCallback = nullptr;
    m_bSearchOk = 0;
    m_bStop = 0;
}
