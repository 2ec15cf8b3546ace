#include "discovery/mode_class.h"

#include <cctype>
#include <climits>
#include <string_view>

namespace {

// A decimal number as the old integer reader takes it: blanks around it are ignored,
// an optional sign, then digits up to the first non-digit; no digits read as 0.
long ReadNumber(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > INT_MAX) v = INT_MAX;  // saturate: the class only needs small values
    }
    return neg ? -v : v;
}

}  // namespace

int ModeClassOf(const char* szVersion, size_t nMax) {
    if (!szVersion) return 5;
    size_t len = 0;
    while (len < nMax && szVersion[len] != '\0') ++len;
    std::string_view text(szVersion, len);

    size_t dot1 = text.find('.');
    if (dot1 == std::string_view::npos || dot1 + 1 >= text.size()) return 5;
    size_t dot2 = text.find('.', dot1 + 1);
    if (dot2 == std::string_view::npos) return 5;
    long b = ReadNumber(text.substr(dot1 + 1, dot2 - dot1 - 1));

    long c = -1;
    if (dot2 + 1 < text.size()) {
        size_t dot3 = text.find('.', dot2 + 1);
        if (dot3 != std::string_view::npos) c = ReadNumber(text.substr(dot2 + 1, dot3 - dot2 - 1));
    }

    if (b == 0 || b == 2 || b == 3 || b == 5 || b == 6) return 1;
    if (c >= 10 && c <= 19) return 2;
    if (c == 20) return 4;
    if (c >= 60) return 3;
    return 5;
}

const char* ModeLetter(int nMode) {
    switch (nMode) {
        case 1:
            return "T";
        case 2:
            return "F";
        case 3:
            return "C";
        case 4:
            return "G";
        default:
            return "Other";
    }
}
