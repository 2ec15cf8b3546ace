// One search of the command line: the engine and the scheduler bound to one address,
// the camera list they feed (merge and prune as in the window), and the settings
// requests with their answers. Replies reach the calling thread as messages; Pump runs
// them until a deadline or a condition.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

#include "base/message.h"
#include "camlist/camera_list.h"
#include "discovery/search_engine.h"
#include "discovery/search_scheduler.h"

class CSearchSession : public zv::IMessageSink {
public:
    CSearchSession();
    ~CSearchSession() override;
    CSearchSession(const CSearchSession&) = delete;
    CSearchSession& operator=(const CSearchSession&) = delete;

    // Binds to strBindIP and starts the listener and the scheduler. 1 started, 0 not.
    int Start(const std::wstring& strBindIP);
    // Scheduler first, then the socket, the callback and the listener.
    void Stop();

    // Handles messages until nMs have passed or until bDone() returns true.
    void Pump(uint32_t nMs, const std::function<bool()>& bDone = nullptr);

    // Sends params as a settings request for the camera of that MAC; the answer comes
    // as SettingsResult(). false when the scheduler would not take it.
    bool SendSettings(const CameraEntry& entry);
    // 0 while no answer came; else 0x8000, 0x8001, 0x8002, or 2 for a failed send.
    int32_t SettingsResult() const { return m_nSetResult; }

    // The newest entry received for a MAC text ("AA:BB:..", upper case); false if none.
    bool LatestEntry(const std::wstring& strMac, CameraEntry& out) const;

    // Passes that failed: the socket could not be set up (1) or a send failed (2).
    int SetupFailures() const { return m_nSetupFailures; }
    int SendFailures() const { return m_nSendFailures; }

    CCameraList& List() { return m_list; }

    bool PostMessage(uint32_t message, zv::WPARAM wParam, zv::LPARAM lParam) override;

private:
    static void OnSearchEvent(int32_t nEvent, void* pData, void* pUser);
    void Handle(const zv::Message& msg);

    COstrel m_finder;
    CUpdateThread m_updateThread;
    CCameraList m_list;
    int32_t m_nQueue = 0;
    bool m_bRunning = false;
    std::atomic<uint64_t> m_nTargetMac{0};  // MAC of the camera a settings request went to
    std::atomic<bool> m_bHaveTarget{false};
    int32_t m_nSetResult = 0;
    int m_nSetupFailures = 0;
    int m_nSendFailures = 0;
    std::unordered_map<uint64_t, CameraEntry> m_mapLatest;  // newest entry per MAC
};
