#include "http/http_parse.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <vector>

#include "base/text_conv.h"

namespace zv::http {
namespace {

// atoi-style reading: optional sign, leading digits, 0 when there are none; saturates
// instead of overflowing.
long long LeadingNumber(std::string_view s) {
    size_t i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    long long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > INT_MAX) v = static_cast<long long>(INT_MAX) + 1;
    }
    return neg ? -v : v;
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string_view TrimBytes(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

bool Contains(std::wstring_view text, const wchar_t* word) {
    return text.find(word) != std::wstring_view::npos;
}

int ClampInt(long long v) {
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

}  // namespace

bool HasControlChar(std::string_view text) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

bool ParseUrl(std::string_view url, UrlParts& out) {
    if (HasControlChar(url)) return false;
    if (url.find("http://") == std::string_view::npos) return false;
    std::string_view rest = url.substr(7);  // the scheme is taken to stand at the front
    size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return false;
    std::string_view authority = rest.substr(0, slash);
    size_t colon = authority.find(':');
    int port = 80;
    std::string_view host = authority;
    if (colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        long long p = LeadingNumber(authority.substr(colon + 1));
        // A port outside 16 bits would silently wrap to another service.
        if (p < 0 || p > 65535) return false;
        port = static_cast<int>(p);
    }
    if (host.empty() || host.size() > kHostMax) return false;
    out.host.assign(host);
    out.port = port;
    out.path.assign(rest.substr(slash));
    return true;
}

void ParseHttpHead(std::string_view text, int& headLen, int& contentLen) {
    size_t at = text.find("Content-length:");
    if (at == std::string_view::npos) at = text.find("Content-Length:");
    if (at != std::string_view::npos) {
        std::string_view value = text.substr(at + 15);
        size_t end = value.find("\r\n");
        if (end != std::string_view::npos) value = value.substr(0, end);
        contentLen = ClampInt(LeadingNumber(TrimBytes(value)));
    }
    size_t crlf = text.find("\r\n\r\n");
    size_t lf = text.find("\n\n");
    if (crlf != std::string_view::npos && crlf > 0)
        headLen = static_cast<int>(crlf + 4);
    else if (lf != std::string_view::npos && lf > 0)
        headLen = static_cast<int>(lf + 2);
}

void RemoveHttpHeader(std::string& reply) {
    size_t crlf = reply.find("\r\n\r\n");
    if (crlf != std::string::npos && crlf >= 1) {
        reply.erase(0, crlf + 4);
        return;
    }
    size_t lf = reply.find("\n\n");
    if (lf != std::string::npos && lf >= 1) reply.erase(0, lf + 2);
}

TextReplyReader::TextReplyReader(char* buf) : m_buf(buf) { std::memset(m_buf, 0, kRecvBufSize); }

TextReplyReader::Step TextReplyReader::Feed(size_t n, std::string& reply, int& contentLen) {
    if (m_bFirst) {
        m_bFirst = false;
        reply.assign(m_buf, strnlen(m_buf, kRecvBufSize));
        ParseHttpHead(reply, m_headLen, m_contentLen);
        if (m_headLen <= 0 || m_contentLen <= 0) return kBadHeader;
        m_body += static_cast<long long>(n) - m_headLen;
        contentLen = m_contentLen;
    } else {
        m_body += static_cast<long long>(n);
    }
    if (m_body == m_contentLen) {
        long long end = static_cast<long long>(m_headLen) + m_contentLen;
        if (end > static_cast<long long>(kRecvBufSize - 1)) end = kRecvBufSize - 1;
        m_buf[end] = 0;
        reply.assign(m_buf, strnlen(m_buf, kRecvBufSize));
        m_bComplete = true;
        return kComplete;
    }
    m_room -= n;
    m_pos += n;
    return m_room > 1 ? kMore : kFull;
}

void ParseCgiTokens(std::string_view text, CgiParamMap& map) {
    size_t i = 0;
    while (i < text.size()) {
        size_t end = text.find_first_of(";\r\n", i);
        if (end == std::string_view::npos) end = text.size();
        std::string_view token = text.substr(i, end - i);
        i = end + 1;
        if (token.size() <= 4 || token.size() > 256) continue;
        std::string_view kept = token.starts_with("var") ? token.substr(4) : token;
        if (kept.size() > 255) continue;  // would not fit the 256-byte work buffer
        size_t eq = kept.find('=');
        if (eq == std::string_view::npos || eq == 0) continue;
        std::wstring key = AnsiToWide(kept.substr(0, eq));
        std::wstring value = AnsiToWide(kept.substr(eq + 1));
        std::erase_if(value, [](wchar_t c) { return c == L'\'' || c == L';' || c == L'"'; });
        map[key] = std::move(value);
    }
}

std::wstring Trim(std::wstring_view text) {
    while (!text.empty() && std::iswspace(text.front())) text.remove_prefix(1);
    while (!text.empty() && std::iswspace(text.back())) text.remove_suffix(1);
    return std::wstring(text);
}

std::wstring VerdictText(std::string_view replyBody) {
    std::wstring wide = AnsiToWide(replyBody);
    if (wide.size() > 255) wide.resize(255);
    return Trim(wide);
}

int CommandVerdict(std::wstring_view t, int transportCode, int& code) {
    bool result = Contains(t, L"result");
    if (result && (Contains(t, L"ok") || Contains(t, L"=0"))) {
        code = 0;
        return 1;
    }
    if (result && Contains(t, L"Auth") && Contains(t, L"Failed")) {
        code = 3;
        return 0;
    }
    if (result && (Contains(t, L"failed") || Contains(t, L"erro") || Contains(t, L"=-1"))) {
        code = 1;
        return 0;
    }
    if (Contains(t, L"response") && Contains(t, L"-1")) {
        code = 1;
        return 0;
    }
    code = transportCode == 0 ? 1 : transportCode;
    return 0;
}

int UploadVerdict(std::wstring_view t, int& code) {
    bool result = Contains(t, L"result");
    if (result && (Contains(t, L"ok") || Contains(t, L"=0"))) {
        code = 0;
        return 1;
    }
    code = result && Contains(t, L"Auth") && Contains(t, L"Failed") ? 3 : 1;
    return 0;
}

int NormalizeJson(std::wstring_view text, std::wstring& out) {
    out.clear();
    std::string bytes = WideToOem(text);
    if (bytes.size() > 255) return 0;  // larger than the reader's 256-byte buffer
    std::vector<std::wstring> items;
    size_t i = 0;
    while (i < bytes.size()) {
        size_t end = bytes.find(',', i);
        if (end == std::string::npos) end = bytes.size();
        std::string_view token(bytes.data() + i, end - i);
        i = end + 1;
        if (token.empty() || token.size() > 128) continue;
        size_t colon = token.find(':');
        if (colon == std::string_view::npos || colon == 0) continue;
        std::wstring key = Trim(AnsiToWide(token.substr(0, colon)));
        if (key.find(L'"') == std::wstring::npos) key = L"\"" + key + L"\"";
        if (size_t b = key.find(L'{'); b != std::wstring::npos) key.erase(b, 1);
        std::wstring value = Trim(AnsiToWide(token.substr(colon + 1)));
        if (size_t b = value.find(L'}'); b != std::wstring::npos) value.erase(b, 1);
        items.push_back(key + L":" + value);
    }
    if (items.size() < 2) return 0;
    out = L"{";
    for (size_t k = 0; k < items.size(); ++k) {
        if (k) out += L",";
        out += Trim(items[k]);
    }
    out += L"}";
    return 1;
}

std::wstring FormatBoundary(int year, int month, int day, int hour, int minute, int second,
                            int millisecond) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d%02d%02d%02d%d", year, month, day, hour, minute,
                  second, millisecond);
    return AnsiToWide(buf);
}

}  // namespace zv::http
