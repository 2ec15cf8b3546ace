#include "upgrade/upgrade_target.h"

#include <cstdio>
#include <cstring>

#include "base/fixed_field.h"
#include "base/text_conv.h"

namespace upg {

int FillUpgradeTarget(UpgradeTarget& target, const CameraEntry& entry, std::wstring_view account,
                      std::wstring_view password) {
    std::memset(&target, 0, sizeof target);
    const CameraParams& p = entry.params;
    zv::CopyToField(target.szHost, zv::FieldText(p.szIP));
    target.nPort = p.nHttpPort;
    target.bDhcp = p.bDhcp;
    const uint8_t* m = p.byMacAddr;
    std::snprintf(target.szMac, sizeof target.szMac, "%02X:%02X:%02X:%02X:%02X:%02X", m[0], m[1],
                  m[2], m[3], m[4], m[5]);
    std::string a = zv::WideToOem(account);
    std::string w = zv::WideToOem(password);
    if (a.size() >= sizeof target.szAccount || w.size() >= sizeof target.szPassword) return 0;
    zv::CopyToField(target.szAccount, a);
    zv::CopyToField(target.szPassword, w);
    return 1;
}

bool UpdateTargetAddress(UpgradeTarget& target, const std::wstring& ip, int port) {
    std::string host = zv::WideToOem(ip);
    if (host == zv::FieldText(target.szHost) && port == target.nPort) return false;
    zv::CopyToField(target.szHost, host);
    target.nPort = port;
    return true;
}

}  // namespace upg
