// CJsonHandle: reads the firmware catalogue's reply, a small loose JSON object, into the
// three texts the online upgrade needs.
#pragma once
#include <string>

class CJsonHandle {
public:
    CJsonHandle() = default;
    virtual ~CJsonHandle() = default;

    // 1 with name, server and file replaced by the members "name", "download_server"
    // and "download_file" (empty when absent or not a string); 0 leaves them untouched.
    int ParseFirmwareInfo(const std::wstring& text, std::wstring& name, std::wstring& server,
                          std::wstring& file);
    // Rewrites text into strict JSON in out; 1/0.
    int NormalizeJson(const std::wstring& text, std::wstring& out);
};
