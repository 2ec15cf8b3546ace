// The PC's network adapters: CNetCardInfo lists them, in the platform's order, as
// NetCardEntry values for the "Current Computer" panel and the search's bind address.
//
// The adapter records come from an IAdapterSource: the Linux source reads the kernel
// (netlink, sysfs) and the DNS configuration; tests hand in their own.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// One adapter as the main window keeps it.
struct NetCardEntry {
    int32_t nAddrLen = 0;
    std::wstring strMac;  // 12 upper-case hexadecimal digits, no separators
    std::wstring strDesc;
    std::wstring strIP;
    std::wstring strMask;
    std::wstring strGateway;
    std::wstring strDns1;
    std::wstring strDns2;
};

// One adapter as the platform describes it; texts are 8-bit, in the ANSI code page.
struct AdapterRecord {
    std::string strAdapterName;
    std::string strDescription;
    std::string strPrimaryWins;
    std::string strSecondaryWins;
    std::string strDhcpServer;
    bool bHaveCurrent = false;  // strCurrentIP/strCurrentMask hold the current address
    std::string strCurrentIP;
    std::string strCurrentMask;
    uint32_t nIndex = 0;
    uint32_t nType = 0;  // 6 Ethernet, 24 loopback, 23 PPP, 71 wireless, 1 other
    uint32_t bDhcpEnabled = 0;
    uint32_t bHaveWins = 0;
    std::vector<std::pair<std::string, std::string>> vecIPMask;  // (address, mask)
    std::vector<std::string> vecGateway;
    int64_t tLeaseObtained = 0;
    int64_t tLeaseExpires = 0;
    uint8_t byAddress[8] = {};
    uint32_t nAddressLength = 0;
};

// Where adapter records come from.
class IAdapterSource {
public:
    virtual ~IAdapterSource() = default;
    // The current adapter set, in platform order. 0 on success, else an error code.
    virtual int QueryAdapters(std::vector<AdapterRecord>& out) = 0;
    // The DNS servers of adapter nIndex, in platform order. 0 on success.
    virtual int QueryDns(uint32_t nIndex, std::vector<std::string>& out) = 0;
};

// The source of this platform (Linux: netlink, sysfs, systemd-resolved, resolv.conf).
std::unique_ptr<IAdapterSource> MakePlatformAdapterSource();

// The working record of one adapter while the list is built.
struct NetCardDetail {
    std::wstring strAdapterName;
    std::wstring strDescription;
    std::wstring strPrimaryWins;
    std::wstring strSecondaryWins;
    std::wstring strDhcpServer;
    std::wstring strMac;
    std::wstring strCurrentIP;
    std::wstring strCurrentMask;
    uint32_t nIndex = 0;
    uint32_t nType = 0;
    uint32_t bDhcpEnabled = 0;
    uint32_t bHaveWins = 0;
    std::vector<std::wstring> vecDns;
    std::vector<std::pair<std::wstring, std::wstring>> vecIPMask;
    std::vector<std::wstring> vecGateway;
    int64_t tLeaseObtained = 0;
    int64_t tLeaseExpires = 0;
    uint8_t byMac[8] = {};
    uint32_t nAddrLen = 0;

    // Fills this detail from one record (null: nothing changes) and asks source for the
    // adapter's DNS servers. 1 when the DNS list was read, 0 otherwise.
    int LoadFromAdapter(const AdapterRecord* pAdapter, IAdapterSource& source);
};

// The platform's code for a buffer that is too small.
constexpr int ERROR_INSUFFICIENT_BUFFER = 122;

class CNetCardInfo {
public:
    CNetCardInfo();  // the platform source
    explicit CNetCardInfo(IAdapterSource& source);
    virtual ~CNetCardInfo();

    // Appends one entry per adapter to vecOut (never clears it). 1 when at least one
    // adapter was found, 0 when none (nothing appended).
    int GetNetCardList(std::vector<NetCardEntry>& vecOut);
    // Two-pass sizing: sets *pNeeded to the bytes of NetCardDetail records the current
    // adapter set needs; fills pDetails when nCapacity suffices. 122 when it does not,
    // else 0.
    int FillNetCardDetails(NetCardDetail* pDetails, size_t nCapacity, size_t* pNeeded);

private:
    std::unique_ptr<IAdapterSource> m_pOwned;
    IAdapterSource* m_pSource;
};

// "%02X" x6 of the first six bytes.
std::wstring MacDigits(const uint8_t* byMac);
