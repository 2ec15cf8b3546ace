// Building camera entries for the camera-list tests.
#pragma once
#include <cstring>
#include <string>

#include "base/fixed_field.h"
#include "discovery/camera_types.h"

inline CameraEntry MakeCamera(uint8_t macLast, const std::string& ip,
                              const std::string& name = "cam", uint16_t port = 80, int mode = 1) {
    CameraEntry e{};
    const uint8_t mac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, macLast};
    std::memcpy(e.params.byMacAddr, mac, 6);
    zv::CopyToField(e.params.szIP, ip);
    zv::CopyUtf8ToField(e.params.szName, name);
    e.params.nHttpPort = port;
    e.bSeen = 1;
    e.nMode = mode;
    return e;
}
