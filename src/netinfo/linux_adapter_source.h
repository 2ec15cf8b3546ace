// The Linux adapter source: every interface the kernel reports, in its order, from
// netlink (links, IPv4 addresses, routes) and sysfs; DNS servers per link from
// systemd-resolved where it keeps them, else the nameservers of resolv.conf.
#pragma once
#include <string>

#include "netinfo/net_card_info.h"

struct LinuxSourcePaths {
    std::string strSysClassNet = "/sys/class/net";
    std::string strResolvedLinks = "/run/systemd/resolve/netif";
    std::string strResolvConf = "/etc/resolv.conf";
};

class CLinuxAdapterSource : public IAdapterSource {
public:
    CLinuxAdapterSource() = default;
    explicit CLinuxAdapterSource(LinuxSourcePaths paths) : m_paths(std::move(paths)) {}
    int QueryAdapters(std::vector<AdapterRecord>& out) override;
    int QueryDns(uint32_t nIndex, std::vector<std::string>& out) override;

private:
    LinuxSourcePaths m_paths;
};

// The IPv4 servers of one line of server texts as systemd-resolved writes them
// ("1.1.1.1 9.9.9.9#dns.quad9.net 8.8.8.8:53 fe80::1%2"); other families are left out.
std::vector<std::string> ParseResolvedServers(const std::string& strLine);
// The IPv4 nameservers of a resolv.conf text, in file order.
std::vector<std::string> ParseResolvConf(const std::string& strText);
