// CGI reply tokenizer and verdict rules on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "http/http_parse.h"

using namespace zv::http;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    CgiParamMap map;
    ParseCgiTokens(in, map);
    for (const auto& [key, value] : map) {
        if (key.empty() || key.size() > 255) std::abort();
        if (value.find_first_of(L"'\";\r\n") != std::wstring::npos) std::abort();
    }
    std::wstring text = VerdictText(in);
    if (text.size() > 255) std::abort();
    int code = -1;
    int ok = CommandVerdict(text, size % 16, code);
    if ((ok == 1) != (code == 0)) std::abort();
    ok = UploadVerdict(text, code);
    if ((ok == 1) != (code == 0) || (code != 0 && code != 1 && code != 3)) std::abort();
    return 0;
}
