#include "md5.h"

#include <openssl/evp.h>

namespace camsim {

struct Md5::Impl {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    ~Impl() { EVP_MD_CTX_free(ctx); }
};

Md5::Md5() : m_impl(std::make_unique<Impl>()) {
    EVP_DigestInit_ex(m_impl->ctx, EVP_md5(), nullptr);
}
Md5::~Md5() = default;

void Md5::Update(const void* data, size_t n) { EVP_DigestUpdate(m_impl->ctx, data, n); }

std::string Md5::HexDigest() {
    unsigned char d[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    EVP_DigestFinal_ex(m_impl->ctx, d, &n);
    static const char* hex = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < n; ++i) {
        out += hex[d[i] >> 4];
        out += hex[d[i] & 15];
    }
    return out;
}

}  // namespace camsim
