// Text conversions between the 8-bit texts of the wire and the files, and the wide texts
// of the user interface.
//
// The original platform's "ANSI" and "OEM" code pages are, on this platform, the 8-bit
// character set of the user's locale (LC_ALL / LC_CTYPE / LANG). ASCII always passes
// unchanged. A byte the charset cannot decode becomes U+FFFD, a character it cannot
// encode becomes '?': a conversion never fails.
#pragma once
#include <string>
#include <string_view>

namespace zv {

std::wstring AnsiToWide(std::string_view text);
// The encoder used for every 8-bit text the program writes (wire fields, export lines).
std::string WideToOem(std::wstring_view text);

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// Name of the locale's charset as the conversions see it (for diagnostics and tests).
std::string LocaleCharset();

}  // namespace zv
