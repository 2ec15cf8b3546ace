#include "camlist/onekey_plan.h"

#include <cstdio>
#include <cstring>

#include "base/fixed_field.h"
#include "base/text_conv.h"
#include "camlist/text_util.h"

void SplitDottedAddress(std::wstring_view strAddr, int (&nPart)[4]) {
    for (int& n : nPart) n = -1;
    std::wstring_view rest = strAddr;
    for (int i = 0; i < 4; ++i) {
        if (i == 3) {
            nPart[i] = ReadDecimal(rest);  // everything after the third dot
            return;
        }
        size_t dot = rest.find(L'.');
        if (dot == std::wstring_view::npos) return;
        nPart[i] = ReadDecimal(rest.substr(0, dot));
        rest.remove_prefix(dot + 1);
    }
}

int OneKeyLastNumber(int nCamera4, int nAdapter4) {
    if (nCamera4 != nAdapter4) return nCamera4;
    return nCamera4 + 1 > 255 ? 188 : nCamera4 + 1;
}

namespace {

bool AllOctets(const int (&n)[4]) {
    for (int v : n)
        if (v < 0 || v > 255) return false;
    return true;
}

}  // namespace

int PlanOneKeySet(const CameraEntry& cam, const NetCardEntry& card, OneKeyPlan& plan) {
    if (cam.params.bDhcp == 1) return ONEKEY_DHCP;
    int a[4], c[4];
    SplitDottedAddress(card.strIP, a);
    SplitDottedAddress(zv::AnsiToWide(zv::FieldText(cam.params.szIP)), c);
    // An address that does not split would put "-1" into the camera's address.
    if (!AllOctets(a) || !AllOctets(c)) return ONEKEY_BAD_ADDRESS;
    wchar_t buf[48];
    std::swprintf(buf, 48, L"%d.%d.%d.%d", a[0], a[1], a[2], OneKeyLastNumber(c[3], a[3]));
    plan.strIP = buf;
    plan.strMask = card.strMask;
    plan.strGateway = card.strGateway;
    plan.strDns1 = card.strDns1;
    plan.strDns2 = card.strDns2;
    return ONEKEY_PLANNED;
}

void SetOemField(char* pField, size_t nWidth, std::wstring_view strText) {
    std::memset(pField, 0, nWidth);
    zv::CopyToField(pField, nWidth, zv::WideToOem(strText));
}

void ApplyOneKeyPlan(CameraParams& params, const OneKeyPlan& plan) {
    SetOemField(params.szIP, sizeof params.szIP, plan.strIP);
    SetOemField(params.szMask, sizeof params.szMask, plan.strMask);
    SetOemField(params.szGateway, sizeof params.szGateway, plan.strGateway);
    SetOemField(params.szDns1, sizeof params.szDns1, plan.strDns1);
    SetOemField(params.szDns2, sizeof params.szDns2, plan.strDns2);
}

void SetCredentials(CameraParams& params, std::wstring_view strUser, std::wstring_view strPwd) {
    SetOemField(params.szUser, sizeof params.szUser, strUser);
    SetOemField(params.szPwd, sizeof params.szPwd, strPwd);
}
