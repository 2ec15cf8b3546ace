// One Key Set: the addresses that move a camera into the PC's own network, and the
// settings block that carries them. Also the bounded writes of the block's text fields.
#pragma once
#include <string>
#include <string_view>

#include "discovery/camera_types.h"
#include "netinfo/net_card_info.h"

// The four numbers of a dotted address; a part whose dot is missing stays -1, and so do
// the parts after it. Each part is trimmed and read as a decimal integer (no digits: 0).
void SplitDottedAddress(std::wstring_view strAddr, int (&nPart)[4]);

// The new last number: the camera's own, +1 when it equals the adapter's, 188 past 255.
int OneKeyLastNumber(int nCamera4, int nAdapter4);

struct OneKeyPlan {
    std::wstring strIP;
    std::wstring strMask;
    std::wstring strGateway;
    std::wstring strDns1;
    std::wstring strDns2;
};

constexpr int ONEKEY_PLANNED = 1;
constexpr int ONEKEY_DHCP = 2;         // the camera is not on a fixed address (string 151)
constexpr int ONEKEY_BAD_ADDRESS = 3;  // an address does not split into four numbers 0-255

// Plans the five values for camera cam from adapter card.
int PlanOneKeySet(const CameraEntry& cam, const NetCardEntry& card, OneKeyPlan& plan);

// Writes the plan's five addresses into params (each field zeroed, then OEM text).
void ApplyOneKeyPlan(CameraParams& params, const OneKeyPlan& plan);
// Writes the account and password into params (each field zeroed, then OEM text).
void SetCredentials(CameraParams& params, std::wstring_view strUser, std::wstring_view strPwd);
// One 8-bit text field of the block, zeroed first, then the OEM text, cut to fit.
void SetOemField(char* pField, size_t nWidth, std::wstring_view strText);
