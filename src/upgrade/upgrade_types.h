// The records of one maintenance job: the camera (UpgradeTarget), what to do
// (UpgradeTask), one prepared CGI request (CgiRequest), and the job's status codes.
// Texts are 8-bit and zero-terminated; every field is written with an explicit bound.
#pragma once
#include <cstddef>
#include <cstdint>

// Job statuses. A failed request's transport or CGI code (3 auth, 7 connect time-out,
// 9 connecting, ...) is stored in the same place; the pages read both as one set.
constexpr int32_t UPG_STATUS_START = -1;
constexpr int32_t UPG_STATUS_CONNECTED = 10;
constexpr int32_t UPG_STATUS_CANCELLED = 28;
constexpr int32_t UPG_STATUS_CUR_VERSION = 29;
constexpr int32_t UPG_STATUS_QUERY_FAILED = 30;
constexpr int32_t UPG_STATUS_NEW_VERSION = 31;
constexpr int32_t UPG_STATUS_WEB_UPLOADING = 32;
constexpr int32_t UPG_STATUS_WEB_REBOOTING = 33;
constexpr int32_t UPG_STATUS_WEB_FAILED = 34;
constexpr int32_t UPG_STATUS_SYS_UPGRADING = 35;
constexpr int32_t UPG_STATUS_SYS_REBOOTING = 36;
constexpr int32_t UPG_STATUS_SYS_FAILED = 37;
constexpr int32_t UPG_STATUS_DONE = 38;

// nCheckMode
constexpr int32_t UPG_CHECK_NONE = 1;    // manual upgrade: no catalogue step
constexpr int32_t UPG_CHECK_ONLINE = 2;  // compare with the catalogue first
// nSysMethod
constexpr int32_t UPG_SYS_UPLOAD = 1;    // upload szSysFile with upgrade_firmware.cgi
constexpr int32_t UPG_SYS_DOWNLOAD = 2;  // camera fetches the catalogue's file itself

// CgiRequest::nKind
constexpr int32_t REQ_COMMAND = 1;
constexpr int32_t REQ_QUERY = 2;
constexpr int32_t REQ_UPLOAD = 3;
constexpr int32_t REQ_FETCH = 8;

struct UpgradeTarget {
    char szHost[64];
    int32_t nPort;
    int32_t bDhcp;
    char szMac[64];
    char szAccount[64];
    char szPassword[64];
};

struct UpgradeTask {
    int32_t bSysFirmware;
    int32_t bWebFirmware;
    int32_t nCheckMode;
    int32_t nSysMethod;
    char szVersionKey[32];
    char szSysFile[512];
    char szWebFile[512];
};

constexpr size_t CGI_MAX_KEYS = 132;
constexpr size_t CGI_KEY_WIDTH = 64;

struct CgiRequest {
    char szAccount[32];
    char szPassword[32];
    char szUrl[1024];
    int32_t nKind;
    int32_t nTimeout;
    int32_t nState;     // 1 running, 2 finished
    int32_t nResult;    // -1 before the first run, then 0 or a failure code
    int32_t nResultEx;  // the reply's Content-Length
    char szMd5[64];
    char szKeys[CGI_MAX_KEYS][CGI_KEY_WIDTH];
    int32_t nKeyCount;
    char szFilePath[256];
    char* pReplyBuf;
    int32_t nValueCount;
};

// Size of the buffer the catalogue reply is fetched into.
constexpr size_t CATALOGUE_REPLY_SIZE = 512;
