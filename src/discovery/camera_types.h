// The discovery protocol's datagrams and the records built from them. Every layout here
// is the wire layout, byte for byte; the static_asserts below pin each size and offset.
#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "the wire records are read and written in place as little-endian");

constexpr uint16_t DISCOVERY_MAGIC = 0x4844;  // bytes 0x44 0x48
constexpr uint16_t CMD_SEARCH_REQ = 0x0101;
constexpr uint16_t CMD_SET_REQ = 0x0102;
constexpr uint16_t CMD_SEARCH_RESP = 0x0801;
constexpr uint16_t CMD_SET_RESP = 0x0802;

constexpr uint16_t DISCOVERY_CAMERA_PORT = 8600;
constexpr uint16_t DISCOVERY_PC_PORT = 8601;

constexpr size_t SEARCH_REQ_SIZE = 4;
constexpr size_t SET_REQ_SIZE = 324;
constexpr size_t SEARCH_RESP_SIZE = 516;
constexpr size_t SET_RESP_SIZE = 328;
constexpr size_t DISCOVERY_RECV_BUFFER = 1024;

constexpr int32_t SEARCH_EVENT_FOUND = 4;
constexpr int32_t SET_RESULT_OK = 0x8000;
constexpr int32_t SET_RESULT_BAD_AUTH = 0x8001;
constexpr int32_t SET_RESULT_NO_RIGHT = 0x8002;

struct CameraParams {
    char szIP[16];
    char szMask[16];
    char szGateway[16];
    char szDns1[16];
    char szDns2[16];
    uint8_t byMacAddr[6];
    uint16_t nHttpPort;
    char szUid[32];
    char szName[80];  // UTF-8
    char szVersion[32];
    char szUser[32];  // filled only in a settings request
    char szPwd[32];   // filled only in a settings request
    uint8_t byReserved1;
    int8_t bDhcp;  // 0 fixed address, 1 DHCP; any other value is kept as the camera sent it
    uint8_t byReserved2[22];
};

struct CameraExtra {
    uint8_t byOther[160];
    char szDdnsPwd[32];  // not necessarily zero-terminated
};

struct CameraEntry {
    CameraParams params;
    CameraExtra extra;
    uint8_t bSeen;
    int32_t nMode;
};

// nEvent: SEARCH_EVENT_FOUND with a CameraEntry*, or a settings reply's result code with
// its CameraParams*. pData is valid only during the call.
using SearchCallback = void (*)(int32_t nEvent, void* pData, void* pUser);

static_assert(sizeof(CameraParams) == 320);
static_assert(offsetof(CameraParams, szIP) == 0);
static_assert(offsetof(CameraParams, szMask) == 16);
static_assert(offsetof(CameraParams, szGateway) == 32);
static_assert(offsetof(CameraParams, szDns1) == 48);
static_assert(offsetof(CameraParams, szDns2) == 64);
static_assert(offsetof(CameraParams, byMacAddr) == 80);
static_assert(offsetof(CameraParams, nHttpPort) == 86);
static_assert(offsetof(CameraParams, szUid) == 88);
static_assert(offsetof(CameraParams, szName) == 120);
static_assert(offsetof(CameraParams, szVersion) == 200);
static_assert(offsetof(CameraParams, szUser) == 232);
static_assert(offsetof(CameraParams, szPwd) == 264);
static_assert(offsetof(CameraParams, byReserved1) == 296);
static_assert(offsetof(CameraParams, bDhcp) == 297);
static_assert(offsetof(CameraParams, byReserved2) == 298);
static_assert(sizeof(CameraExtra) == 192);
static_assert(offsetof(CameraExtra, szDdnsPwd) == 160);
static_assert(SEARCH_RESP_SIZE == 4 + sizeof(CameraParams) + sizeof(CameraExtra));
static_assert(SET_REQ_SIZE == 4 + sizeof(CameraParams));
static_assert(SET_RESP_SIZE == 4 + sizeof(CameraParams) + 4);
