// What the upgrade pages and the CLI show for a job status: which string, what is
// appended to it, and whether the job is still running. Shared so that every front end
// reads the status set the same way.
#pragma once
#include <cstdint>
#include <string>

namespace upg {

enum class StatusExtra {
    None,        // the string alone
    Ticks,       // "%s%d": the seconds counter appended without a space
    SysVersion,  // the string, a space, the camera's current version
    LatestName,  // the string, a space, the catalogue's newest version
    Code,        // "%s = %d" with the status code
};

struct StatusTextSpec {
    int nStringId;  // 0: empty text
    StatusExtra extra;
    bool bGoOn;  // false: a final status, the job has ended
};

// The smart upgrade page's table (online job).
StatusTextSpec SmartStatusText(int32_t status);
// The manual upgrade dialog's table (file upload job).
StatusTextSpec ManualStatusText(int32_t status);

// 32, 33, 35, 36: the statuses whose line counts seconds and is refreshed in place.
bool IsCountingStatus(int32_t status);

// Builds the shown text from the looked-up string and the job's values.
std::wstring FormatStatusText(const StatusTextSpec& spec, const std::wstring& text, int32_t status,
                              int32_t ticks, const std::wstring& sysVer,
                              const std::wstring& latestName);

// "%02d-%02d-%02d %02d:%02d:%02d: " with the local time (four-digit year).
std::wstring LogTimeStamp();

}  // namespace upg
