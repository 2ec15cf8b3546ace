// The catalogue reader: loose JSON rewritten to strict JSON, then the three members.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/json_handle.h"

struct JsonCase {
    const char* name;
    std::wstring text;
    int ok;
    std::wstring fwName, server, file;
};

TEST(ParseFirmwareInfo, Table) {
    const std::vector<JsonCase> cases = {
        {"quoted keys",
         L"{\"name\":\"48.1.2.4\",\"download_server\":\"fw.example\",\"download_file\":\"/f.bin\"}",
         1, L"48.1.2.4", L"fw.example", L"/f.bin"},
        {"bare keys give the same",
         L"{name:\"48.1.2.4\",download_server:\"fw.example\",download_file:\"/f.bin\"}", 1,
         L"48.1.2.4", L"fw.example", L"/f.bin"},
        {"white space around keys, colons and values",
         L"{ \"name\" :  \"n\" , \"download_server\" : \"s\" ,\t\"download_file\" : \"f\" }", 1,
         L"n", L"s", L"f"},
        {"bare first key after white space keeps it inside its quotes",
         L"{ name:\"n\",download_server:\"s\",download_file:\"f\"}", 1, L"", L"s", L"f"},
        {"a value with a colon survives whole",
         L"{\"name\":\"n\",\"download_server\":\"host:8080\",\"download_file\":\"f\"}", 1, L"n",
         L"host:8080", L"f"},
        {"a value with a comma is cut there",
         L"{\"name\":\"n\",\"download_server\":\"a,b\",\"download_file\":\"f\"}", 0, L"-", L"-",
         L"-"},
        {"other members are ignored; absent ones are empty", L"{\"name\":\"n\",\"size\":123}", 1,
         L"n", L"", L""},
        {"a member that is not a string reads as empty",
         L"{\"name\":5,\"download_server\":true,\"download_file\":null}", 1, L"", L"", L""},
        {"a one-member object fails", L"{\"name\":\"n\"}", 0, L"-", L"-", L"-"},
        {"empty text fails", L"", 0, L"-", L"-", L"-"},
        {"no colon fails", L"{a,b,c}", 0, L"-", L"-", L"-"},
        {"a nested object before the last member unbalances the text",
         L"{\"name\":{\"x\":1},\"download_server\":\"s\",\"download_file\":\"f\"}", 0, L"-", L"-",
         L"-"},
        {"longer than 255 bytes is refused",
         L"{\"name\":\"n\",\"download_server\":\"s\",\"download_file\":\"" +
             std::wstring(240, L'f') + L"\"}",
         0, L"-", L"-", L"-"},
    };
    for (const JsonCase& c : cases) {
        CJsonHandle h;
        std::wstring n = L"-", s = L"-", f = L"-";
        EXPECT_EQ(h.ParseFirmwareInfo(c.text, n, s, f), c.ok) << c.name;
        EXPECT_EQ(n, c.fwName) << c.name;
        EXPECT_EQ(s, c.server) << c.name;
        EXPECT_EQ(f, c.file) << c.name;
    }
}

TEST(NormalizeJson, Rewrites) {
    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        {L"{a:1,b:2}", L"{\"a\":1,\"b\":2}"},
        {L"{\"a\":\"x\" , b : \"y\"}", L"{\"a\":\"x\",\"b\":\"y\"}"},
        {L"{ a:1,b:2}", L"{\" a\":1,\"b\":2}"},   // brace removed after quoting
        {L"{a:1,,,b:2,}", L"{\"a\":1,\"b\":2}"},  // empty tokens never appear
        {L"{a:1,junk,b:2}", L"{\"a\":1,\"b\":2}"},
        {L"{a:1,:x,b:2}", L"{\"a\":1,\"b\":2}"},  // colon first: skipped
        {L"{a:1,b:2}}", L"{\"a\":1,\"b\":2}}"},   // only the first brace goes
    };
    for (const auto& [in, out] : cases) {
        CJsonHandle h;
        std::wstring got = L"stale";
        EXPECT_EQ(h.NormalizeJson(in, got), 1) << std::string(in.begin(), in.end());
        EXPECT_EQ(got, out);
    }
    CJsonHandle h;
    std::wstring got = L"stale";
    EXPECT_EQ(h.NormalizeJson(L"{a:1}", got), 0);
    EXPECT_EQ(got, L"");
    // A token over 128 bytes is skipped.
    EXPECT_EQ(h.NormalizeJson(L"{a:1,b:\"" + std::wstring(130, L'x') + L"\",c:2}", got), 1);
    EXPECT_EQ(got, L"{\"a\":1,\"c\":2}");
}
