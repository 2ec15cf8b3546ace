// CUpgradeHandle: the camera maintenance engine. It knows the camera's maintenance CGI
// commands and the firmware catalogue, and runs one job (UpgradeTask against
// UpgradeTarget) at a time on a worker thread of its own. The caller watches m_nStatus
// and the tick counter; the worker never touches a window.
//
// Caller's sequence: write m_pfnConfirm/m_pConfirmUser and m_task, SetTarget, set
// m_nStatus to -1, ClearStop, InitUpgradeThread ... AbortRequest, ReleaseUpgradeThread.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "http/cgi_oper.h"
#include "upgrade/base_lock.h"
#include "upgrade/upgrade_types.h"

class CUpgradeHandle {
public:
    using ConfirmFunc = int (*)(void* pUser);

    // catalogueHost: the firmware catalogue's host name; the build's constant unless a
    // test hands another.
    explicit CUpgradeHandle(std::string catalogueHost = std::string());
    // Aborts and joins a worker the owner left running (a joinable std::thread must not
    // be destroyed).
    virtual ~CUpgradeHandle();
    CUpgradeHandle(const CUpgradeHandle&) = delete;
    CUpgradeHandle& operator=(const CUpgradeHandle&) = delete;

    // 1 when the worker was started; 0 when it could not be, or a worker handle is still
    // held (release it first).
    int InitUpgradeThread();
    // Asks the worker to stop and waits for it without time limit.
    void ReleaseUpgradeThread();
    // Makes the running request fail promptly and every wait of the worker end.
    void AbortRequest();
    // True from InitUpgradeThread until the job has ended (by itself or aborted).
    bool IsJobRunning() const { return m_bRunning.load(); }
    // Clears the transport's stop flag before a new job.
    void ClearStop() { m_cgi.m_CgiSock.m_bStop = 0; }

    // The target is copied whole under m_lock, so a worker preparing a request always
    // sees one consistent camera while a page re-resolves a DHCP camera's address.
    void SetTarget(const UpgradeTarget& target);
    UpgradeTarget Target();

    // Tick counter, under m_lock. AddTick adds 1 and returns the new value.
    int32_t AddTick();
    int32_t Ticks();

    // The camera's "sys_ver" and the catalogue's "name" of the running job, copied
    // under m_lock (the worker rewrites them while the pages read them).
    std::wstring SysVersion();
    std::wstring LatestName();

    // The prepared request of each command, for inspection after a job.
    const CgiRequest& StatusRequest() const { return m_reqStatus; }
    const CgiRequest& WebUploadRequest() const { return m_reqWebUpload; }
    const CgiRequest& SysUploadRequest() const { return m_reqSysUpload; }
    const CgiRequest& AutoDownloadRequest() const { return m_reqAutoDownload; }
    const CgiRequest& CatalogueRequest() const { return m_reqCatalogue; }

    // Restart waits in 50 ms steps, and the bound of the status polling after them.
    static constexpr int kStepMs = 50;
    static constexpr int kWebRebootSteps = 1000;  // 50 s
    static constexpr int kSysRebootSteps = 900;   // 45 s
    static constexpr uint32_t kOnlineWaitMs = 90000;

    std::atomic<ConfirmFunc> m_pfnConfirm{nullptr};
    std::atomic<void*> m_pConfirmUser{nullptr};
    UpgradeTask m_task{};
    CCgiOper m_cgi;
    std::atomic<int32_t> m_nStatus{UPG_STATUS_START};
    CBaseCS m_lock;
    std::thread m_hThread;
    std::atomic<int32_t> m_bExit{0};

private:
    static void ThreadUpgrade(CUpgradeHandle* self);
    void ProcessUpgrade();

    void ExecuteRequest(CgiRequest& req, const std::string& cgiPath, bool hasQuery);
    int GetDeviceStatus();
    int WaitDeviceOnline();
    int QueryLatestFirmware();
    int UpgradeWebFirmware();
    int UpgradeSysFirmware(int32_t method);
    void WaitUnlessStopped(uint32_t ms);
    void WaitSteps(int steps);

    int RunStatusQuery();
    void StoreStatusValues();
    void ClearStatusTexts();
    void ResetTicks();
    void SetStatus(int32_t status) { m_nStatus = status; }
    int RunUpload(CgiRequest& req, const char* cgiPath, const char* file, size_t fileWidth);

    std::atomic<bool> m_bRunning{false};
    std::string m_strCatalogueHost;
    UpgradeTarget m_target{};  // under m_lock
    int32_t m_nTicks = 0;      // under m_lock

    std::vector<std::wstring> m_values;
    // m_strSysVer and m_strLatestName are written under m_lock (see SysVersion).
    std::wstring m_strSysVer, m_strAppVer, m_strParamsMd5, m_strOemId;
    std::wstring m_strLatestName, m_strDownloadServer, m_strDownloadFile;

    CgiRequest m_reqStatus{};
    CgiRequest m_reqWebUpload{};
    CgiRequest m_reqSysUpload{};
    CgiRequest m_reqAutoDownload{};
    CgiRequest m_reqCatalogue{};
};
