#include "upgrade/upgrade_handle.h"

#include <cstdio>
#include <cstring>
#include <cwctype>

#include "base/clock.h"
#include "base/fixed_field.h"
#include "base/text_conv.h"
#include "diag/trace.h"
#include "http/json_handle.h"
#include "http/result_codes.h"
#include "upgrade/url_text.h"

namespace {

constexpr int kDefaultTimeout = 5;
constexpr int kAutoDownloadTimeout = 50;
constexpr int kAutoDownloadPort = 80;  // the camera always fetches over plain HTTP

std::wstring Trim(const std::wstring& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::iswspace(s[b])) ++b;
    while (e > b && std::iswspace(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// Every command starts from a zero-filled slot with the defaults.
void ResetRequest(CgiRequest& req, int32_t kind) {
    std::memset(&req, 0, sizeof req);
    req.nKind = kind;
    req.nTimeout = kDefaultTimeout;
    req.nResult = -1;
}

// A request that is refused before it is sent: finished, with its code.
void Refuse(CgiRequest& req, int32_t code) {
    req.nResult = code;
    req.nState = 2;
}

}  // namespace

CUpgradeHandle::CUpgradeHandle(std::string catalogueHost)
    : m_strCatalogueHost(catalogueHost.empty() ? upg::CatalogueHost() : std::move(catalogueHost)) {
    for (CgiRequest* r :
         {&m_reqStatus, &m_reqWebUpload, &m_reqSysUpload, &m_reqAutoDownload, &m_reqCatalogue})
        ResetRequest(*r, 0);
}

CUpgradeHandle::~CUpgradeHandle() {
    if (m_hThread.joinable()) {
        AbortRequest();
        ReleaseUpgradeThread();
    }
}

int CUpgradeHandle::InitUpgradeThread() {
    TraceOut("\r\n---InitUpgradeThread---begin---");
    if (m_hThread.joinable()) return 0;
    m_bExit = 0;
    m_bRunning = true;
    try {
        m_hThread = std::thread(&CUpgradeHandle::ThreadUpgrade, this);
    } catch (...) {
        m_bRunning = false;
        return 0;
    }
    TraceOut("\r\n---InitUpgradeThread---end-----");
    return 1;
}

void CUpgradeHandle::ReleaseUpgradeThread() {
    TraceOut("\r\n---ReleaseUpgradeThread---begin-1---");
    if (m_hThread.joinable()) {
        TraceOut("\r\n---ReleaseUpgradeThread---begin-2---");
        m_bExit = 1;
        m_hThread.join();
    }
    TraceOut("\r\n---ReleaseUpgradeThread---end-----");
}

void CUpgradeHandle::AbortRequest() {
    m_bExit = 1;
    m_cgi.m_CgiSock.Abort();
}

void CUpgradeHandle::SetTarget(const UpgradeTarget& target) {
    CAutoLock hold(m_lock);
    m_target = target;
}

UpgradeTarget CUpgradeHandle::Target() {
    CAutoLock hold(m_lock);
    return m_target;
}

int32_t CUpgradeHandle::AddTick() {
    CAutoLock hold(m_lock);
    return ++m_nTicks;
}

int32_t CUpgradeHandle::Ticks() {
    CAutoLock hold(m_lock);
    return m_nTicks;
}

std::wstring CUpgradeHandle::SysVersion() {
    CAutoLock hold(m_lock);
    return m_strSysVer;
}

std::wstring CUpgradeHandle::LatestName() {
    CAutoLock hold(m_lock);
    return m_strLatestName;
}

void CUpgradeHandle::ResetTicks() {
    CAutoLock hold(m_lock);
    m_nTicks = 0;
}

void CUpgradeHandle::ThreadUpgrade(CUpgradeHandle* self) {
    self->ProcessUpgrade();
    TraceOut("\r\n---break ProcessUpgrade---");
    TraceOut("\r\n---exit ThreadUpgrade---");
    self->m_bRunning = false;
}

void CUpgradeHandle::ExecuteRequest(CgiRequest& req, const std::string& cgiPath, bool hasQuery) {
    const UpgradeTarget t = Target();
    const std::string account = zv::FieldText(t.szAccount);
    const std::string password = zv::FieldText(t.szPassword);

    std::string url;
    if (req.nKind == REQ_FETCH) {
        url = upg::CatalogueBaseUrl(m_strCatalogueHost) + cgiPath;
    } else {
        url = upg::CameraBaseUrl(zv::FieldText(t.szHost), t.nPort) + cgiPath +
              upg::CredentialQuery(account, password, hasQuery);
    }

    // The slot's account and password are a record of the request only (the URL is
    // built from the target), so a longer text is cut there.
    if (!account.empty()) zv::CopyToField(req.szAccount, account);
    if (!password.empty()) zv::CopyToField(req.szPassword, password);
    std::memset(req.szUrl, 0, sizeof req.szUrl);
    // A URL that does not fit its field is refused rather than sent cut short.
    if (url.size() >= sizeof req.szUrl) return Refuse(req, RET_BAD_URL);
    zv::CopyToField(req.szUrl, url);

    int ok = 0, code = RET_NONE, contentLen = 0;
    req.nState = 1;
    switch (req.nKind) {
        case REQ_COMMAND:
            req.nValueCount = 0;
            ok = m_cgi.ExecCgiCmd(url, req.nTimeout, code, contentLen);
            break;
        case REQ_QUERY: {
            std::vector<std::wstring> keys;
            for (size_t i = 0; i < CGI_MAX_KEYS; ++i)
                if (req.szKeys[i][0] != 0)
                    keys.push_back(zv::AnsiToWide(zv::FieldText(req.szKeys[i])));
            m_values.clear();
            req.nValueCount = static_cast<int32_t>(m_values.size());
            ok = m_cgi.GetCgiParams(url, req.nTimeout, keys, m_values, code, contentLen);
            req.nValueCount = static_cast<int32_t>(m_values.size());
            break;
        }
        case REQ_UPLOAD:
            req.nValueCount = 0;
            ok = m_cgi.UpgradeFile(url, req.nTimeout, zv::AnsiToWide(zv::FieldText(req.szFilePath)),
                                   zv::AnsiToWide(zv::FieldText(req.szMd5)), code, contentLen);
            break;
        case REQ_FETCH:
            req.nValueCount = 0;
            ok = m_cgi.DownloadFile(url, req.nTimeout, req.pReplyBuf, CATALOGUE_REPLY_SIZE, code,
                                    contentLen);
            break;
        default:
            code = RET_FAILED;
            break;
    }
    req.nResult = ok ? RET_OK : (code == RET_OK ? RET_FAILED : code);
    req.nResultEx = contentLen;
    req.nState = 2;
}

int CUpgradeHandle::RunStatusQuery() {
    ResetRequest(m_reqStatus, REQ_QUERY);
    const char* keys[] = {"sys_ver", "app_version", "params_md5", "oem_id"};
    for (size_t i = 0; i < 4; ++i) zv::CopyToField(m_reqStatus.szKeys[i], keys[i]);
    m_reqStatus.nKeyCount = 4;
    ExecuteRequest(m_reqStatus, "get_status.cgi", false);
    return m_reqStatus.nResult;
}

void CUpgradeHandle::StoreStatusValues() {
    std::wstring v[4];
    for (size_t i = 0; i < 4 && i < m_values.size(); ++i) v[i] = Trim(m_values[i]);
    CAutoLock hold(m_lock);
    m_strSysVer = v[0];
    m_strAppVer = v[1];
    m_strParamsMd5 = v[2];
    m_strOemId = v[3];
}

void CUpgradeHandle::ClearStatusTexts() {
    CAutoLock hold(m_lock);
    m_strSysVer.clear();
    m_strAppVer.clear();
    m_strParamsMd5.clear();
    m_strOemId.clear();
}

int CUpgradeHandle::GetDeviceStatus() {
    int r = RunStatusQuery();
    if (r != 0) return r;
    StoreStatusValues();
    return 0;
}

int CUpgradeHandle::WaitDeviceOnline() {
    const uint64_t start = zv::TickCount64();
    ClearStatusTexts();
    int result = -1;
    while (!m_bExit) {
        int r = RunStatusQuery();
        if (r == 0) {
            StoreStatusValues();
            return 0;
        }
        result = r;
        // No pause between attempts: each one lasts as long as the transport's time-out.
        if (zv::TickCount64() - start >= kOnlineWaitMs || m_bExit) return result;
    }
    return -1;
}

int CUpgradeHandle::QueryLatestFirmware() {
    char reply[CATALOGUE_REPLY_SIZE];
    std::memset(reply, 0, sizeof reply);
    ResetRequest(m_reqCatalogue, REQ_FETCH);
    m_reqCatalogue.pReplyBuf = reply;
    char path[sizeof m_task.szVersionKey + 16];
    std::snprintf(path, sizeof path, "firmware/%s/cn",
                  upg::PercentEncode(zv::FieldText(m_task.szVersionKey)).c_str());
    ExecuteRequest(m_reqCatalogue, path, false);
    m_reqCatalogue.pReplyBuf = nullptr;  // the buffer dies with this call
    if (m_reqCatalogue.nResult != 0) return 0;

    std::wstring name, server, file;
    CJsonHandle json;
    if (!json.ParseFirmwareInfo(zv::AnsiToWide(zv::FieldText(reply)), name, server, file)) return 0;
    CAutoLock hold(m_lock);
    m_strLatestName = name;
    m_strDownloadServer = server;
    m_strDownloadFile = file;
    return 1;
}

int CUpgradeHandle::RunUpload(CgiRequest& req, const char* cgiPath, const char* file,
                              size_t fileWidth) {
    ResetRequest(req, REQ_UPLOAD);
    std::string path = zv::FieldText(file, fileWidth);
    // A path cut short would name another file: refuse it as one that cannot be opened.
    if (path.size() >= sizeof req.szFilePath) {
        Refuse(req, RET_FILE_OPEN_FAILED);
        return req.nResult;
    }
    zv::CopyToField(req.szFilePath, path);
    ExecuteRequest(req, cgiPath, false);
    return req.nResult;
}

int CUpgradeHandle::UpgradeWebFirmware() {
    ResetTicks();
    SetStatus(UPG_STATUS_WEB_UPLOADING);
    if (RunUpload(m_reqWebUpload, "upgrade_htmls.cgi", m_task.szWebFile, sizeof m_task.szWebFile) !=
        0) {
        SetStatus(UPG_STATUS_WEB_FAILED);
        return 0;
    }
    ResetTicks();
    SetStatus(UPG_STATUS_WEB_REBOOTING);
    WaitSteps(kWebRebootSteps);
    return 1;
}

int CUpgradeHandle::UpgradeSysFirmware(int32_t method) {
    ResetTicks();
    SetStatus(UPG_STATUS_SYS_UPGRADING);
    int r;
    if (method == UPG_SYS_DOWNLOAD) {
        ResetRequest(m_reqAutoDownload, REQ_COMMAND);
        m_reqAutoDownload.nTimeout = kAutoDownloadTimeout;
        std::string server, file;
        {
            CAutoLock hold(m_lock);
            server = upg::PercentEncode(zv::WideToOem(m_strDownloadServer));
            file = upg::PercentEncode(zv::WideToOem(m_strDownloadFile));
        }
        std::string path = "auto_download_file.cgi?server=" + server +
                           "&port=" + std::to_string(kAutoDownloadPort) + "&file=" + file +
                           "&type=0";
        ExecuteRequest(m_reqAutoDownload, path, true);
        r = m_reqAutoDownload.nResult;
    } else if (method == UPG_SYS_UPLOAD) {
        r = RunUpload(m_reqSysUpload, "upgrade_firmware.cgi", m_task.szSysFile,
                      sizeof m_task.szSysFile);
    } else {
        SetStatus(UPG_STATUS_SYS_FAILED);
        return 0;
    }
    if (r != 0) {
        SetStatus(UPG_STATUS_SYS_FAILED);
        return 0;
    }
    ResetTicks();
    SetStatus(UPG_STATUS_SYS_REBOOTING);
    WaitSteps(kSysRebootSteps);
    return 1;
}

void CUpgradeHandle::WaitSteps(int steps) {
    for (int i = 0; i < steps && !m_bExit; ++i) zv::Sleep(kStepMs);
}

void CUpgradeHandle::WaitUnlessStopped(uint32_t ms) { WaitSteps(static_cast<int>(ms / kStepMs)); }

void CUpgradeHandle::ProcessUpgrade() {
    ClearStatusTexts();
    {
        CAutoLock hold(m_lock);
        m_strLatestName.clear();
        m_strDownloadServer.clear();
        m_strDownloadFile.clear();
    }
    ResetTicks();
    SetStatus(UPG_STATUS_START);
    WaitSteps(20);

    int r = GetDeviceStatus();
    if (r != 0) {
        SetStatus(r);
        return;
    }

    if (m_task.nCheckMode == UPG_CHECK_ONLINE) {
        ResetTicks();
        SetStatus(UPG_STATUS_CONNECTED);
        WaitSteps(40);
        ResetTicks();
        SetStatus(UPG_STATUS_CUR_VERSION);
        WaitSteps(40);
        ResetTicks();
        if (!QueryLatestFirmware()) {
            SetStatus(UPG_STATUS_QUERY_FAILED);
            return;
        }
        SetStatus(UPG_STATUS_NEW_VERSION);
        WaitUnlessStopped(2000);

        if (SysVersion() == LatestName()) {
            ConfirmFunc fn = m_pfnConfirm.load();
            void* user = m_pConfirmUser.load();
            // Runs on this thread and blocks it until the user has answered.
            if (fn && user && fn(user) != 0) {
                ResetTicks();
                SetStatus(UPG_STATUS_CANCELLED);
                WaitUnlessStopped(1000);
                return;
            }
        }
    }

    int s = m_task.bSysFirmware ? UpgradeSysFirmware(m_task.nSysMethod) : 0;
    int w = m_task.bWebFirmware ? UpgradeWebFirmware() : 0;
    if (s == 1 || w == 1) {
        r = WaitDeviceOnline();
        SetStatus(r == 0 ? UPG_STATUS_DONE : r);
    }
}
