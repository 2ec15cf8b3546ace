#include "http/cgi_sock.h"

#ifndef _WIN32
#include <netdb.h>
#include <poll.h>
#include <sys/time.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <vector>

#include "base/clock.h"
#include "base/text_conv.h"
#include "diag/trace.h"

using namespace zv::http;

namespace {

// Trace texts; the Chinese ones in GBK, as the trace viewer expects them.
constexpr const char* kTraceBadUrl =
    "\r\n---%s:\xbd\xe2\xce\xf6IP\xba\xcd\xb6\xcb\xbf\xda\xca\xa7\xb0\xdc---";
constexpr const char* kTraceCmdConnect =
    "\r\n---\xc1\xac\xbd\xd3%s\xb6\xcb\xbf\xda%d\xca\xa7\xb0\xdc---m_nRetVal=%d---";
constexpr const char* kTraceUploadConnect =
    "\r\n---\xc1\xac\xbd\xd3%s\xb6\xcb\xbf\xda%d\xca\xa7\xb0\xdc---";

#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL;  // a peer that went away must not raise SIGPIPE
#else
constexpr int kSendFlags = 0;
#endif
#ifdef MSG_MORE
// The upload's small pieces are marked as "more follows", so that the kernel fills whole
// segments instead of sending one per 2048-byte chunk; the closing line pushes them out.
constexpr int kMoreFlag = MSG_MORE;
#else
constexpr int kMoreFlag = 0;
#endif

constexpr int kPollStepMs = 50;

// Program-time milliseconds as real microseconds (tests run time faster, see clock.h).
long long ScaledMicros(long long ms) {
    long long us = static_cast<long long>(ms * 1000 / zv::TimeScale());
    return us < 1 ? 1 : us;
}

// poll() instead of select(): a descriptor above FD_SETSIZE must not overrun an fd_set.
int PollOne(zv::socket_t s, bool forWrite, long long timeoutUs, short& revents) {
#ifdef _WIN32
    WSAPOLLFD p{};
    p.fd = s;
    p.events = forWrite ? POLLWRNORM : POLLRDNORM;
    int r = WSAPoll(&p, 1, static_cast<INT>((timeoutUs + 999) / 1000));
#else
    pollfd p{};
    p.fd = s;
    p.events = forWrite ? POLLOUT : POLLIN;
    timespec ts{static_cast<time_t>(timeoutUs / 1000000),
                static_cast<long>(timeoutUs % 1000000) * 1000};
    int r = ppoll(&p, 1, &ts, nullptr);
#endif
    revents = p.revents;
    if (r > 0 && (p.revents & POLLNVAL)) return -1;
    return r;
}

bool SetNonBlocking(zv::socket_t s, bool on) {
#ifdef _WIN32
    u_long v = on ? 1 : 0;
    return ioctlsocket(s, FIONBIO, &v) == 0;
#else
    int v = on ? 1 : 0;
    return ioctl(s, FIONBIO, &v) == 0;
#endif
}

// Bytes that can be read at once, or -1.
long BytesAvailable(zv::socket_t s) {
#ifdef _WIN32
    u_long n = 0;
    return ioctlsocket(s, FIONREAD, &n) == 0 ? static_cast<long>(n) : -1;
#else
    int n = 0;
    return ioctl(s, FIONREAD, &n) == 0 ? n : -1;
#endif
}

void SetSocketTimeouts(zv::socket_t s, long long us) {
#ifdef _WIN32
    DWORD ms = static_cast<DWORD>(us < 1000 ? 1 : us / 1000);
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
#else
    timeval tv{static_cast<time_t>(us / 1000000), static_cast<suseconds_t>(us % 1000000)};
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
#endif
}

void ShutdownBoth(zv::socket_t s) {
#ifdef _WIN32
    shutdown(s, SD_BOTH);
#else
    shutdown(s, SHUT_RDWR);
#endif
}

std::tm LocalTm(std::time_t t) {
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return tm;
}

bool ResolveIPv4(const std::string& host, in_addr& out) {
    auto a = inet_addr(host.c_str());
    if (a != INADDR_NONE) {
        out.s_addr = a;
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* res = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &res) != 0 || !res) return false;
    out = reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr;
    freeaddrinfo(res);
    return true;
}

// The local time with its milliseconds (the base clock has no sub-second field).
std::wstring BoundaryNow() {
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    int ms = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000);
    std::tm tm = LocalTm(t);
    return FormatBoundary(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                          tm.tm_sec, ms);
}

std::FILE* OpenForReading(const std::wstring& path) {
#ifdef _WIN32
    return _wfopen(path.c_str(), L"rb");
#else
    return std::fopen(std::filesystem::path(path).c_str(), "rb");
#endif
}

long long FileSize(std::FILE* f) {
#ifdef _WIN32
    _fseeki64(f, 0, SEEK_END);
    long long size = _ftelli64(f);
#else
    fseeko(f, 0, SEEK_END);
    long long size = ftello(f);
#endif
    std::rewind(f);
    return size;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

CCgiSock::~CCgiSock() { CloseSocket(); }

void CCgiSock::BeginRequest(int timeout) {
    m_nRetVal = RET_NONE;
    m_nContentLen = 0;
    m_nTimeout = timeout;
    m_strReply.clear();
}

zv::socket_t CCgiSock::Socket() {
    std::lock_guard<std::mutex> lk(m_sockMu);
    return m_hSocket;
}

void CCgiSock::CloseSocket() {
    std::lock_guard<std::mutex> lk(m_sockMu);
    if (m_hSocket != zv::kNoSocket) {
        zv::CloseSocket(m_hSocket);
        m_hSocket = zv::kNoSocket;
    }
}

void CCgiSock::Abort() {
    m_bStop = 1;
    std::lock_guard<std::mutex> lk(m_sockMu);
    if (m_hSocket != zv::kNoSocket) ShutdownBoth(m_hSocket);
}

bool CCgiSock::SendAll(const char* data, size_t len, bool more) {
    zv::socket_t s = Socket();
    while (len > 0) {
        long n = send(s, data, static_cast<int>(len), kSendFlags | (more ? kMoreFlag : 0));
        if (n < 1) return false;
        data += n;
        len -= static_cast<size_t>(n);
    }
    return true;
}

int CCgiSock::ParseUrl(const std::string& url, std::string& host, int& port, std::string& path) {
    UrlParts parts;
    if (!zv::http::ParseUrl(url, parts)) return 0;
    host = parts.host;
    port = parts.port;
    path = parts.path;
    return 1;
}

int CCgiSock::WaitValidConnect(bool forWrite, zv::socket_t s, int minBytes) {
    uint32_t start = zv::GetTickCount();
    long long limitMs = static_cast<long long>(m_nTimeout) * 1000;
    long long emptyLimit = limitMs / kPollStepMs;
    long long empty = 0;
    while (!m_bStop) {
        zv::Sleep(1);
        short revents = 0;
        int r = PollOne(s, forWrite, ScaledMicros(kPollStepMs), revents);
        if (r < 0) {
            TraceOut("\n WaitValidConnect error");
            return 0;
        }
        if (r > 0 && forWrite) {
            // A failed connect also reads as writable here; only a socket with a peer
            // counts, so that a refused connection waits out the time-out.
            sockaddr_in peer{};
            socklen_t len = sizeof peer;
            if (getpeername(s, reinterpret_cast<sockaddr*>(&peer), &len) == 0) return 1;
            zv::Sleep(kPollStepMs);
            r = 0;
        }
        if (r == 0) {
            if (++empty >= emptyLimit) return 0;
            continue;
        }
        if (BytesAvailable(s) > minBytes) return 1;
        if (static_cast<long long>(zv::GetTickCount() - start) >= limitMs) return 0;
    }
    return 0;
}

int CCgiSock::ConnectServer(const std::string& host, int port) {
    m_nRetVal = RET_CONNECTING;
    if (m_bStop) return 0;
    zv::socket_t s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s == zv::kNoSocket) {
        m_nRetVal = RET_SOCKET_FAILED;
        return 0;
    }
    {
        std::lock_guard<std::mutex> lk(m_sockMu);
        m_hSocket = s;
    }
    if (!SetNonBlocking(s, true)) {
        CloseSocket();
        m_nRetVal = RET_MODE_FAILED;
        return 0;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (!ResolveIPv4(host, addr.sin_addr)) return 0;  // stays 9; closed at the request's end
    ::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    if (!WaitValidConnect(true, s, 0)) {
        CloseSocket();
        m_nRetVal = RET_CONNECT_TIMEOUT;
        return 0;
    }
    if (!SetNonBlocking(s, false)) {
        CloseSocket();
        m_nRetVal = RET_MODE_FAILED;
        return 0;
    }
    long long us = ScaledMicros(static_cast<long long>(m_nTimeout) * 1000);
    SetSocketTimeouts(s, us);
    m_nRetVal = RET_CONNECTED;
    return 1;
}

void CCgiSock::ParseHttpHead(int& headLen, int& contentLen) {
    zv::http::ParseHttpHead(m_strReply, headLen, contentLen);
}

void CCgiSock::ReadTextReply() {
    zv::socket_t s = Socket();
    if (!WaitValidConnect(false, s, kTextMinBytes)) {
        m_nRetVal = RET_REPLY_TIMEOUT;
        return;
    }
    TextReplyReader reader(m_szRecvBuf);
    TextReplyReader::Step step = TextReplyReader::kMore;
    while (!m_bStop && step == TextReplyReader::kMore) {
        long n = recv(s, reader.Next(), static_cast<int>(reader.Capacity()), 0);
        if (n < 1) {
            m_nRetVal = RET_RECV_FAILED;
            break;
        }
        step = reader.Feed(static_cast<size_t>(n), m_strReply, m_nContentLen);
        if (step == TextReplyReader::kBadHeader) m_nRetVal = RET_BAD_HEADER;
    }
    // An aborted reply is never passed off as an answer: only a complete one survives.
    if (m_bStop && !reader.Complete()) {
        m_strReply.clear();
        m_nRetVal = RET_REPLY_TIMEOUT;
    }
}

void CCgiSock::RecvReply() { ReadTextReply(); }

int CCgiSock::SendCgiCmd(const std::string& url, int timeout) {
    BeginRequest(timeout);
    std::string host, path;
    int port = 80;
    static const char kFormat[] = "GET %s HTTP/1.1\r\nConnection:Close\r\n\r\n";
    // A request that would not fit the buffer is refused whole, never cut.
    if (url.empty() || !ParseUrl(url, host, port, path) ||
        path.size() + sizeof kFormat - 3 > kSendBufSize - 1) {
        TraceOut(kTraceBadUrl, url.c_str());
        m_nRetVal = RET_BAD_URL;
        return 0;
    }
    if (!ConnectServer(host, port)) {
        TraceOut(kTraceCmdConnect, host.c_str(), port, m_nRetVal.load());
        CloseSocket();
        return 0;
    }
    std::memset(m_szSendBuf, 0, sizeof m_szSendBuf);
    int len = std::snprintf(m_szSendBuf, sizeof m_szSendBuf, kFormat, path.c_str());
    if (!SendAll(m_szSendBuf, static_cast<size_t>(len))) {
        m_nRetVal = RET_SEND_FAILED;
        CloseSocket();
        return 0;
    }
    m_nRetVal = RET_SENT;
    ReadTextReply();
    CloseSocket();
    if (!m_strReply.empty()) {
        RemoveHttpHeader(m_strReply);
        m_nRetVal = RET_OK;
        return 1;
    }
    if (m_nRetVal == RET_NONE) m_nRetVal = RET_FAILED;
    return 0;
}

int CCgiSock::SendCgiCmd_DownloadFile(const std::string& url, int timeout, char* buffer,
                                      size_t bufferSize) {
    BeginRequest(timeout);
    int bRet = 0;
    std::string host, path;
    int port = 80;
    char req[kFileReqBufSize] = {};
    int reqLen = -1;
    if (!url.empty() && ParseUrl(url, host, port, path))
        reqLen = std::snprintf(req, sizeof req,
                               "GET %s HTTP/1.1\r\nHost: %s:%d\r\nAccept: text/html, */*\r\n"
                               "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n",
                               path.c_str(), host.c_str(), port);
    if (buffer == nullptr) bufferSize = 0;
    if (reqLen < 0 || static_cast<size_t>(reqLen) >= sizeof req) {
        TraceOut(kTraceBadUrl, url.c_str());
        m_nRetVal = RET_BAD_URL;
    } else if (!ConnectServer(host, port)) {
        TraceOut("\r\n---Connect: %s Port: %d Fail---", host.c_str(), port);
    } else if (m_nRetVal = RET_SENT; !SendAll(req, static_cast<size_t>(reqLen))) {
        m_nRetVal = RET_SEND_FAILED;
    } else if (!WaitValidConnect(false, Socket(), kDownloadMinBytes)) {
        m_nRetVal = RET_REPLY_TIMEOUT;
    } else {
        zv::socket_t s = Socket();
        char chunk[kFileReqBufSize];
        bool first = true;
        bool cut = false;
        long long total = 0;
        size_t pos = 0;
        int contentLen = 0;
        while (!m_bStop) {
            long n = recv(s, chunk, static_cast<int>(sizeof chunk - 1), 0);
            if (n < 1) {
                if (!m_bStop) m_nRetVal = RET_RECV_FAILED;  // aborted: stays 12
                break;
            }
            const char* data = chunk;
            size_t dataLen = static_cast<size_t>(n);
            if (first) {
                first = false;
                m_strReply.assign(chunk, strnlen(chunk, dataLen));
                int headLen = 0;
                ParseHttpHead(headLen, contentLen);
                TraceOut("\r\n---nHeadLen=%d---nJpgAllLen=%d---", headLen, contentLen);
                m_nContentLen = contentLen;
                data += headLen;
                dataLen -= static_cast<size_t>(headLen);
            }
            // Never past the caller's buffer; one byte stays for the terminating zero.
            size_t room = bufferSize > pos + 1 ? bufferSize - 1 - pos : 0;
            size_t copy = dataLen < room ? dataLen : room;
            if (copy) std::memcpy(buffer + pos, data, copy);
            pos += copy;
            if (bufferSize) buffer[pos] = 0;
            if (bufferSize && copy < dataLen) cut = true;  // no buffer: nothing wanted
            total += static_cast<long long>(dataLen);
            if (total == contentLen) {
                if (cut) {
                    m_nRetVal = RET_FAILED;  // complete, but the caller got only a part
                } else {
                    m_nRetVal = RET_OK;
                    bRet = 1;
                }
                break;
            }
        }
    }
    CloseSocket();
    TraceOut("\r\n---SendCgiCmd_DownloadFile---end---bRet=%d---m_nRetVal=%d---", bRet,
             m_nRetVal.load());
    return bRet;
}

std::wstring CCgiSock::MakeBoundary() { return BoundaryNow(); }

int CCgiSock::SendFileBody(std::FILE* f, long long size) {
    if (!m_bStop && size <= 0) return RET_FILE_READ_FAILED;  // an empty file is no image
    // The file is read in 2048-byte chunks (the stop flag is looked at before each), and
    // up to 16 of them leave in one send: the same bytes, far fewer system calls.
    std::vector<char> batch(kChunkSize * kChunksPerSend);
    long long sent = 0;
    while (!m_bStop) {
        size_t fill = 0;
        bool readFailed = false;
        while (fill < batch.size() && sent + static_cast<long long>(fill) < size && !m_bStop) {
            long long left = size - sent - static_cast<long long>(fill);
            size_t want =
                left < static_cast<long long>(kChunkSize) ? static_cast<size_t>(left) : kChunkSize;
            size_t got = std::fread(batch.data() + fill, 1, want, f);
            if (got < 1) {
                readFailed = true;
                break;
            }
            fill += got;
        }
        if (fill > 0 && !SendAll(batch.data(), fill, true))
            return m_bStop ? RET_NONE : RET_SEND_FAILED;
        sent += static_cast<long long>(fill);
        if (readFailed) return RET_FILE_READ_FAILED;
        if (sent == size) return RET_OK;
    }
    return RET_NONE;
}

int CCgiSock::SendCgiCmd_UpgradeFile(const std::string& url, int timeout,
                                     const std::wstring& filePath, const std::wstring& md5Text) {
    BeginRequest(timeout);
    int bRet = 0;
    std::string boundary = zv::WideToOem(MakeBoundary());
    std::string path8 = zv::WideToOem(filePath);
    std::string md5 = zv::WideToOem(md5Text);
    char closing[64] = {};
    int closingLen =
        std::snprintf(closing, sizeof closing, "\r\n----------%s--\r\n", boundary.c_str());
    char part[kFileReqBufSize] = {};
    char head[kFileReqBufSize] = {};
    std::string host, urlPath;
    int port = 80;
    std::unique_ptr<std::FILE, FileCloser> file;

    bool urlOk = !url.empty() && ParseUrl(url, host, port, urlPath);
    int partLen = std::snprintf(part, sizeof part,
                                "----------%s\r\nContent-Disposition: form-data; name=\"file\"; "
                                "filename=\"%s\"\r\nContent-Type: application/x-zip-compressed\r\n"
                                "Content-Transfer-Encoding: binary\r\n\r\n",
                                boundary.c_str(), path8.c_str());
    auto formatHead = [&](long long contAllLen) {
        return std::snprintf(
            head, sizeof head,
            "POST %s HTTP/1.0\r\nConnection: keep-alive\r\nContent-Type: multipart/form-data; "
            "boundary=--------%s\r\nContent-Length: %lld\r\nHost: %s:%d\r\nContent-Md5: "
            "%s\r\nAccept: image/gif, image/jpeg, image/pjpeg, image/pjpeg, "
            "application/x-shockwave-flash, */*\r\nAccept-Encoding: gzip,deflate\r\n"
            "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n",
            urlPath.c_str(), boundary.c_str(), contAllLen, host.c_str(), port, md5.c_str());
    };
    // Caller texts that would add a header line or overflow a buffer are refused before
    // anything is sent; the widest Content-Length stands in for the one not yet known.
    bool fits = static_cast<size_t>(partLen) < sizeof part &&
                static_cast<size_t>(formatHead(999999999999999999LL)) < sizeof head;
    if (!urlOk || !fits || zv::http::HasControlChar(path8) || zv::http::HasControlChar(md5)) {
        TraceOut(kTraceBadUrl, url.c_str());
        m_nRetVal = RET_BAD_URL;
    } else if (!ConnectServer(host, port)) {
        TraceOut(kTraceUploadConnect, host.c_str(), port);
    } else if (file.reset(OpenForReading(filePath)); !file) {
        m_nRetVal = RET_FILE_OPEN_FAILED;
    } else {
        std::setvbuf(file.get(), nullptr, _IOFBF, 1 << 16);  // fewer, larger reads of the image
        long long size = FileSize(file.get());
        if (size < 0) size = 0;
        TraceOut("\r\n---nFileAllLen=%d---", static_cast<int>(size));
        long long contAllLen = partLen + closingLen + size;
        TraceOut("\r\n---nContAllLen=%d---", static_cast<int>(contAllLen));
        int headLen = formatHead(contAllLen);
        m_nRetVal = RET_SENT;
        bool reachedEnd = true;
        if (!SendAll(head, static_cast<size_t>(headLen), true) ||
            !SendAll(part, static_cast<size_t>(partLen), true)) {
            m_nRetVal = RET_SEND_FAILED;
            reachedEnd = false;
        }
        if (reachedEnd) {
            int body = SendFileBody(file.get(), size);
            if (body == RET_OK && !SendAll(closing, static_cast<size_t>(closingLen)))
                body = RET_SEND_FAILED;
            if (body == RET_OK) {
                m_nRetVal = RET_OK;
                bRet = 1;
            } else if (body != RET_NONE) {  // RET_NONE: aborted, the reply wait fails at once
                m_nRetVal = body;
                reachedEnd = false;
            }
        }
        if (reachedEnd) {
            RecvReply();
            if (!m_strReply.empty()) RemoveHttpHeader(m_strReply);
            if (m_nRetVal == RET_NONE) m_nRetVal = RET_FAILED;
        }
    }
    file.reset();
    CloseSocket();
    TraceOut("\r\n---SendCgiCmd_UpgradeFile---end---bRet=%d---m_nRetVal=%d---", bRet,
             m_nRetVal.load());
    return bRet;
}
