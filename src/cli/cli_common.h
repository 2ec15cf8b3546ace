// What the commands of zarvon-cli share: binding to an adapter, reading a MAC text,
// running the search until a camera answers.
#pragma once
#include <cstdint>
#include <string>

#include "cli/commands.h"
#include "cli/search_session.h"
#include "discovery/camera_types.h"
#include "netinfo/net_card_info.h"

// The adapter a command binds to. The address always; the adapter's record when the
// address is one of the listed adapters'.
struct BoundAdapter {
    std::wstring strBindIP;
    bool bListed = false;
    NetCardEntry card;
};

bool IsIpv4(const std::string& s);
// --bind, or the chosen adapter's record and address; an exit code, EXIT_DONE when bound.
int ResolveAdapter(const AdapterChoice& choice, BoundAdapter& out);
// Seconds of an option as milliseconds, bounded to a day.
uint32_t Millis(double dSeconds);
// Starts the search on the bound address; prints string 119 when it cannot.
int StartSearch(CSearchSession& session, const BoundAdapter& bound);
// "aa:bb:cc:dd:ee:ff" in upper case; false when the text is not a colon-separated MAC.
bool NormaliseMac(const std::string& in, std::wstring& out);
// Searches until the camera answers or dSeconds are up; EXIT_NOT_FOUND when it did not.
int FindCamera(CSearchSession& session, const BoundAdapter& bound, double dSeconds,
               const std::wstring& strMac, CameraEntry& entry);
