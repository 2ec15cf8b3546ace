#include "upgrade/delay_func.h"

#include "base/clock.h"
#include "diag/trace.h"

CDelayFunc::~CDelayFunc() { ReleaseTimer(); }

int CDelayFunc::InitTimer(void* pOwner) {
    TraceOut("\r\n---CDelayFunc::InitTimer---begin---");
    m_pOwner = pOwner;
    m_hRunEvent = std::make_unique<zv::CManualResetEvent>(false);
    m_hRunEvent->Reset();
    m_bExit = 0;
    m_bThreadAlive = true;
    try {
        m_hThread = std::thread(&CDelayFunc::ThreadTimer, this);
    } catch (...) {
        m_bThreadAlive = false;
        return 0;
    }
    TraceOut("\r\n---CDelayFunc::InitTimer---end-----");
    return 1;
}

void CDelayFunc::ReleaseTimer() {
    TraceOut("\r\n---CDelayFunc::ReleaseTimer---begin1---");
    if (m_hThread.joinable()) {
        TraceOut("\r\n---CDelayFunc::ReleaseTimer---begin2---");
        m_bExit = 1;
        m_hRunEvent->Set();
        m_hThread.join();
    }
    m_hRunEvent.reset();
    TraceOut("\r\n---CDelayFunc::ReleaseTimer---end---");
}

void CDelayFunc::SwitchOn() {
    m_bRestart = 1;
    if (m_hRunEvent) m_hRunEvent->Set();
}

void CDelayFunc::SwitchOff() {
    m_bRestart = 0;
    if (m_hRunEvent) m_hRunEvent->Reset();
}

void CDelayFunc::ThreadTimer(CDelayFunc* self) {
    self->ProcessTimer();
    TraceOut("\r\n---Exit CDelayFunc::ThreadTimer---");
    self->m_bThreadAlive = false;
}

void CDelayFunc::ProcessTimer() {
    uint32_t last = 0;
    while (!m_bExit) {
        // Without time limit: the thread sleeps as long as the timer is switched off.
        while (!m_hRunEvent->Wait(60000)) {
        }
        if (m_bExit) break;
        uint32_t now = zv::GetTickCount();
        if (m_bRestart) {
            last = now;
            m_bRestart = 0;
        }
        if (now - last < kPeriodMs) {
            zv::Sleep(kPollMs);
            continue;
        }
        TimerFunc fn = m_pfnTimer.load();
        void* user = m_pTimerUser.load();
        if (fn && user && fn(user) != 0) return;
        last = zv::GetTickCount();
    }
    TraceOut("\r\n---Break CDelayFunc::ProcessTimer---");
}
