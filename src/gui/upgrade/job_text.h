// What both upgrade windows do alike on their timer thread: follow a DHCP camera by its
// MAC, and turn a job status into the text shown for it.
#pragma once
#include <cstdint>
#include <string>

#include "discovery/camera_types.h"
#include "upgrade/upgrade_handle.h"
#include "upgrade/upgrade_status.h"

class CZarvonDlg;

namespace upgui {

// For a DHCP target only: looks the camera up by MAC in the main window's list and, when
// its address or port changed, stores them in target and hands target to the engine.
void RefreshTarget(CZarvonDlg* pMainDlg, UpgradeTarget& target, CUpgradeHandle& upgrade);

// The text of status s with tick count t, in the language in force.
std::wstring StatusText(const upg::StatusTextSpec& spec, int32_t s, int32_t t,
                        CUpgradeHandle& upgrade);

// "%02X:..." of the MAC bytes; used as the target's szMac.
std::wstring MacText(const CameraParams& params);

}  // namespace upgui
