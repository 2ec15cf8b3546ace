#include "camlist/onekey_plan.h"

#include <gtest/gtest.h>

#include <cstring>

#include "camera_fixture.h"

namespace {

NetCardEntry Adapter(const wchar_t* ip) {
    NetCardEntry card;
    card.strIP = ip;
    card.strMask = L"255.255.255.0";
    card.strGateway = L"192.168.1.1";
    card.strDns1 = L"192.168.1.2";
    card.strDns2 = L"";
    return card;
}

TEST(SplitDottedAddress, PartsAndMissingDots) {
    const struct {
        const wchar_t* pszText;
        int n[4];
    } kCases[] = {
        {L"192.168.1.10", {192, 168, 1, 10}},
        {L" 10 . 0 .0. 55 ", {10, 0, 0, 55}},
        {L"1.2.3", {1, 2, -1, -1}},
        {L"1.2", {1, -1, -1, -1}},
        {L"", {-1, -1, -1, -1}},
        {L"abc", {-1, -1, -1, -1}},
        {L"...", {0, 0, 0, 0}},
        {L"1.2.3.4.5", {1, 2, 3, 4}},
        {L"a.b.c.d", {0, 0, 0, 0}},
        {L"300.2x.-3.99999999999", {300, 2, -3, 2147483647}},
    };
    for (const auto& c : kCases) {
        int n[4];
        SplitDottedAddress(c.pszText, n);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(n[i], c.n[i]) << c.pszText << " part " << i;
    }
}

TEST(OneKeyPlan, MovesTheCameraIntoTheAdapterNetwork) {
    const struct {
        const wchar_t* pszAdapter;
        const char* pszCamera;
        const wchar_t* pszPlanned;
    } kCases[] = {
        {L"192.168.1.10", "10.0.0.55", L"192.168.1.55"},
        {L"192.168.1.55", "10.0.0.55", L"192.168.1.56"},
        {L"192.168.1.255", "10.0.0.255", L"192.168.1.188"},
        {L"192.168.1.254", "7.7.7.254", L"192.168.1.255"},
        {L"172.16.5.1", "172.16.5.1", L"172.16.5.2"},
    };
    for (const auto& c : kCases) {
        OneKeyPlan plan;
        ASSERT_EQ(PlanOneKeySet(MakeCamera(1, c.pszCamera), Adapter(c.pszAdapter), plan),
                  ONEKEY_PLANNED)
            << c.pszCamera;
        EXPECT_EQ(plan.strIP, c.pszPlanned);
        EXPECT_EQ(plan.strMask, L"255.255.255.0");
        EXPECT_EQ(plan.strGateway, L"192.168.1.1");
        EXPECT_EQ(plan.strDns1, L"192.168.1.2");
        EXPECT_EQ(plan.strDns2, L"");
    }
}

TEST(OneKeyPlan, RefusesDhcpCamerasAndUnsplittableAddresses) {
    OneKeyPlan plan;
    CameraEntry dhcp = MakeCamera(1, "10.0.0.55");
    dhcp.params.bDhcp = 1;
    EXPECT_EQ(PlanOneKeySet(dhcp, Adapter(L"192.168.1.10"), plan), ONEKEY_DHCP);
    const struct {
        const wchar_t* pszAdapter;
        const char* pszCamera;
    } kBad[] = {{L"192.168.1", "10.0.0.55"}, {L"", "10.0.0.55"},        {L"192.168.1.10", "10.0.0"},
                {L"192.168.1.10", ""},       {L"300.1.1.1", "1.1.1.1"}, {L"1.1.1.1", "1.1.1.-4"}};
    for (const auto& c : kBad)
        EXPECT_EQ(PlanOneKeySet(MakeCamera(1, c.pszCamera), Adapter(c.pszAdapter), plan),
                  ONEKEY_BAD_ADDRESS)
            << c.pszCamera;
}

TEST(OneKeyPlan, BlockKeepsEveryOtherByte) {
    CameraEntry cam = MakeCamera(1, "10.0.0.55", "name", 8080);
    std::memset(cam.params.szGateway, 'g', sizeof cam.params.szGateway);  // no terminator
    cam.params.byReserved1 = 0x5A;
    cam.params.byReserved2[21] = 0x77;
    OneKeyPlan plan;
    ASSERT_EQ(PlanOneKeySet(cam, Adapter(L"192.168.1.10"), plan), ONEKEY_PLANNED);
    plan.strDns2 = L"8.8.8.8.8.8.8.8.8.8";  // longer than its field
    CameraParams p = cam.params;
    ApplyOneKeyPlan(p, plan);
    SetCredentials(p, L"admin", std::wstring(40, L'p'));
    EXPECT_STREQ(p.szIP, "192.168.1.55");
    EXPECT_STREQ(p.szMask, "255.255.255.0");
    EXPECT_STREQ(p.szGateway, "192.168.1.1");
    EXPECT_EQ(std::memcmp(p.szGateway + 12, "\0\0\0\0", 4), 0);
    EXPECT_EQ(zv::FieldText(p.szDns2), "8.8.8.8.8.8.8.8");
    EXPECT_STREQ(p.szUser, "admin");
    EXPECT_EQ(zv::FieldText(p.szPwd), std::string(31, 'p'));
    // Everything else goes back as the camera sent it.
    CameraParams expect = cam.params;
    std::memcpy(expect.szIP, p.szIP, 16);
    std::memcpy(expect.szMask, p.szMask, 16);
    std::memcpy(expect.szGateway, p.szGateway, 16);
    std::memcpy(expect.szDns1, p.szDns1, 16);
    std::memcpy(expect.szDns2, p.szDns2, 16);
    std::memcpy(expect.szUser, p.szUser, 32);
    std::memcpy(expect.szPwd, p.szPwd, 32);
    EXPECT_EQ(std::memcmp(&expect, &p, sizeof p), 0);
}

}  // namespace
