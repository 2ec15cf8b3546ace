// Catalogue normaliser and reader on arbitrary text: as 8-bit reply text, and as wide
// characters of any value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/text_conv.h"
#include "http/json_handle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CJsonHandle h;
    std::wstring name = L"n", server = L"s", file = L"f";
    std::wstring text = zv::AnsiToWide(std::string_view(reinterpret_cast<const char*>(data), size));
    if (h.ParseFirmwareInfo(text, name, server, file) == 1) {
        if (name.size() > 255 || server.size() > 255 || file.size() > 255) std::abort();
    } else if (name != L"n" || server != L"s" || file != L"f") {
        std::abort();  // a failed read leaves the texts alone
    }
    std::wstring wide;
    for (size_t i = 0; i + 1 < size; i += 2)
        wide += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
    std::wstring out;
    if (h.NormalizeJson(wide, out) == 1 && (out.front() != L'{' || out.back() != L'}'))
        std::abort();
    h.ParseFirmwareInfo(wide, name, server, file);
    return 0;
}
