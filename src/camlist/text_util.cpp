#include "camlist/text_util.h"

#include <climits>

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

}  // namespace

std::wstring_view TrimBlanks(std::wstring_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

int ReadDecimal(std::wstring_view s) {
    s = TrimBlanks(s);
    bool bNegative = false;
    if (!s.empty() && (s.front() == L'+' || s.front() == L'-')) {
        bNegative = s.front() == L'-';
        s.remove_prefix(1);
    }
    long long v = 0;
    for (wchar_t c : s) {
        if (c < L'0' || c > L'9') break;
        v = v * 10 + (c - L'0');
        if (v > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (bNegative) v = -v;
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

std::wstring PadRight(std::wstring_view s, size_t nWidth) {
    std::wstring out(s);
    if (out.size() < nWidth) out.append(nWidth - out.size(), L' ');
    return out;
}
