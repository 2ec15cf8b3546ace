// The transport's parsers as pure functions over bytes, so that tests and fuzzers reach
// them without a socket. CCgiSock, CCgiOper and CJsonHandle are thin shells around them.
#pragma once
#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace zv::http {

constexpr size_t kHostMax = 19;           // longest host text a URL may carry
constexpr size_t kRecvBufSize = 10240;    // text reply buffer (m_szRecvBuf)
constexpr size_t kSendBufSize = 2048;     // text request buffer (m_szSendBuf)
constexpr size_t kFileReqBufSize = 4096;  // download request, upload part and request header
constexpr size_t kChunkSize = 2048;       // upload file chunk
constexpr size_t kChunksPerSend = 16;     // file chunks gathered into one send
constexpr int kTextMinBytes = 164;        // a text reply must exceed this to pass the wait
constexpr int kDownloadMinBytes = 49;     // likewise for a download

struct UrlParts {
    std::string host;  // 1..19 characters
    int port = 80;
    std::string path;  // begins with "/"
};

// Splits "http://host[:port]/path". False when the scheme is missing, there is no "/"
// after the authority, the host is empty or longer than 19 characters, the port is
// outside 0..65535, or the URL holds a control character (which could start a header
// line of its own).
bool ParseUrl(std::string_view url, UrlParts& out);

// True when text holds a byte below 0x20 or 0x7F.
bool HasControlChar(std::string_view text);

// Reads the header length and the Content-Length of a first reply chunk. "Content-length:"
// wins over "Content-Length:"; no other spelling counts. Each stays 0 when not found.
void ParseHttpHead(std::string_view text, int& headLen, int& contentLen);

// Removes everything up to and including the first "\r\n\r\n" (or, lacking it, "\n\n")
// when it occurs at position 1 or later.
void RemoveHttpHeader(std::string& reply);

// The text reply reading state: a 10240-byte buffer filled in arrival order, whose last
// byte always stays 0. The owner receives into Next() at most Capacity() bytes, then
// calls Feed with the count.
class TextReplyReader {
public:
    enum Step { kMore, kComplete, kBadHeader, kFull };

    // buf must hold kRecvBufSize bytes; it is zero-filled here.
    explicit TextReplyReader(char* buf);
    char* Next() const { return m_buf + m_pos; }
    size_t Capacity() const { return m_room - 1; }
    // Accounts for n (>= 1) received bytes. reply takes the first chunk's text, and the
    // whole reply text once the body is complete; contentLen is set from the first chunk.
    // kFull: the buffer is used up without a complete body.
    Step Feed(size_t n, std::string& reply, int& contentLen);
    bool Complete() const { return m_bComplete; }
    int HeadLen() const { return m_headLen; }

private:
    char* m_buf;
    size_t m_room = kRecvBufSize;
    size_t m_pos = 0;
    long long m_body = 0;
    int m_headLen = 0;
    int m_contentLen = 0;
    bool m_bFirst = true;
    bool m_bComplete = false;
};

// Key/value pairs of a CGI reply; keys compare by exact character order.
using CgiParamMap = std::map<std::wstring, std::wstring>;

// Splits a raw reply at ";", CR and LF into statements and stores each "[var ]key=value"
// (quotes, apostrophes and ";" removed from the value; a later key wins).
void ParseCgiTokens(std::string_view text, CgiParamMap& map);

// The reply text a verdict looks at: at most the first 255 characters, trimmed.
std::wstring VerdictText(std::string_view replyBody);

// Verdict of a command reply (first matching rule wins); code receives the outcome.
int CommandVerdict(std::wstring_view text, int transportCode, int& code);
// Verdict of an upload reply: ok, auth failure (3) or failure (1).
int UploadVerdict(std::wstring_view text, int& code);

// White space trimmed at both ends.
std::wstring Trim(std::wstring_view text);

// Rewrites a loose catalogue object (bare keys, braces glued to the first key and the
// last value) into strict JSON. 0 when it yields fewer than two members or its 8-bit
// form is longer than 255 bytes.
int NormalizeJson(std::wstring_view text, std::wstring& out);

// Multipart boundary from a local time with milliseconds: "%02d%02d%02d%02d%02d%02d%d".
std::wstring FormatBoundary(int year, int month, int day, int hour, int minute, int second,
                            int millisecond);

}  // namespace zv::http
