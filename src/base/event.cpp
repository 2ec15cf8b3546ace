#include "base/event.h"

#include <chrono>

#include "base/clock.h"

namespace zv {

void CManualResetEvent::Set() {
    {
        std::lock_guard<std::mutex> lk(m_mu);
        m_bSet = true;
    }
    m_cv.notify_all();
}

void CManualResetEvent::Reset() {
    std::lock_guard<std::mutex> lk(m_mu);
    m_bSet = false;
}

bool CManualResetEvent::IsSet() const {
    std::lock_guard<std::mutex> lk(m_mu);
    return m_bSet;
}

bool CManualResetEvent::Wait(uint32_t ms) {
    std::unique_lock<std::mutex> lk(m_mu);
    auto real = std::chrono::duration<double, std::milli>(ms / TimeScale());
    return m_cv.wait_for(lk, real, [this] { return m_bSet; });
}

}  // namespace zv
