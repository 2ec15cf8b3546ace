#include "http/json_handle.h"

#include <json/json.h>

#include <cstring>
#include <exception>

#include "base/text_conv.h"
#include "http/http_parse.h"

int CJsonHandle::NormalizeJson(const std::wstring& text, std::wstring& out) {
    return zv::http::NormalizeJson(text, out);
}

int CJsonHandle::ParseFirmwareInfo(const std::wstring& text, std::wstring& name,
                                   std::wstring& server, std::wstring& file) {
    std::wstring strict;
    if (!NormalizeJson(text, strict)) return 0;
    std::string bytes = zv::WideToOem(strict);
    if (bytes.size() > 511) return 0;  // larger than the reader's 512-byte buffer
    std::wstring out[3];
    try {
        Json::Reader reader;
        Json::Value root;
        if (!reader.parse(bytes, root, true) || !root.isObject()) return 0;
        const char* keys[3] = {"name", "download_server", "download_file"};
        for (int i = 0; i < 3; ++i) {
            const Json::Value& v = root[keys[i]];
            // A member that is not a string reads as empty text, never as a crash.
            if (!v.isString()) continue;
            const char* s = v.asCString();
            out[i] = zv::AnsiToWide(std::string_view(s, strlen(s)));
            if (out[i].size() > 255) out[i].resize(255);
        }
    } catch (const std::exception&) {
        return 0;  // nothing of jsoncpp's leaves this module
    }
    name = out[0];
    server = out[1];
    file = out[2];
    return 1;
}
