#include "base/text_conv.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstring>

namespace zv {
namespace {

bool IsAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

bool IsAscii(std::wstring_view s) {
    for (wchar_t c : s)
        if (static_cast<unsigned long>(c) >= 0x80) return false;
    return true;
}

std::string DetectCharset() {
    locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0)) return "ANSI_X3.4-1968";
    std::string cs = nl_langinfo_l(CODESET, loc);
    freelocale(loc);
    return cs.empty() ? "ANSI_X3.4-1968" : cs;
}

const std::string& Charset() {
    static const std::string cs = DetectCharset();
    return cs;
}

// Runs iconv over the whole input; on an invalid sequence writes `bad` and skips one
// input unit. The descriptor is opened per call: iconv_t must not be shared by threads.
template <class Out, class In>
Out Convert(const char* to, const char* from, const In* in, size_t n, const Out& bad) {
    Out out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    char* src = reinterpret_cast<char*>(const_cast<In*>(in));
    size_t srcLeft = n * sizeof(In);
    char buf[1024];
    while (srcLeft > 0) {
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        using Unit = typename Out::value_type;
        out.append(reinterpret_cast<Unit*>(buf), (sizeof buf - dstLeft) / sizeof(Unit));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            if (errno == EILSEQ || errno == EINVAL) {
                out += bad;
                src += sizeof(In);
                srcLeft -= srcLeft >= sizeof(In) ? sizeof(In) : srcLeft;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
            } else {
                break;
            }
        }
    }
    iconv_close(cd);
    return out;
}

std::wstring Widen(std::string_view s) {
    std::wstring w;
    w.reserve(s.size());
    for (unsigned char c : s) w += static_cast<wchar_t>(c);
    return w;
}

std::string Narrow(std::wstring_view s) {
    std::string n;
    n.reserve(s.size());
    for (wchar_t c : s) n += static_cast<char>(c);
    return n;
}

}  // namespace

std::string LocaleCharset() { return Charset(); }

std::wstring AnsiToWide(std::string_view text) {
    if (IsAscii(text)) return Widen(text);
    return Convert<std::wstring>("WCHAR_T", Charset().c_str(), text.data(), text.size(),
                                 std::wstring(1, L'\xFFFD'));
}

std::string WideToOem(std::wstring_view text) {
    if (IsAscii(text)) return Narrow(text);
    return Convert<std::string>(Charset().c_str(), "WCHAR_T", text.data(), text.size(),
                                std::string("?"));
}

std::wstring Utf8ToWide(std::string_view text) {
    if (IsAscii(text)) return Widen(text);
    return Convert<std::wstring>("WCHAR_T", "UTF-8", text.data(), text.size(),
                                 std::wstring(1, L'\xFFFD'));
}

std::string WideToUtf8(std::wstring_view text) {
    if (IsAscii(text)) return Narrow(text);
    return Convert<std::string>("UTF-8", "WCHAR_T", text.data(), text.size(), std::string("?"));
}

}  // namespace zv
