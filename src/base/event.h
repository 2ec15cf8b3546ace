// A manual-reset event: once set it stays set, and every waiter passes, until Reset.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace zv {

class CManualResetEvent {
public:
    explicit CManualResetEvent(bool initiallySet = false) : m_bSet(initiallySet) {}
    void Set();
    void Reset();
    bool IsSet() const;
    // Waits at most ms milliseconds of program time (see clock.h); true when set.
    bool Wait(uint32_t ms);

private:
    mutable std::mutex m_mu;
    std::condition_variable m_cv;
    bool m_bSet;
};

}  // namespace zv
