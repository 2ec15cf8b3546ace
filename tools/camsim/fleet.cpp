#include "camsim/fleet.h"

#include <cstdio>
#include <cstring>

#include "base/fixed_field.h"

namespace camsim {
namespace {

// Cycled through the fleet: one version per mode class (T, F, C, G, Other).
const char* const kVersionForms[] = {"1.2.3.%zu", "1.7.15.%zu", "1.7.60.%zu", "1.7.20.%zu",
                                     "1.7.30.%zu"};
// Names in the four languages the program speaks, some of them non-ASCII UTF-8.
const char* const kNameForms[] = {
    "Camera %zu", "Kamera wejście %zu",
    "\xE5\x89\x8D\xE9\x97\xA8\xE6\x91\x84\xE5\x83\x8F\xE6\x9C\xBA %zu",
    "\xE3\x82\xAB\xE3\x83\xA1\xE3\x83\xA9 %zu", "Garage %zu"};
const uint16_t kPorts[] = {80, 8080, 81, 8000, 8888};

std::string Format(const char* form, size_t i) {
    char buf[96];
    std::snprintf(buf, sizeof buf, form, i);
    return buf;
}

}  // namespace

std::string AddressOf(size_t index) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "127.0.%zu.%zu", 10 + index / 254, 1 + index % 254);
    return buf;
}

CameraParams ParamsOf(const SimCamera& cam) {
    CameraParams p;
    std::memset(&p, 0, sizeof p);
    zv::CopyToField(p.szIP, cam.ip);
    zv::CopyToField(p.szMask, cam.mask);
    zv::CopyToField(p.szGateway, cam.gateway);
    zv::CopyToField(p.szDns1, cam.dns1);
    zv::CopyToField(p.szDns2, cam.dns2);
    std::memcpy(p.byMacAddr, cam.mac.data(), sizeof p.byMacAddr);
    p.nHttpPort = cam.httpPort;
    zv::CopyToField(p.szUid, cam.uid);
    zv::CopyUtf8ToField(p.szName, cam.name);
    zv::CopyToField(p.szVersion, cam.version);
    p.byReserved1 = cam.reserved1;
    p.bDhcp = cam.dhcp;
    std::memcpy(p.byReserved2, cam.reserved2.data(), sizeof p.byReserved2);
    return p;
}

std::vector<SimCamera> MakeFleet(size_t n, const std::string& pwd) {
    // Beyond 254 * 246 cameras the third octet would pass 255.
    if (n > 254 * 246) n = 254 * 246;
    std::vector<SimCamera> cams;
    cams.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        SimCamera c;
        c.ip = AddressOf(i);
        c.mac = {0x02,
                 0x5A,
                 0x56,
                 static_cast<uint8_t>(i >> 16),
                 static_cast<uint8_t>(i >> 8),
                 static_cast<uint8_t>(i)};
        c.httpPort = kPorts[i % 5];
        c.uid = Format("ZVSIM%06zuABCDE", i);
        c.name = Format(kNameForms[i % 5], i + 1);
        c.version = Format(kVersionForms[i % 5], 1 + i % 9);
        c.dhcp = (i % 4 == 3) ? 1 : 0;
        // Reserved bytes are not zero, so a settings request that fails to send them
        // back unchanged shows.
        c.reserved1 = static_cast<uint8_t>(0xA5 ^ i);
        for (size_t k = 0; k < c.reserved2.size(); ++k)
            c.reserved2[k] = static_cast<uint8_t>(i * 7 + k + 1);
        for (size_t k = 0; k < 160; ++k) c.extra[k] = static_cast<uint8_t>(k ^ i);
        std::string ddns = Format("ddns%zu", i);
        std::memcpy(c.extra.data() + 160, ddns.data(), ddns.size());
        c.pwd = pwd;
        cams.push_back(std::move(c));
    }
    return cams;
}

}  // namespace camsim
