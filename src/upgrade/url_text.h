// URL pieces of the camera maintenance commands and the catalogue query.
#pragma once
#include <string>
#include <string_view>

namespace upg {

// The catalogue server's host name, fixed at build time (ZARVON_CATALOGUE_HOST).
const char* CatalogueHost();
constexpr int kCataloguePort = 808;

// Percent-encodes the bytes that would otherwise end or change a query parameter or the
// request line: control characters, space, '"', '#', '%', '&', '+', '=', '?' and every
// byte above 0x7E. Every other byte goes out unchanged, so plain texts stay as they are.
std::string PercentEncode(std::string_view text);

// "http://host/" on port 80, else "http://host:port/".
std::string CameraBaseUrl(std::string_view host, int port);
// "http://<catalogue host>:808/".
std::string CatalogueBaseUrl(std::string_view host);

// "?user=A&pwd=P&loginuse=A&loginpas=P", or with "&user=" when the path already holds
// a query. A and P are percent-encoded.
std::string CredentialQuery(std::string_view account, std::string_view password, bool hasQuery);

}  // namespace upg
