// CDelayFunc: a timer thread that calls one callback about once a second while it is
// switched on, and sleeps on its run event while switched off. The upgrade pages use it
// to sample a running job's progress.
//
// Owner's sequence: set m_pfnTimer/m_pTimerUser, InitTimer, SwitchOn ... SwitchOff,
// ReleaseTimer. A callback result other than 0 ends the thread; the next SwitchOn then
// does nothing until ReleaseTimer and InitTimer.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "base/event.h"

class CDelayFunc {
public:
    using TimerFunc = int (*)(void* pUser);

    CDelayFunc() = default;
    // Stops a thread the owner left running, so that no std::thread is destroyed joinable.
    virtual ~CDelayFunc();
    CDelayFunc(const CDelayFunc&) = delete;
    CDelayFunc& operator=(const CDelayFunc&) = delete;

    // Creates the run event (reset) and the thread, which sleeps until switched on.
    // 1 on success, 0 when the thread cannot be created.
    int InitTimer(void* pOwner);
    // Stops and joins the thread (at once when it already ended), then drops the event.
    void ReleaseTimer();

    // Switch on: the first callback comes one period after this call.
    void SwitchOn();
    // Switch off: the thread goes to sleep before its next pass.
    void SwitchOff();

    // True while the thread exists and has not ended (for tests and owners).
    bool IsThreadRunning() const { return m_bThreadAlive.load(); }

    static constexpr uint32_t kPeriodMs = 1000;
    static constexpr uint32_t kPollMs = 5;

    void* m_pOwner = nullptr;
    std::thread m_hThread;
    std::atomic<int32_t> m_bExit{0};
    std::unique_ptr<zv::CManualResetEvent> m_hRunEvent;
    std::atomic<int32_t> m_bRestart{1};
    std::atomic<TimerFunc> m_pfnTimer{nullptr};
    std::atomic<void*> m_pTimerUser{nullptr};

private:
    static void ThreadTimer(CDelayFunc* self);
    void ProcessTimer();

    std::atomic<bool> m_bThreadAlive{false};
};
