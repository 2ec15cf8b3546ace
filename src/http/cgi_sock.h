// CCgiSock: the camera HTTP client. Every request opens one TCP connection, sends one
// request, reads one reply and closes the connection. Requests run on the caller's
// (worker) thread and block it; another thread may abort a running request with
// Abort(). Every operation returns 1/0 and leaves its code (result_codes.h) in
// m_nRetVal.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include "base/socket_compat.h"
#include "http/http_parse.h"
#include "http/result_codes.h"

class CCgiSock {
public:
    CCgiSock() = default;
    virtual ~CCgiSock();
    CCgiSock(const CCgiSock&) = delete;
    CCgiSock& operator=(const CCgiSock&) = delete;

    // GET with a short text reply. On 1 m_strReply holds the body, m_szRecvBuf the raw
    // header and body.
    int SendCgiCmd(const std::string& url, int timeout);
    // GET whose body is copied into buffer (bufferSize bytes, may be 0 with no buffer).
    // 1 when the body length equals the Content-Length. The copy always stays below
    // bufferSize and is terminated; a body that does not fit is cut at bufferSize - 1,
    // the reply is still read to its Content-Length, and the result is 0 with code 1.
    int SendCgiCmd_DownloadFile(const std::string& url, int timeout, char* buffer,
                                size_t bufferSize);
    // multipart/form-data POST of one local file, streamed in 2048-byte chunks, then
    // the text reply. 1 when the whole body was sent; m_nRetVal tells whether the
    // reply was read (0).
    int SendCgiCmd_UpgradeFile(const std::string& url, int timeout, const std::wstring& filePath,
                               const std::wstring& md5Text);
    // Boundary text from the local time: year, month, day, hour, minute, second, ms.
    std::wstring MakeBoundary();

    // Owner side, any thread: sets m_bStop and shuts the running request's socket down,
    // so that its pending wait, receive or send ends at once. The request itself closes
    // the socket (exactly once). m_bStop stays set until the owner clears it.
    void Abort();

    // Internal steps, public for tests.
    int ParseUrl(const std::string& url, std::string& host, int& port, std::string& path);
    int ConnectServer(const std::string& host, int port);
    int WaitValidConnect(bool forWrite, zv::socket_t s, int minBytes);
    void ParseHttpHead(int& headLen, int& contentLen);
    void RecvReply();

    std::string m_strReply;
    zv::socket_t m_hSocket = zv::kNoSocket;  // guarded by m_sockMu
    std::atomic<uint8_t> m_bStop{0};
    int m_nTimeout = 5;
    std::atomic<int> m_nRetVal{RET_NONE};
    int m_nContentLen = 0;
    // Zero from the start, so that a query before any reply arrived reads an empty text.
    char m_szRecvBuf[zv::http::kRecvBufSize] = {};
    char m_szSendBuf[zv::http::kSendBufSize] = {};

private:
    void BeginRequest(int timeout);
    void CloseSocket();
    zv::socket_t Socket();
    bool SendAll(const char* data, size_t len, bool more = false);
    void ReadTextReply();
    // Sends size bytes of f; RET_OK, RET_FILE_READ_FAILED, RET_SEND_FAILED, or RET_NONE
    // when the stop flag ended it.
    int SendFileBody(std::FILE* f, long long size);

    std::mutex m_sockMu;  // makes Abort's shutdown and the request's close exclusive
};
