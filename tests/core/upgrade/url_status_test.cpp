#include <gtest/gtest.h>

#include "upgrade/upgrade_status.h"
#include "upgrade/upgrade_types.h"
#include "upgrade/url_text.h"

namespace {

TEST(PercentEncode, OnlyBytesThatChangeTheRequestAreEncoded) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"402613", "402613"},
        {"admin", "admin"},
        {"a-b_c.d~e/f:g@h!*'();,$[]{}|\\^`<>", "a-b_c.d~e/f:g@h!*'();,$[]{}|\\^`<>"},
        {"p&w", "p%26w"},
        {"a=b?c#d%e+f\"g", "a%3Db%3Fc%23d%25e%2Bf%22g"},
        {"two words", "two%20words"},
        {std::string("\x01\t\r\n\x1F\x7F", 6), "%01%09%0D%0A%1F%7F"},
        {"\x80\xC3\xA9\xFF", "%80%C3%A9%FF"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(upg::PercentEncode(c.in), c.out) << c.in;
}

TEST(CameraUrl, PortEightyHasNoPortAndQueryJoinsByItsMark) {
    EXPECT_EQ(upg::CameraBaseUrl("192.168.1.20", 80), "http://192.168.1.20/");
    EXPECT_EQ(upg::CameraBaseUrl("192.168.1.20", 81), "http://192.168.1.20:81/");
    EXPECT_EQ(upg::CatalogueBaseUrl("fw.example.invalid"), "http://fw.example.invalid:808/");
    EXPECT_EQ(upg::CredentialQuery("A", "P", false), "?user=A&pwd=P&loginuse=A&loginpas=P");
    EXPECT_EQ(upg::CredentialQuery("A", "P", true), "&user=A&pwd=P&loginuse=A&loginpas=P");
    EXPECT_EQ(upg::CredentialQuery("", "", false), "?user=&pwd=&loginuse=&loginpas=");
    EXPECT_EQ(upg::CredentialQuery("ad min", "a&b=c", false),
              "?user=ad%20min&pwd=a%26b%3Dc&loginuse=ad%20min&loginpas=a%26b%3Dc");
}

TEST(CatalogueHost, BuildConstantIsUnderTheReservedDomainAndFitsAUrlHost) {
    std::string host = upg::CatalogueHost();
    ASSERT_GE(host.size(), 9u);
    EXPECT_EQ(host.substr(host.size() - 8), ".invalid");
    EXPECT_LE(host.size(), 19u) << "the transport takes URL hosts of at most 19 characters";
}

TEST(StatusText, SmartAndManualTables) {
    using upg::StatusExtra;
    struct Case {
        int32_t status;
        int smartId;
        StatusExtra smartExtra;
        bool smartGoOn;
        int manualId;
        bool manualGoOn;
    } cases[] = {
        {-1, 188, StatusExtra::None, true, 0, true},
        {3, 124, StatusExtra::None, false, 124, false},
        {7, 169, StatusExtra::None, false, 169, false},
        {9, 169, StatusExtra::None, false, 169, false},
        {10, 184, StatusExtra::None, true, 177, false},
        {28, 189, StatusExtra::None, false, 177, false},
        {29, 185, StatusExtra::SysVersion, true, 177, false},
        {30, 187, StatusExtra::None, false, 177, false},
        {31, 186, StatusExtra::LatestName, true, 177, false},
        {32, 170, StatusExtra::Ticks, true, 170, true},
        {33, 171, StatusExtra::Ticks, true, 171, true},
        {34, 172, StatusExtra::None, false, 172, false},
        {35, 173, StatusExtra::Ticks, true, 173, true},
        {36, 174, StatusExtra::Ticks, true, 174, true},
        {37, 175, StatusExtra::None, false, 175, false},
        {38, 176, StatusExtra::None, false, 176, false},
        {8, 177, StatusExtra::Code, false, 177, false},
        {0, 177, StatusExtra::Code, false, 177, false},
    };
    for (const Case& c : cases) {
        upg::StatusTextSpec s = upg::SmartStatusText(c.status);
        EXPECT_EQ(s.nStringId, c.smartId) << c.status;
        EXPECT_EQ(s.extra, c.smartExtra) << c.status;
        EXPECT_EQ(s.bGoOn, c.smartGoOn) << c.status;
        upg::StatusTextSpec m = upg::ManualStatusText(c.status);
        EXPECT_EQ(m.nStringId, c.manualId) << c.status;
        EXPECT_EQ(m.bGoOn, c.manualGoOn) << c.status;
        EXPECT_EQ(upg::IsCountingStatus(c.status),
                  c.status >= 32 && c.status <= 36 && c.status != 34)
            << c.status;
    }
}

TEST(StatusText, FormatAppendsWithoutOrWithSpace) {
    auto f = [](int32_t st, int32_t ticks) {
        return upg::FormatStatusText(upg::SmartStatusText(st), L"T", st, ticks, L"1.2", L"1.3");
    };
    EXPECT_EQ(f(36, 12), L"T12");
    EXPECT_EQ(f(29, 5), L"T 1.2");
    EXPECT_EQ(f(31, 5), L"T 1.3");
    EXPECT_EQ(f(8, 5), L"T = 8");
    EXPECT_EQ(f(38, 5), L"T");
    std::wstring ts = upg::LogTimeStamp();
    ASSERT_EQ(ts.size(), 21u);  // "YYYY-MM-DD hh:mm:ss: "
    EXPECT_EQ(ts.substr(19), L": ");
    EXPECT_EQ(ts[4], L'-');
    EXPECT_EQ(ts[10], L' ');
}

}  // namespace
