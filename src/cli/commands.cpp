#include "cli/commands.h"

#include <arpa/inet.h>
#include <json/json.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>

#include "base/fixed_field.h"
#include "base/text_conv.h"
#include "camlist/camera_list.h"
#include "camlist/onekey_plan.h"
#include "camlist/text_util.h"
#include "cli/cli_common.h"
#include "cli/credentials.h"
#include "cli/search_session.h"
#include "discovery/mode_class.h"
#include "i18n/string_table.h"
#include "netinfo/net_card_info.h"

void PrintError(const std::string& strText) {
    std::fprintf(stderr, "zarvon-cli: %s\n", strText.c_str());
}

void PrintError(const std::wstring& strText) { PrintError(zv::WideToOem(strText)); }

namespace {

void PrintLine(const std::wstring& strText) {
    std::string bytes = zv::WideToOem(strText);
    std::fprintf(stdout, "%s\n", bytes.c_str());
}

std::string Utf8Of(std::wstring_view w) { return zv::WideToUtf8(w); }
std::string AnsiFieldUtf8(std::string_view field) { return Utf8Of(zv::AnsiToWide(field)); }


std::string JsonText(const Json::Value& v) {
    Json::StreamWriterBuilder b;
    b["indentation"] = "  ";
    b["emitUTF8"] = true;
    return Json::writeString(b, v);
}





// Runs the search for the given time and reports passes that never got out.
int SearchFor(CSearchSession& session, const BoundAdapter& bound, double dSeconds) {
    if (int rc = StartSearch(session, bound)) return rc;
    session.Pump(Millis(dSeconds));
    if (session.List().Count() == 0 && session.SetupFailures() > 0) {
        PrintError(L"cannot search from " + bound.strBindIP + L": the address cannot be bound");
        return EXIT_FAILED;
    }
    if (session.SendFailures() > 0) {
        PrintError(LoadStrId(122));
        if (session.List().Count() == 0) return EXIT_FAILED;
    }
    return EXIT_DONE;
}

Json::Value CameraJson(const CameraEntry& e) {
    const CameraParams& p = e.params;
    Json::Value v(Json::objectValue);
    v["mode"] = ModeLetter(e.nMode);
    v["name"] = Utf8Of(zv::Utf8ToWide(zv::FieldText(p.szName)));
    v["ip"] = AnsiFieldUtf8(zv::FieldText(p.szIP));
    v["port"] = p.nHttpPort;
    v["mac"] = Utf8Of(MacText(p.byMacAddr));
    v["uid"] = AnsiFieldUtf8(zv::FieldText(p.szUid));
    v["version"] = AnsiFieldUtf8(zv::FieldText(p.szVersion));
    v["dhcp"] = p.bDhcp;
    v["mask"] = AnsiFieldUtf8(zv::FieldText(p.szMask));
    v["gateway"] = AnsiFieldUtf8(zv::FieldText(p.szGateway));
    v["dns1"] = AnsiFieldUtf8(zv::FieldText(p.szDns1));
    v["dns2"] = AnsiFieldUtf8(zv::FieldText(p.szDns2));
    return v;
}



int SendAndWait(CSearchSession& session, const CameraEntry& entry, double dTimeout) {
    if (!session.SendSettings(entry)) {
        PrintError(LoadStrId(122));
        return EXIT_FAILED;
    }
    session.Pump(Millis(dTimeout), [&] { return session.SettingsResult() != 0; });
    switch (session.SettingsResult()) {
        case SET_RESULT_OK:
            PrintLine(LoadStrId(123));
            return EXIT_DONE;
        case SET_RESULT_BAD_AUTH:
            PrintError(LoadStrId(124));
            return EXIT_FAILED;
        case SET_RESULT_NO_RIGHT:
            PrintError(LoadStrId(125));
            return EXIT_FAILED;
        case 2:
            PrintError(LoadStrId(122));
            return EXIT_FAILED;
        default:
            wchar_t secs[32];
            std::swprintf(secs, 32, L"%g", dTimeout);
            PrintError(L"no answer from camera " + MacText(entry.params.byMacAddr) + L" within " +
                       secs + L" s");
            return EXIT_FAILED;
    }
}

// Checks the address options before anything is sent.
int CheckAddressOptions(const SetOptions& opt) {
    const std::pair<const char*, const std::optional<std::string>*> fields[] = {
        {"--ip", &opt.ip},
        {"--mask", &opt.mask},
        {"--gateway", &opt.gateway},
        {"--dns1", &opt.dns1},
        {"--dns2", &opt.dns2}};
    for (const auto& [flag, value] : fields) {
        // An empty DNS text clears the field; every other value must be an address.
        bool bMayBeEmpty = std::strncmp(flag, "--dns", 5) == 0;
        if (value->has_value() && !(bMayBeEmpty && (*value)->empty()) && !IsIpv4(**value)) {
            PrintError(std::string(flag) + " needs an IPv4 address, not \"" + **value + "\"");
            return EXIT_USAGE;
        }
    }
    return EXIT_DONE;
}

void SetAddress(char (&field)[16], const std::optional<std::string>& value) {
    if (value) SetOemField(field, sizeof field, zv::AnsiToWide(*value));
}

int Credentials(const SetOptions& opt, CameraParams& p) {
    std::string pwd, error;
    if (!ReadPassword(opt.bPasswordStdin, pwd, error)) {
        PrintError(error);
        return EXIT_USAGE;
    }
    // A cut account or password would only be refused by the camera; say so instead.
    std::wstring user = zv::AnsiToWide(opt.strUser), wpwd = zv::AnsiToWide(pwd);
    if (zv::WideToOem(user).size() >= sizeof p.szUser ||
        zv::WideToOem(wpwd).size() >= sizeof p.szPwd) {
        PrintError("the account and the password may have at most " +
                   std::to_string(sizeof p.szUser - 1) + " bytes each");
        return EXIT_USAGE;
    }
    SetCredentials(p, user, wpwd);
    return EXIT_DONE;
}

}  // namespace

int CmdAdapters(bool bJson) {
    std::vector<NetCardEntry> cards;
    if (!CNetCardInfo().GetNetCardList(cards)) {
        PrintError("no network adapter");
        return EXIT_NO_ADAPTER;
    }
    if (bJson) {
        Json::Value arr(Json::arrayValue);
        for (size_t i = 0; i < cards.size(); ++i) {
            const NetCardEntry& c = cards[i];
            Json::Value v(Json::objectValue);
            v["index"] = static_cast<int>(i);
            v["description"] = Utf8Of(c.strDesc);
            v["mac"] = Utf8Of(c.strMac);
            v["ip"] = Utf8Of(c.strIP);
            v["mask"] = Utf8Of(c.strMask);
            v["gateway"] = Utf8Of(c.strGateway);
            v["dns1"] = Utf8Of(c.strDns1);
            v["dns2"] = Utf8Of(c.strDns2);
            arr.append(v);
        }
        std::cout << JsonText(arr) << "\n";
        return EXIT_DONE;
    }
    for (size_t i = 0; i < cards.size(); ++i) {
        const NetCardEntry& c = cards[i];
        wchar_t head[16];
        std::swprintf(head, 16, L"%-4zu", i);
        PrintLine(head + c.strDesc);
        const std::pair<int, const std::wstring*> rows[] = {{145, &c.strMac},  {104, &c.strIP},
                                                            {105, &c.strMask}, {106, &c.strGateway},
                                                            {107, &c.strDns1}, {108, &c.strDns2}};
        for (const auto& [id, value] : rows) {
            std::wstring label = LoadStrId(id);
            PrintLine(L"    " + PadRight(label, 16) + *value);
        }
    }
    return EXIT_DONE;
}

int CmdSearch(const SearchOptions& opt) {
    BoundAdapter bound;
    if (int rc = ResolveAdapter(opt.adapter, bound)) return rc;
    CSearchSession session;
    if (int rc = SearchFor(session, bound, opt.dSeconds)) return rc;
    session.Stop();
    if (opt.bJson) {
        Json::Value arr(Json::arrayValue);
        for (const CameraEntry& e : session.List().Cameras()) arr.append(CameraJson(e));
        std::cout << JsonText(arr) << "\n";
    } else {
        std::string table;
        session.List().BuildExport(table);
        std::fwrite(table.data(), 1, table.size(), stdout);
        std::fprintf(stderr, "%s\n", zv::WideToOem(CountText(session.List().Count())).c_str());
    }
    return EXIT_DONE;
}

int CmdExport(const SearchOptions& opt, const std::string& strFile) {
    BoundAdapter bound;
    if (int rc = ResolveAdapter(opt.adapter, bound)) return rc;
    CSearchSession session;
    if (int rc = SearchFor(session, bound, opt.dSeconds)) return rc;
    session.Stop();
    switch (session.List().ExportToFile(strFile)) {
        case EXPORT_OK:
            std::fprintf(stderr, "%s\n", zv::WideToOem(CountText(session.List().Count())).c_str());
            return EXIT_DONE;
        case EXPORT_OPEN_FAILED:
            PrintError("cannot create " + strFile);
            return EXIT_FAILED;
        default:
            PrintError("could not write " + strFile);
            return EXIT_FAILED;
    }
}

int CmdSet(const SetOptions& opt) {
    std::wstring strMac;
    if (!NormaliseMac(opt.strMac, strMac)) {
        PrintError("MAC must look like 00:1A:2B:3C:4D:5E, not \"" + opt.strMac + "\"");
        return EXIT_USAGE;
    }
    if (int rc = CheckAddressOptions(opt)) return rc;
    if (opt.name &&
        zv::WideToUtf8(zv::AnsiToWide(*opt.name)).size() >= sizeof(CameraParams::szName)) {
        PrintError("--name may have at most " + std::to_string(sizeof(CameraParams::szName) - 1) +
                   " bytes of UTF-8");
        return EXIT_USAGE;
    }
    BoundAdapter bound;
    if (int rc = ResolveAdapter(opt.adapter, bound)) return rc;
    CameraEntry entry{};
    if (int rc = Credentials(opt, entry.params)) return rc;
    CameraParams creds = entry.params;
    CSearchSession session;
    if (int rc = FindCamera(session, bound, opt.dSeconds, strMac, entry)) return rc;
    CameraParams& p = entry.params;
    std::memcpy(p.szUser, creds.szUser, sizeof p.szUser);
    std::memcpy(p.szPwd, creds.szPwd, sizeof p.szPwd);
    if (opt.name) {
        std::memset(p.szName, 0, sizeof p.szName);
        zv::CopyUtf8ToField(p.szName, zv::WideToUtf8(zv::AnsiToWide(*opt.name)));
    }
    if (opt.port) p.nHttpPort = static_cast<uint16_t>(*opt.port);
    if (opt.dhcp) p.bDhcp = static_cast<int8_t>(*opt.dhcp);
    SetAddress(p.szIP, opt.ip);
    SetAddress(p.szMask, opt.mask);
    SetAddress(p.szGateway, opt.gateway);
    SetAddress(p.szDns1, opt.dns1);
    SetAddress(p.szDns2, opt.dns2);
    return SendAndWait(session, entry, opt.dTimeout);
}

int CmdOneKey(const SetOptions& opt) {
    std::wstring strMac;
    if (!NormaliseMac(opt.strMac, strMac)) {
        PrintError("MAC must look like 00:1A:2B:3C:4D:5E, not \"" + opt.strMac + "\"");
        return EXIT_USAGE;
    }
    BoundAdapter bound;
    if (int rc = ResolveAdapter(opt.adapter, bound)) return rc;
    if (!bound.bListed) {
        PrintError(L"no adapter has the address " + bound.strBindIP +
                   L"; One Key Set needs the adapter's mask, gateway and DNS servers");
        return EXIT_NO_ADAPTER;
    }
    CSearchSession session;
    CameraEntry entry{};
    if (int rc = FindCamera(session, bound, opt.dSeconds, strMac, entry)) return rc;
    OneKeyPlan plan;
    switch (PlanOneKeySet(entry, bound.card, plan)) {
        case ONEKEY_DHCP:
            PrintError(LoadStrId(151));
            return EXIT_FAILED;
        case ONEKEY_BAD_ADDRESS:
            PrintError(L"the adapter address " + bound.card.strIP + L" or the camera address " +
                       zv::AnsiToWide(zv::FieldText(entry.params.szIP)) +
                       L" is not a dotted IPv4 address");
            return EXIT_FAILED;
        default:
            break;
    }
    const std::pair<int, const std::wstring*> rows[] = {{104, &plan.strIP},
                                                        {105, &plan.strMask},
                                                        {106, &plan.strGateway},
                                                        {107, &plan.strDns1},
                                                        {108, &plan.strDns2}};
    for (const auto& [id, value] : rows) PrintLine(PadRight(LoadStrId(id), 16) + *value);
    std::fflush(stdout);
    if (!opt.bYes) {
        std::fprintf(stderr, "%s [y/N] ", zv::WideToOem(LoadStrId(152)).c_str());
        std::fflush(stderr);
        std::string answer;
        ReadStdinLine(answer);
        if (answer != "y" && answer != "Y" && answer != "yes") {
            PrintError("cancelled; nothing was sent");
            return EXIT_FAILED;
        }
    }
    if (int rc = Credentials(opt, entry.params)) return rc;
    ApplyOneKeyPlan(entry.params, plan);
    return SendAndWait(session, entry, opt.dTimeout);
}
