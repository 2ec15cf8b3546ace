// Small text helpers of the camera-list rules: trimming, reading a number the lenient
// way the list and the address plan read them, and left-aligned padding.
#pragma once
#include <string>
#include <string_view>

// Without blanks (space, tab, CR, LF, VT, FF) at both ends.
std::wstring_view TrimBlanks(std::wstring_view s);
// A decimal integer: optional sign, then digits up to the first non-digit; no digits
// read as 0; values beyond the int range saturate.
int ReadDecimal(std::wstring_view s);
// s followed by blanks up to nWidth characters; a longer s is kept whole.
std::wstring PadRight(std::wstring_view s, size_t nWidth);
