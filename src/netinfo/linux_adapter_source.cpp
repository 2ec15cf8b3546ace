#include "netinfo/linux_adapter_source.h"

#include <arpa/inet.h>
#include <linux/if_arp.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

namespace {

using MsgHandler = std::function<void(const nlmsghdr*)>;

// NLMSG_OK with the byte count kept signed, so a short tail can never wrap it.
bool MessageFits(const nlmsghdr* h, int left) {
    return left >= static_cast<int>(sizeof(nlmsghdr)) && h->nlmsg_len >= sizeof(nlmsghdr) &&
           h->nlmsg_len <= static_cast<unsigned>(left);
}

// Sends one dump request of the given type with a family header body and hands every
// answer message to onMsg. 0 on success, -1 when the kernel could not be asked.
int NetlinkDump(uint16_t nType, const void* pBody, size_t nBody, const MsgHandler& onMsg) {
    int fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) return -1;
    struct {
        nlmsghdr hdr;
        char body[64];
    } req{};
    req.hdr.nlmsg_len = static_cast<uint32_t>(NLMSG_LENGTH(nBody));
    req.hdr.nlmsg_type = nType;
    req.hdr.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    req.hdr.nlmsg_seq = 1;
    std::memcpy(req.body, pBody, std::min(nBody, sizeof req.body));
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    int result = -1;
    if (sendto(fd, &req, req.hdr.nlmsg_len, 0, reinterpret_cast<sockaddr*>(&kernel),
               sizeof kernel) >= 0) {
        std::vector<char> buf(64 * 1024);
        for (bool bDone = false; !bDone;) {
            ssize_t n = recv(fd, buf.data(), buf.size(), 0);
            if (n <= 0) break;
            auto* h = reinterpret_cast<nlmsghdr*>(buf.data());
            int left = static_cast<int>(n);
            for (; MessageFits(h, left); h = NLMSG_NEXT(h, left)) {
                if (h->nlmsg_type == NLMSG_DONE) {
                    result = 0;
                    bDone = true;
                    break;
                }
                if (h->nlmsg_type == NLMSG_ERROR) {
                    bDone = true;
                    break;
                }
                onMsg(h);
            }
        }
    }
    close(fd);
    return result;
}

// Attributes of one message, by type (the first of each type wins).
std::map<int, std::string_view> Attributes(const rtattr* rta, int len) {
    std::map<int, std::string_view> out;
    for (; RTA_OK(rta, len); rta = RTA_NEXT(rta, len))
        out.emplace(rta->rta_type & NLA_TYPE_MASK,
                    std::string_view(static_cast<const char*>(RTA_DATA(rta)), RTA_PAYLOAD(rta)));
    return out;
}

std::string Ipv4Text(std::string_view raw) {
    if (raw.size() != 4) return std::string();
    char buf[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, raw.data(), buf, sizeof buf);
    return buf;
}

std::string MaskText(unsigned nPrefix) {
    uint32_t mask = nPrefix == 0 ? 0 : htonl(~0u << (32 - std::min(nPrefix, 32u)));
    return Ipv4Text(std::string_view(reinterpret_cast<const char*>(&mask), 4));
}

std::string CText(std::string_view raw) { return std::string(raw.substr(0, raw.find('\0'))); }

bool PathExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

std::string ReadFile(const std::string& path, bool* pOk = nullptr) {
    std::ifstream in(path, std::ios::binary);
    if (pOk) *pOk = static_cast<bool>(in);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The driver of a hardware interface, as sysfs names it.
std::string DriverName(const std::string& sysNet, const std::string& ifname) {
    char target[256] = {};
    std::string link = sysNet + "/" + ifname + "/device/driver";
    ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
    if (n <= 0) return std::string();
    std::string t(target, static_cast<size_t>(n));
    return t.substr(t.rfind('/') + 1);
}

uint32_t AdapterType(unsigned short arphrd, const std::string& sysNet, const std::string& ifname) {
    switch (arphrd) {
        case ARPHRD_LOOPBACK:
            return 24;
        case ARPHRD_PPP:
            return 23;
        case ARPHRD_ETHER:
            return PathExists(sysNet + "/" + ifname + "/wireless") ||
                           PathExists(sysNet + "/" + ifname + "/phy80211")
                       ? 71
                       : 6;
        default:
            return 1;
    }
}

void ReadLinks(std::vector<AdapterRecord>& out, const std::string& sysNet, int& result) {
    ifinfomsg body{};
    body.ifi_family = AF_UNSPEC;
    result = NetlinkDump(RTM_GETLINK, &body, sizeof body, [&](const nlmsghdr* h) {
        if (h->nlmsg_type != RTM_NEWLINK) return;
        auto* ifi = static_cast<const ifinfomsg*>(NLMSG_DATA(h));
        auto attrs = Attributes(IFLA_RTA(ifi), static_cast<int>(IFLA_PAYLOAD(h)));
        AdapterRecord a;
        a.nIndex = static_cast<uint32_t>(ifi->ifi_index);
        a.strAdapterName = CText(attrs[IFLA_IFNAME]);
        std::string label = CText(attrs[IFLA_IFALIAS]);
        if (label.empty()) label = DriverName(sysNet, a.strAdapterName);
        if (label.empty() && attrs.count(IFLA_LINKINFO)) {
            std::string_view info = attrs[IFLA_LINKINFO];
            auto nested = Attributes(reinterpret_cast<const rtattr*>(info.data()),
                                     static_cast<int>(info.size()));
            label = CText(nested[IFLA_INFO_KIND]);
        }
        a.strDescription = label.empty() ? a.strAdapterName : a.strAdapterName + " (" + label + ")";
        a.nType = AdapterType(ifi->ifi_type, sysNet, a.strAdapterName);
        std::string_view hw = attrs[IFLA_ADDRESS];
        a.nAddressLength = static_cast<uint32_t>(hw.size());
        std::memcpy(a.byAddress, hw.data(), std::min(hw.size(), sizeof a.byAddress));
        out.push_back(std::move(a));
    });
}

AdapterRecord* ByIndex(std::vector<AdapterRecord>& v, uint32_t nIndex) {
    for (AdapterRecord& a : v)
        if (a.nIndex == nIndex) return &a;
    return nullptr;
}

int64_t MonotonicSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec;
}

void ReadAddresses(std::vector<AdapterRecord>& out) {
    ifaddrmsg body{};
    body.ifa_family = AF_INET;
    NetlinkDump(RTM_GETADDR, &body, sizeof body, [&](const nlmsghdr* h) {
        if (h->nlmsg_type != RTM_NEWADDR) return;
        auto* ifa = static_cast<const ifaddrmsg*>(NLMSG_DATA(h));
        if (ifa->ifa_family != AF_INET) return;
        AdapterRecord* a = ByIndex(out, ifa->ifa_index);
        if (a == nullptr) return;
        auto attrs = Attributes(IFA_RTA(ifa), static_cast<int>(IFA_PAYLOAD(h)));
        std::string ip = Ipv4Text(attrs.count(IFA_LOCAL) ? attrs[IFA_LOCAL] : attrs[IFA_ADDRESS]);
        if (ip.empty()) return;
        a->vecIPMask.emplace_back(ip, MaskText(ifa->ifa_prefixlen));
        if (a->vecIPMask.size() > 1) return;
        a->bHaveCurrent = true;
        a->strCurrentIP = ip;
        a->strCurrentMask = MaskText(ifa->ifa_prefixlen);
        uint32_t flags = ifa->ifa_flags;
        if (attrs[IFA_FLAGS].size() == 4) std::memcpy(&flags, attrs[IFA_FLAGS].data(), 4);
        std::string_view ci = attrs[IFA_CACHEINFO];
        // An address with a lifetime was leased (DHCP); a permanent one was configured.
        if (!(flags & IFA_F_PERMANENT) && ci.size() == sizeof(ifa_cacheinfo)) {
            ifa_cacheinfo info{};
            std::memcpy(&info, ci.data(), sizeof info);
            if (info.ifa_valid != 0xFFFFFFFFu) {
                int64_t now = std::time(nullptr);
                a->bDhcpEnabled = 1;
                a->tLeaseExpires = now + info.ifa_valid;
                a->tLeaseObtained = now - (MonotonicSeconds() - info.cstamp / 100);
            }
        }
    });
}

struct Gateway {
    uint32_t nIndex;
    uint32_t nMetric;
    std::string strIP;
};

void ReadDefaultGateways(std::vector<AdapterRecord>& out) {
    std::vector<Gateway> gws;
    rtmsg body{};
    body.rtm_family = AF_INET;
    NetlinkDump(RTM_GETROUTE, &body, sizeof body, [&](const nlmsghdr* h) {
        if (h->nlmsg_type != RTM_NEWROUTE) return;
        auto* rt = static_cast<const rtmsg*>(NLMSG_DATA(h));
        if (rt->rtm_family != AF_INET || rt->rtm_dst_len != 0 || rt->rtm_type != RTN_UNICAST)
            return;
        auto attrs = Attributes(RTM_RTA(rt), static_cast<int>(RTM_PAYLOAD(h)));
        uint32_t table = rt->rtm_table;
        if (attrs[RTA_TABLE].size() == 4) std::memcpy(&table, attrs[RTA_TABLE].data(), 4);
        if (table != RT_TABLE_MAIN) return;
        uint32_t metric = 0, oif = 0;
        if (attrs[RTA_PRIORITY].size() == 4) std::memcpy(&metric, attrs[RTA_PRIORITY].data(), 4);
        if (attrs[RTA_OIF].size() == 4) std::memcpy(&oif, attrs[RTA_OIF].data(), 4);
        std::string gw = Ipv4Text(attrs[RTA_GATEWAY]);
        if (!gw.empty()) gws.push_back({oif, metric, gw});
        std::string_view mp = attrs[RTA_MULTIPATH];
        auto* nh = reinterpret_cast<const rtnexthop*>(mp.data());
        int left = static_cast<int>(mp.size());
        while (left >= static_cast<int>(sizeof(rtnexthop)) && nh->rtnh_len >= sizeof(rtnexthop) &&
               nh->rtnh_len <= left) {
            auto nested =
                Attributes(RTNH_DATA(nh), nh->rtnh_len - static_cast<int>(RTNH_LENGTH(0)));
            std::string hop = Ipv4Text(nested[RTA_GATEWAY]);
            if (!hop.empty()) gws.push_back({static_cast<uint32_t>(nh->rtnh_ifindex), metric, hop});
            left -= RTNH_ALIGN(nh->rtnh_len);
            nh = RTNH_NEXT(nh);
        }
    });
    // The preferred default route first, as the routing decision takes them.
    std::stable_sort(gws.begin(), gws.end(),
                     [](const Gateway& a, const Gateway& b) { return a.nMetric < b.nMetric; });
    for (const Gateway& g : gws)
        if (AdapterRecord* a = ByIndex(out, g.nIndex)) a->vecGateway.push_back(g.strIP);
}

bool IsIpv4(const std::string& s) {
    in_addr a{};
    return inet_pton(AF_INET, s.c_str(), &a) == 1;
}

}  // namespace

std::vector<std::string> ParseResolvedServers(const std::string& strLine) {
    std::vector<std::string> out;
    std::istringstream in(strLine);
    std::string tok;
    while (in >> tok) {
        tok = tok.substr(0, tok.find_first_of("#%"));
        if (std::count(tok.begin(), tok.end(), ':') == 1) tok = tok.substr(0, tok.find(':'));
        if (IsIpv4(tok)) out.push_back(tok);
    }
    return out;
}

std::vector<std::string> ParseResolvConf(const std::string& strText) {
    std::vector<std::string> out;
    std::istringstream in(strText);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key, value;
        if (!(words >> key >> value) || key != "nameserver") continue;
        if (IsIpv4(value)) out.push_back(value);
    }
    return out;
}

int CLinuxAdapterSource::QueryAdapters(std::vector<AdapterRecord>& out) {
    out.clear();
    int result = 0;
    ReadLinks(out, m_paths.strSysClassNet, result);
    if (result != 0) {
        out.clear();
        return result;
    }
    ReadAddresses(out);
    ReadDefaultGateways(out);
    return 0;
}

int CLinuxAdapterSource::QueryDns(uint32_t nIndex, std::vector<std::string>& out) {
    out.clear();
    bool bOk = false;
    std::string link = ReadFile(m_paths.strResolvedLinks + "/" + std::to_string(nIndex), &bOk);
    if (bOk) {
        std::istringstream in(link);
        std::string line;
        while (std::getline(in, line))
            if (line.rfind("SERVERS=", 0) == 0) out = ParseResolvedServers(line.substr(8));
        if (!out.empty()) return 0;
    }
    std::string conf = ReadFile(m_paths.strResolvConf, &bOk);
    if (!bOk) return -1;
    out = ParseResolvConf(conf);
    return 0;
}

std::unique_ptr<IAdapterSource> MakePlatformAdapterSource() {
    return std::make_unique<CLinuxAdapterSource>();
}
