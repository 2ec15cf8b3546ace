// Streaming MD5 of received uploads (OpenSSL), as lower-case hex.
#pragma once
#include <cstddef>
#include <memory>
#include <string>

namespace camsim {

class Md5 {
public:
    Md5();
    ~Md5();
    void Update(const void* data, size_t n);
    std::string HexDigest();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace camsim
