#include "upgrade/upgrade_status.h"

#include <cwchar>

#include "base/clock.h"
#include "upgrade/upgrade_types.h"

namespace upg {

namespace {
// Codes shared by both tables: failures and the upload steps.
bool CommonStatusText(int32_t status, StatusTextSpec& out) {
    switch (status) {
        case 3:
            out = {124, StatusExtra::None, false};
            return true;
        case 7:
        case 9:
            out = {169, StatusExtra::None, false};
            return true;
        case UPG_STATUS_WEB_UPLOADING:
            out = {170, StatusExtra::Ticks, true};
            return true;
        case UPG_STATUS_WEB_REBOOTING:
            out = {171, StatusExtra::Ticks, true};
            return true;
        case UPG_STATUS_WEB_FAILED:
            out = {172, StatusExtra::None, false};
            return true;
        case UPG_STATUS_SYS_UPGRADING:
            out = {173, StatusExtra::Ticks, true};
            return true;
        case UPG_STATUS_SYS_REBOOTING:
            out = {174, StatusExtra::Ticks, true};
            return true;
        case UPG_STATUS_SYS_FAILED:
            out = {175, StatusExtra::None, false};
            return true;
        case UPG_STATUS_DONE:
            out = {176, StatusExtra::None, false};
            return true;
        default:
            return false;
    }
}

constexpr StatusTextSpec kOther = {177, StatusExtra::Code, false};
}  // namespace

StatusTextSpec SmartStatusText(int32_t status) {
    StatusTextSpec s{};
    if (CommonStatusText(status, s)) return s;
    switch (status) {
        case UPG_STATUS_START:
            return {188, StatusExtra::None, true};
        case UPG_STATUS_CONNECTED:
            return {184, StatusExtra::None, true};
        case UPG_STATUS_CANCELLED:
            return {189, StatusExtra::None, false};
        case UPG_STATUS_CUR_VERSION:
            return {185, StatusExtra::SysVersion, true};
        case UPG_STATUS_QUERY_FAILED:
            return {187, StatusExtra::None, false};
        case UPG_STATUS_NEW_VERSION:
            return {186, StatusExtra::LatestName, true};
        default:
            return kOther;
    }
}

StatusTextSpec ManualStatusText(int32_t status) {
    StatusTextSpec s{};
    if (CommonStatusText(status, s)) return s;
    if (status == UPG_STATUS_START) return {0, StatusExtra::None, true};
    return kOther;
}

bool IsCountingStatus(int32_t status) {
    return status == UPG_STATUS_WEB_UPLOADING || status == UPG_STATUS_WEB_REBOOTING ||
           status == UPG_STATUS_SYS_UPGRADING || status == UPG_STATUS_SYS_REBOOTING;
}

std::wstring FormatStatusText(const StatusTextSpec& spec, const std::wstring& text, int32_t status,
                              int32_t ticks, const std::wstring& sysVer,
                              const std::wstring& latestName) {
    switch (spec.extra) {
        case StatusExtra::Ticks:
            return text + std::to_wstring(ticks);
        case StatusExtra::SysVersion:
            return text + L" " + sysVer;
        case StatusExtra::LatestName:
            return text + L" " + latestName;
        case StatusExtra::Code:
            return text + L" = " + std::to_wstring(status);
        case StatusExtra::None:
            break;
    }
    return text;
}

std::wstring LogTimeStamp() {
    zv::LocalTime t = zv::GetLocalTime();
    wchar_t buf[64];
    std::swprintf(buf, sizeof buf / sizeof buf[0], L"%02d-%02d-%02d %02d:%02d:%02d: ", t.year,
                  t.month, t.day, t.hour, t.minute, t.second);
    return buf;
}

}  // namespace upg
