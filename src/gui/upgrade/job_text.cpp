#include "gui/upgrade/job_text.h"

#include <cstdio>

#include "base/fixed_field.h"
#include "base/text_conv.h"
#include "gui/app/zarvon_dlg.h"
#include "i18n/string_table.h"
#include "upgrade/upgrade_target.h"

namespace upgui {

void RefreshTarget(CZarvonDlg* pMainDlg, UpgradeTarget& target, CUpgradeHandle& upgrade) {
    if (!target.bDhcp || !pMainDlg) return;
    std::wstring strIP;
    int nPort = 0;
    const std::wstring strMac = zv::AnsiToWide(zv::FieldText(target.szMac));
    if (!pMainDlg->FindCameraByMac(strMac, strIP, nPort)) return;
    if (upg::UpdateTargetAddress(target, strIP, nPort)) upgrade.SetTarget(target);
}

std::wstring StatusText(const upg::StatusTextSpec& spec, int32_t s, int32_t t,
                        CUpgradeHandle& upgrade) {
    const std::wstring text = spec.nStringId ? LoadStrId(spec.nStringId) : std::wstring();
    return upg::FormatStatusText(spec, text, s, t, upgrade.SysVersion(), upgrade.LatestName());
}

std::wstring MacText(const CameraParams& params) {
    char sz[32];
    const uint8_t* m = params.byMacAddr;
    std::snprintf(sz, sizeof(sz), "%02X:%02X:%02X:%02X:%02X:%02X", m[0], m[1], m[2], m[3], m[4],
                  m[5]);
    return zv::AnsiToWide(sz);
}

}  // namespace upgui
