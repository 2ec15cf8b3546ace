#include "cli/cli_common.h"

#include <arpa/inet.h>

#include <cctype>

#include "base/text_conv.h"
#include "i18n/string_table.h"

bool IsIpv4(const std::string& s) {
    in_addr a{};
    return inet_pton(AF_INET, s.c_str(), &a) == 1;
}

int ResolveAdapter(const AdapterChoice& choice, BoundAdapter& out) {
    std::vector<NetCardEntry> cards;
    if (!choice.strBind.empty()) {
        if (!IsIpv4(choice.strBind)) {
            PrintError("--bind needs an IPv4 address, not \"" + choice.strBind + "\"");
            return EXIT_USAGE;
        }
        out.strBindIP = zv::AnsiToWide(choice.strBind);
        CNetCardInfo().GetNetCardList(cards);
        for (const NetCardEntry& c : cards)
            if (c.strIP == out.strBindIP) {
                out.card = c;
                out.bListed = true;
            }
        return EXIT_DONE;
    }
    if (!CNetCardInfo().GetNetCardList(cards)) {
        PrintError("no network adapter");
        return EXIT_NO_ADAPTER;
    }
    if (choice.nAdapter < 0 || choice.nAdapter >= static_cast<int>(cards.size())) {
        PrintError("no adapter " + std::to_string(choice.nAdapter) + " (there are " +
                   std::to_string(cards.size()) + "; see zarvon-cli adapters)");
        return EXIT_NO_ADAPTER;
    }
    out.card = cards[choice.nAdapter];
    out.bListed = true;
    out.strBindIP = out.card.strIP;
    if (out.strBindIP.empty()) {
        PrintError(L"adapter " + std::to_wstring(choice.nAdapter) + L" (" + out.card.strDesc +
                   L") has no IPv4 address");
        return EXIT_NO_ADAPTER;
    }
    return EXIT_DONE;
}

uint32_t Millis(double dSeconds) {
    if (dSeconds <= 0) return 0;
    return dSeconds > 86400 ? 86400000u : static_cast<uint32_t>(dSeconds * 1000);
}

int StartSearch(CSearchSession& session, const BoundAdapter& bound) {
    if (session.Start(bound.strBindIP)) return EXIT_DONE;
    PrintError(LoadStrId(119));
    return EXIT_FAILED;
}

bool NormaliseMac(const std::string& in, std::wstring& out) {
    if (in.size() != 17) return false;
    std::string up;
    for (size_t i = 0; i < in.size(); ++i) {
        char c = in[i];
        if (i % 3 == 2) {
            if (c != ':') return false;
        } else if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return false;
        }
        up += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    out = zv::AnsiToWide(up);
    return true;
}

// Looks for the camera until it answers or the time is up.
int FindCamera(CSearchSession& session, const BoundAdapter& bound, double dSeconds,
               const std::wstring& strMac, CameraEntry& entry) {
    if (int rc = StartSearch(session, bound)) return rc;
    session.Pump(Millis(dSeconds), [&] { return session.LatestEntry(strMac, entry); });
    if (session.LatestEntry(strMac, entry)) return EXIT_DONE;
    PrintError(L"camera " + strMac + L" not found on " + bound.strBindIP);
    return EXIT_NOT_FOUND;
}
