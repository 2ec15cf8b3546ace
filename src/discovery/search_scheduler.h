// CUpdateThread, the search scheduler: a thread with a message queue that runs a search
// pass every 2000 ms through COstrel, sends settings requests on demand and tells its
// owner window when to prune the camera list.
//
// Thread messages it takes (post to m_nThreadId with zv::PostThreadMessage):
//   WM_SEARCH_NOW    (0, 0)           search at once; a prune follows 200 ms later.
//   WM_SEND_SETTINGS (CameraEntry*, 0) send the entry's params, then as WM_SEARCH_NOW.
//     The entry must come from NewSettingsEntry; the scheduler owns it from a
//     successful post on and frees it exactly once (also when it ends with the message
//     still queued). When the post fails, the sender frees it with FreeSettingsEntry.
// Window messages it posts to m_pOwner:
//   WM_SEARCH_PRUNE  (0, 0)
//   WM_SEARCH_RESULT (1 socket cannot be set up | 2 a send failed, 0)
#pragma once
#include <atomic>
#include <cstdint>
#include <thread>

#include "base/message.h"
#include "discovery/camera_types.h"

class COstrel;

CameraEntry* NewSettingsEntry(const CameraEntry& entry);
void FreeSettingsEntry(CameraEntry* entry);
// Entries made by NewSettingsEntry and not yet freed (leak checks in tests).
long SettingsEntriesLive();

class CUpdateThread {
public:
    CUpdateThread() = default;
    virtual ~CUpdateThread();  // stops a running thread first
    CUpdateThread(const CUpdateThread&) = delete;
    CUpdateThread& operator=(const CUpdateThread&) = delete;

    // Sets m_pOwner and m_pEngine, clears m_bExit and starts ThreadUpdate. The thread's
    // queue exists when this returns, so the owner may post at once. 1 started, 0 not.
    int Start(zv::IMessageSink* owner, COstrel* engine);
    // Stops the thread: m_bExit, then WM_QUIT every 100 ms until it has ended.
    void ReleaseUpdateThread();
    static void ThreadUpdate(CUpdateThread* self);

    std::thread m_hThread;
    std::atomic<int32_t> m_nThreadId{0};
    zv::IMessageSink* m_pOwner = nullptr;
    COstrel* m_pEngine = nullptr;
    std::atomic<int32_t> m_bExit{0};

private:
    void Run();
    void SendSettings(CameraEntry* entry);
    std::atomic<bool> m_bRunning{false};
};
