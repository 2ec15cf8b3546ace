#include "netinfo/net_card_info.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <map>

namespace {

AdapterRecord Record(const std::string& name, uint32_t index) {
    AdapterRecord a;
    a.strAdapterName = name;
    a.strDescription = name + " adapter";
    a.nIndex = index;
    a.nAddressLength = 6;
    for (int i = 0; i < 6; ++i) a.byAddress[i] = static_cast<uint8_t>(0x10 * index + i);
    return a;
}

// Hands out one adapter set per query, the last one for every later query.
class FakeSource : public IAdapterSource {
public:
    std::deque<std::vector<AdapterRecord>> sets;
    int nQueryResult = 0;
    std::map<uint32_t, std::vector<std::string>> dns;  // a missing index fails the query
    int nQueries = 0;

    int QueryAdapters(std::vector<AdapterRecord>& out) override {
        ++nQueries;
        out = sets.front();
        if (sets.size() > 1) sets.pop_front();
        return nQueryResult;
    }
    int QueryDns(uint32_t nIndex, std::vector<std::string>& out) override {
        auto it = dns.find(nIndex);
        if (it == dns.end()) return 1;
        out = it->second;
        return 0;
    }
};

TEST(GetNetCardList, NoAdapterOrFailedQueryAppendsNothing) {
    for (int result : {0, 232}) {
        FakeSource src;
        src.sets.push_back({});
        if (result) src.sets.front().push_back(Record("eth0", 2));
        src.nQueryResult = result;
        std::vector<NetCardEntry> list(1);
        testing::internal::CaptureStdout();
        EXPECT_EQ(CNetCardInfo(src).GetNetCardList(list), 0);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "No Network Adapters Found on System.\r\n");
        EXPECT_EQ(list.size(), 1u);
    }
}

TEST(GetNetCardList, EntriesTakeTheFirstAddressGatewayAndTwoDnsServers) {
    FakeSource src;
    AdapterRecord lo = Record("lo", 1);
    lo.nAddressLength = 0;
    std::memset(lo.byAddress, 0, sizeof lo.byAddress);
    AdapterRecord several = Record("eth0", 2);
    several.vecIPMask = {{"192.168.1.10", "255.255.255.0"}, {"10.0.0.5", "255.0.0.0"}};
    several.vecGateway = {"192.168.1.1", "192.168.1.254"};
    AdapterRecord oneDns = Record("eth1", 3);
    oneDns.vecIPMask = {{"0.0.0.0", "0.0.0.0"}};
    AdapterRecord noDns = Record("wlan0", 4);
    noDns.nAddressLength = 4;  // short hardware address: still 12 digits from 6 bytes
    src.sets.push_back({lo, several, oneDns, noDns});
    src.dns[1] = {};
    src.dns[2] = {"8.8.8.8", "1.1.1.1", "9.9.9.9"};
    src.dns[3] = {"192.168.2.1"};
    std::vector<NetCardEntry> list;
    ASSERT_EQ(CNetCardInfo(src).GetNetCardList(list), 1);
    ASSERT_EQ(list.size(), 4u);
    const struct {
        int32_t nAddrLen;
        const wchar_t *pszMac, *pszDesc, *pszIP, *pszMask, *pszGw, *pszDns1, *pszDns2;
    } kExpect[] = {
        {0, L"000000000000", L"lo adapter", L"", L"", L"", L"", L""},
        {6, L"202122232425", L"eth0 adapter", L"192.168.1.10", L"255.255.255.0", L"192.168.1.1",
         L"8.8.8.8", L"1.1.1.1"},
        {6, L"303132333435", L"eth1 adapter", L"0.0.0.0", L"0.0.0.0", L"", L"192.168.2.1", L""},
        {4, L"404142434445", L"wlan0 adapter", L"", L"", L"", L"", L""},
    };
    for (size_t i = 0; i < 4; ++i) {
        const NetCardEntry& e = list[i];
        EXPECT_EQ(e.nAddrLen, kExpect[i].nAddrLen) << i;
        EXPECT_EQ(e.strMac, kExpect[i].pszMac) << i;
        EXPECT_EQ(e.strDesc, kExpect[i].pszDesc) << i;
        EXPECT_EQ(e.strIP, kExpect[i].pszIP) << i;
        EXPECT_EQ(e.strMask, kExpect[i].pszMask) << i;
        EXPECT_EQ(e.strGateway, kExpect[i].pszGw) << i;
        EXPECT_EQ(e.strDns1, kExpect[i].pszDns1) << i;
        EXPECT_EQ(e.strDns2, kExpect[i].pszDns2) << i;
    }
    // Twice without emptying: every adapter twice.
    ASSERT_EQ(CNetCardInfo(src).GetNetCardList(list), 1);
    EXPECT_EQ(list.size(), 8u);
    EXPECT_EQ(list[5].strIP, L"192.168.1.10");
}

TEST(FillNetCardDetails, SizingPassThenFillPass) {
    FakeSource src;
    AdapterRecord a = Record("eth0", 2);
    a.bHaveCurrent = false;
    a.vecIPMask = {{"10.1.1.1", "255.255.0.0"}};
    a.nType = 6;
    a.bDhcpEnabled = 1;
    a.tLeaseExpires = 1234;
    src.sets.push_back({a, Record("eth1", 3)});
    src.dns[2] = {"10.1.1.53"};
    CNetCardInfo info(src);
    size_t nNeeded = 0;
    EXPECT_EQ(info.FillNetCardDetails(nullptr, 0, &nNeeded), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(nNeeded, 2 * sizeof(NetCardDetail));
    NetCardDetail d[2];
    EXPECT_EQ(info.FillNetCardDetails(d, sizeof(NetCardDetail), &nNeeded),
              ERROR_INSUFFICIENT_BUFFER);
    EXPECT_TRUE(d[0].strAdapterName.empty());
    EXPECT_EQ(info.FillNetCardDetails(d, sizeof d, &nNeeded), 0);
    EXPECT_EQ(d[0].strAdapterName, L"eth0");
    EXPECT_EQ(d[0].strCurrentIP, L"0.0.0.0");  // no current address
    EXPECT_EQ(d[0].strCurrentMask, L"0.0.0.0");
    EXPECT_EQ(d[0].nIndex, 2u);
    EXPECT_EQ(d[0].nType, 6u);
    EXPECT_EQ(d[0].bDhcpEnabled, 1u);
    EXPECT_EQ(d[0].tLeaseExpires, 1234);
    EXPECT_EQ(d[0].vecDns, std::vector<std::wstring>{L"10.1.1.53"});
    EXPECT_TRUE(d[1].vecDns.empty());  // its DNS query failed; it is listed all the same
    EXPECT_EQ(d[1].strAdapterName, L"eth1");
    // No adapter needs no bytes and succeeds.
    src.sets = {{}};
    EXPECT_EQ(info.FillNetCardDetails(nullptr, 0, &nNeeded), 0);
    EXPECT_EQ(nNeeded, 0u);
}

TEST(LoadFromAdapter, NullRecordChangesNothing) {
    FakeSource src;
    NetCardDetail d;
    d.strDescription = L"kept";
    EXPECT_EQ(d.LoadFromAdapter(nullptr, src), 0);
    EXPECT_EQ(d.strDescription, L"kept");
    AdapterRecord a = Record("eth0", 9);
    EXPECT_EQ(d.LoadFromAdapter(&a, src), 0);  // no DNS list for index 9
    src.dns[9] = {};
    NetCardDetail d2;
    EXPECT_EQ(d2.LoadFromAdapter(&a, src), 1);
}

// Adapters that come or go between the sizing and the fill pass: the list holds the
// adapters of one consistent set, never blank entries.
TEST(GetNetCardList, AdapterSetChangingBetweenPassesGivesNoBlankEntries) {
    {
        FakeSource grows;
        grows.sets = {{Record("eth0", 2)}, {Record("eth0", 2), Record("eth1", 3)}};
        std::vector<NetCardEntry> list;
        ASSERT_EQ(CNetCardInfo(grows).GetNetCardList(list), 1);
        ASSERT_EQ(list.size(), 2u);
        EXPECT_EQ(list[1].strDesc, L"eth1 adapter");
        EXPECT_EQ(grows.nQueries, 4);  // sized 1, grew, sized 2, filled 2
    }
    {
        FakeSource shrinks;
        shrinks.sets = {{Record("eth0", 2), Record("eth1", 3)}, {Record("eth1", 3)}};
        std::vector<NetCardEntry> list;
        ASSERT_EQ(CNetCardInfo(shrinks).GetNetCardList(list), 1);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].strDesc, L"eth1 adapter");
    }
    {
        FakeSource vanishes;
        vanishes.sets = {{Record("eth0", 2)}, {}};
        std::vector<NetCardEntry> list;
        testing::internal::CaptureStdout();
        EXPECT_EQ(CNetCardInfo(vanishes).GetNetCardList(list), 0);
        testing::internal::GetCapturedStdout();
        EXPECT_TRUE(list.empty());
    }
    {
        // A set that never settles ends after a bounded number of rounds.
        struct Growing : FakeSource {
            int QueryAdapters(std::vector<AdapterRecord>& out) override {
                ++nQueries;
                out.assign(static_cast<size_t>(nQueries), Record("eth", 2));
                return 0;
            }
        } endless;
        std::vector<NetCardEntry> list;
        testing::internal::CaptureStdout();
        EXPECT_EQ(CNetCardInfo(endless).GetNetCardList(list), 0);
        testing::internal::GetCapturedStdout();
        EXPECT_TRUE(list.empty());
        EXPECT_LE(endless.nQueries, 8);
    }
}

}  // namespace
