// Filling a job's target from a found camera, and following a DHCP camera to the
// address it has now. Shared by the upgrade pages and the command line.
#pragma once
#include <string>
#include <string_view>

#include "discovery/camera_types.h"
#include "upgrade/upgrade_types.h"

namespace upg {

// Zero-fills target, then: szHost <- szIP, nPort <- nHttpPort, bDhcp <- bDhcp, szMac <-
// the MAC text, szAccount/szPassword <- account/password (OEM code page). Returns 0 and
// leaves both credentials empty when either does not fit its 64-byte field with its
// terminating zero: a cut password would only fail the login later.
int FillUpgradeTarget(UpgradeTarget& target, const CameraEntry& entry, std::wstring_view account,
                      std::wstring_view password);

// Stores ip/port into target when either differs from what it holds (exact text
// comparison). True when the target changed and must be handed to the engine again.
bool UpdateTargetAddress(UpgradeTarget& target, const std::wstring& ip, int port);

}  // namespace upg
