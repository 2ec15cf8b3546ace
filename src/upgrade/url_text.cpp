#include "upgrade/url_text.h"

#include <cstring>

#ifndef ZARVON_CATALOGUE_HOST
#error "ZARVON_CATALOGUE_HOST is set by the build (CMake cache variable)"
#endif

namespace upg {

const char* CatalogueHost() { return ZARVON_CATALOGUE_HOST; }

namespace {
bool NeedsPercent(unsigned char c) {
    return c < 0x21 || c > 0x7E || std::strchr("\"#%&+=?", c) != nullptr;
}
}  // namespace

std::string PercentEncode(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (!NeedsPercent(c)) {
            out += ch;
            continue;
        }
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 0x0F];
    }
    return out;
}

std::string CameraBaseUrl(std::string_view host, int port) {
    std::string url = "http://";
    url += host;
    if (port != 80) url += ":" + std::to_string(port);
    url += "/";
    return url;
}

std::string CatalogueBaseUrl(std::string_view host) {
    return "http://" + std::string(host) + ":" + std::to_string(kCataloguePort) + "/";
}

std::string CredentialQuery(std::string_view account, std::string_view password, bool hasQuery) {
    std::string a = PercentEncode(account);
    std::string p = PercentEncode(password);
    std::string q = hasQuery ? "&user=" : "?user=";
    q += a + "&pwd=" + p + "&loginuse=" + a + "&loginpas=" + p;
    return q;
}

}  // namespace upg
