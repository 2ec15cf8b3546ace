// Bounded copies into and out of fixed-width, zero-padded text fields (wire records,
// job records). A text that does not fit with its terminating zero is cut at the
// field's width minus one; nothing is ever written past the field.
#pragma once
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace zv {

// Writes src into dst[0..width): at most width-1 bytes, then zeros to the end.
inline void CopyToField(char* dst, size_t width, std::string_view src) {
    if (width == 0) return;
    size_t n = src.size() < width - 1 ? src.size() : width - 1;
    std::memcpy(dst, src.data(), n);
    std::memset(dst + n, 0, width - n);
}

template <size_t N>
void CopyToField(char (&dst)[N], std::string_view src) {
    CopyToField(dst, N, src);
}

// Like CopyToField, but a UTF-8 text is cut before a character that would not fit
// whole, so the field never ends in half a character.
inline void CopyUtf8ToField(char* dst, size_t width, std::string_view src) {
    if (width == 0) return;
    size_t n = src.size() < width - 1 ? src.size() : width - 1;
    if (n < src.size())
        while (n > 0 && (static_cast<unsigned char>(src[n]) & 0xC0) == 0x80) --n;
    CopyToField(dst, width, src.substr(0, n));
}

template <size_t N>
void CopyUtf8ToField(char (&dst)[N], std::string_view src) {
    CopyUtf8ToField(dst, N, src);
}

// The text of a field: up to its first zero byte, or all width bytes when it has none.
inline std::string FieldText(const char* f, size_t width) {
    const void* z = std::memchr(f, 0, width);
    return std::string(f, z ? static_cast<const char*>(z) - f : width);
}

template <size_t N>
std::string FieldText(const char (&f)[N]) {
    return FieldText(f, N);
}

}  // namespace zv
