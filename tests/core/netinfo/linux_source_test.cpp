// The Linux source against real kernel interfaces: the test process moves into network
// and mount namespaces of its own, builds veth links with addresses and
// default routes there, and puts a private resolv.conf in place.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "netinfo/linux_adapter_source.h"

namespace {

std::string MakeTempDir() {
    char dir[] = "/tmp/netinfo-testXXXXXX";
    return mkdtemp(dir) ? dir : "";
}

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

class LinuxSourceInNamespace : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Private namespaces for the rest of this process: nothing below can touch the
        // machine's own interfaces or files.
        s_why = "unshare";
        if (unshare(CLONE_NEWNET | CLONE_NEWNS) != 0) return;
        s_why = "private mounts";
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return;
        s_dir = MakeTempDir();
        WriteFile(s_dir + "/resolv.conf",
                  "# private\nsearch example.invalid\nnameserver 10.53.0.1\n"
                  "nameserver fd00::53\n  nameserver   10.53.0.2  \nnameserver 10.53.0.3\n");
        s_why = "bind-mounting resolv.conf";
        if (mount((s_dir + "/resolv.conf").c_str(), "/etc/resolv.conf", nullptr, MS_BIND,
                  nullptr) != 0)
            return;
        s_why = "hiding systemd-resolved state";
        struct stat st {};
        if (stat("/run/systemd/resolve", &st) == 0 &&
            mount("tmpfs", "/run/systemd/resolve", "tmpfs", 0, nullptr) != 0)
            return;
        const char* setup =
            "set -e; exec >/dev/null 2>&1;"
            "ip link set lo up;"
            "ip link add d0 type veth peer name d1; ip link set d0 address 02:00:00:aa:bb:cc;"
            "ip addr add 192.168.77.10/24 dev d0; ip addr add 10.9.0.5/16 dev d0;"
            "ip link set d1 up; ip link set d0 up;"
            "ip route add default via 192.168.77.1 dev d0;"
            "ip route add default via 192.168.77.2 dev d0 metric 200;"
            "ip link add v0 type veth peer name v1;"
            "ip link set dev v0 alias 'uplink to cams';"
            "ip addr add 172.20.0.1/30 dev v0; ip link set v0 up; ip link set v1 up;"
            "ip route add default metric 300 nexthop via 172.20.0.2 dev v0"
            "  nexthop via 192.168.77.3 dev d0";
        s_why = "ip link/addr/route set-up";
        s_bReady = std::system(setup) == 0;
    }

    static void TearDownTestSuite() {
        if (s_dir.empty()) return;
        umount("/etc/resolv.conf");
        std::system(("rm -rf '" + s_dir + "'").c_str());
    }

    void SetUp() override {
        if (!s_bReady) GTEST_SKIP() << "needs root for private namespaces; failed at " << s_why;
    }

    static const NetCardEntry* Find(const std::vector<NetCardEntry>& v, const std::wstring& d) {
        for (const NetCardEntry& e : v)
            if (e.strDesc == d) return &e;
        return nullptr;
    }

    static inline bool s_bReady = false;
    static inline std::string s_dir;
    static inline const char* s_why = "";
};

TEST_F(LinuxSourceInNamespace, ListsEveryInterfaceWithAddressesRoutesAndDns) {
    std::vector<NetCardEntry> list;
    ASSERT_EQ(CNetCardInfo().GetNetCardList(list), 1);
    ASSERT_EQ(list.size(), 5u);  // lo, d0, d1, v0, v1: none skipped
    EXPECT_EQ(list[0].strDesc, L"lo");

    const NetCardEntry* lo = Find(list, L"lo");
    EXPECT_EQ(lo->strIP, L"127.0.0.1");
    EXPECT_EQ(lo->strMask, L"255.0.0.0");
    EXPECT_EQ(lo->strMac, L"000000000000");
    EXPECT_EQ(lo->nAddrLen, 6);
    EXPECT_EQ(lo->strGateway, L"");

    const NetCardEntry* d0 = Find(list, L"d0 (veth)");
    ASSERT_NE(d0, nullptr);
    EXPECT_EQ(d0->strIP, L"192.168.77.10");
    EXPECT_EQ(d0->strMask, L"255.255.255.0");
    EXPECT_EQ(d0->strGateway, L"192.168.77.1");
    EXPECT_EQ(d0->strMac, L"020000AABBCC");
    // Every adapter gets the resolv.conf servers (IPv4 only, file order).
    EXPECT_EQ(d0->strDns1, L"10.53.0.1");
    EXPECT_EQ(d0->strDns2, L"10.53.0.2");

    const NetCardEntry* v0 = Find(list, L"v0 (uplink to cams)");
    ASSERT_NE(v0, nullptr);
    EXPECT_EQ(v0->strIP, L"172.20.0.1");
    EXPECT_EQ(v0->strMask, L"255.255.255.252");
    EXPECT_EQ(v0->strGateway, L"172.20.0.2");  // a hop of the multipath default route

    const NetCardEntry* v1 = Find(list, L"v1 (veth)");
    ASSERT_NE(v1, nullptr);
    EXPECT_EQ(v1->strIP, L"");  // no address: still listed
    EXPECT_EQ(v1->strMac.size(), 12u);
}

TEST_F(LinuxSourceInNamespace, DetailsHoldEveryAddressAndGateway) {
    CLinuxAdapterSource src;
    std::vector<AdapterRecord> recs;
    ASSERT_EQ(src.QueryAdapters(recs), 0);
    const AdapterRecord* d0 = nullptr;
    for (const AdapterRecord& r : recs)
        if (r.strAdapterName == "d0") d0 = &r;
    ASSERT_NE(d0, nullptr);
    using Pair = std::pair<std::string, std::string>;
    EXPECT_EQ(d0->vecIPMask,
              (std::vector<Pair>{{"192.168.77.10", "255.255.255.0"}, {"10.9.0.5", "255.255.0.0"}}));
    EXPECT_EQ(d0->vecGateway,
              (std::vector<std::string>{"192.168.77.1", "192.168.77.2", "192.168.77.3"}));
    EXPECT_TRUE(d0->bHaveCurrent);
    EXPECT_EQ(d0->strCurrentIP, "192.168.77.10");
    EXPECT_EQ(d0->nType, 6u);
    EXPECT_EQ(d0->nAddressLength, 6u);
    EXPECT_EQ(d0->bDhcpEnabled, 0u);  // configured, not leased
    EXPECT_EQ(recs[0].nType, 24u);    // loopback
}

TEST_F(LinuxSourceInNamespace, ResolvedPerLinkServersComeFirst) {
    std::string links = s_dir + "/links";
    mkdir(links.c_str(), 0755);
    WriteFile(links + "/2", "# state\nSERVERS=10.0.2.53#dns.example 10.0.2.54:53 fe80::1%2\n");
    WriteFile(links + "/3", "SERVERS=\n");
    LinuxSourcePaths paths;
    paths.strResolvedLinks = links;
    CLinuxAdapterSource src(paths);
    std::vector<std::string> dns;
    EXPECT_EQ(src.QueryDns(2, dns), 0);
    EXPECT_EQ(dns, (std::vector<std::string>{"10.0.2.53", "10.0.2.54"}));
    // A link resolved knows no servers for falls back to resolv.conf.
    EXPECT_EQ(src.QueryDns(3, dns), 0);
    EXPECT_EQ(dns, (std::vector<std::string>{"10.53.0.1", "10.53.0.2", "10.53.0.3"}));
    paths.strResolvConf = s_dir + "/missing.conf";
    CLinuxAdapterSource none(paths);
    EXPECT_NE(none.QueryDns(3, dns), 0);
    EXPECT_TRUE(dns.empty());
}

TEST(ParseDnsTexts, ServerListsAndResolvConf) {
    EXPECT_EQ(ParseResolvedServers("1.1.1.1 9.9.9.9#dns.quad9.net 8.8.8.8:53 ::1 fe80::1%2 x"),
              (std::vector<std::string>{"1.1.1.1", "9.9.9.9", "8.8.8.8"}));
    EXPECT_EQ(ParseResolvConf("nameserver 1.2.3.4\n#nameserver 5.5.5.5\nnameserver\n"
                              "options ndots:1\nnameserver 1.2.3.400\nnameserver 4.3.2.1"),
              (std::vector<std::string>{"1.2.3.4", "4.3.2.1"}));
}

}  // namespace
