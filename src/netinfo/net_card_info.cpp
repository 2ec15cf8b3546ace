#include "netinfo/net_card_info.h"

#include <cstdio>
#include <cstring>

#include "base/text_conv.h"

std::wstring MacDigits(const uint8_t* byMac) {
    wchar_t buf[16];
    std::swprintf(buf, 16, L"%02X%02X%02X%02X%02X%02X", byMac[0], byMac[1], byMac[2], byMac[3],
                  byMac[4], byMac[5]);
    return buf;
}

int NetCardDetail::LoadFromAdapter(const AdapterRecord* pAdapter, IAdapterSource& source) {
    if (pAdapter == nullptr) return 0;
    const AdapterRecord& a = *pAdapter;
    nAddrLen = a.nAddressLength;
    std::memcpy(byMac, a.byAddress, sizeof byMac);
    strMac = MacDigits(byMac);
    strAdapterName = zv::AnsiToWide(a.strAdapterName);
    strDescription = zv::AnsiToWide(a.strDescription);
    strPrimaryWins = zv::AnsiToWide(a.strPrimaryWins);
    strSecondaryWins = zv::AnsiToWide(a.strSecondaryWins);
    nIndex = a.nIndex;
    nType = a.nType;
    bDhcpEnabled = a.bDhcpEnabled;
    bHaveWins = a.bHaveWins;
    tLeaseObtained = a.tLeaseObtained;
    tLeaseExpires = a.tLeaseExpires;
    strDhcpServer = zv::AnsiToWide(a.strDhcpServer);
    strCurrentIP = a.bHaveCurrent ? zv::AnsiToWide(a.strCurrentIP) : L"0.0.0.0";
    strCurrentMask = a.bHaveCurrent ? zv::AnsiToWide(a.strCurrentMask) : L"0.0.0.0";
    for (const auto& [ip, mask] : a.vecIPMask)
        vecIPMask.emplace_back(zv::AnsiToWide(ip), zv::AnsiToWide(mask));
    for (const std::string& gw : a.vecGateway) vecGateway.push_back(zv::AnsiToWide(gw));
    std::vector<std::string> dns;
    if (source.QueryDns(nIndex, dns) != 0) return 0;
    for (const std::string& d : dns) vecDns.push_back(zv::AnsiToWide(d));
    return 1;
}

CNetCardInfo::CNetCardInfo() : m_pOwned(MakePlatformAdapterSource()), m_pSource(m_pOwned.get()) {}

CNetCardInfo::CNetCardInfo(IAdapterSource& source) : m_pSource(&source) {}

CNetCardInfo::~CNetCardInfo() = default;

int CNetCardInfo::FillNetCardDetails(NetCardDetail* pDetails, size_t nCapacity, size_t* pNeeded) {
    std::vector<AdapterRecord> adapters;
    int nQuery = m_pSource->QueryAdapters(adapters);
    if (nQuery != 0) adapters.clear();  // a failed query counts as no adapter
    size_t nNeeded = adapters.size() * sizeof(NetCardDetail);
    if (pNeeded != nullptr) *pNeeded = nNeeded;
    if (nCapacity < nNeeded) return ERROR_INSUFFICIENT_BUFFER;
    for (size_t i = 0; i < adapters.size(); ++i)
        pDetails[i].LoadFromAdapter(&adapters[i], *m_pSource);
    return 0;
}

namespace {

NetCardEntry EntryOf(const NetCardDetail& d) {
    NetCardEntry e;
    e.nAddrLen = static_cast<int32_t>(d.nAddrLen);
    e.strMac = d.strMac;
    e.strDesc = d.strDescription;
    if (!d.vecIPMask.empty()) {
        e.strIP = d.vecIPMask[0].first;
        e.strMask = d.vecIPMask[0].second;
    }
    if (!d.vecGateway.empty()) e.strGateway = d.vecGateway[0];
    if (!d.vecDns.empty()) e.strDns1 = d.vecDns[0];
    if (d.vecDns.size() > 1) e.strDns2 = d.vecDns[1];
    return e;
}

// Adapters that come and go between the sizing pass and the fill pass would otherwise
// leave blank entries; a few more sizing rounds settle on one adapter set.
constexpr int kFillRounds = 4;

}  // namespace

int CNetCardInfo::GetNetCardList(std::vector<NetCardEntry>& vecOut) {
    for (int round = 0; round < kFillRounds; ++round) {
        size_t nNeeded = 0;
        if (FillNetCardDetails(nullptr, 0, &nNeeded) != ERROR_INSUFFICIENT_BUFFER) break;
        std::vector<NetCardDetail> details(nNeeded / sizeof(NetCardDetail));
        size_t nFilled = 0;
        if (FillNetCardDetails(details.data(), nNeeded, &nFilled) != 0) continue;  // it grew
        // It may have shrunk: only the details the fill pass reached are adapters.
        size_t nCount = nFilled / sizeof(NetCardDetail);
        if (nCount == 0) break;
        for (size_t i = 0; i < nCount; ++i) vecOut.push_back(EntryOf(details[i]));
        return 1;
    }
    std::fputs("No Network Adapters Found on System.\r\n", stdout);
    return 0;
}
