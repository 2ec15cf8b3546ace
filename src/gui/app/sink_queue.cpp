#include "gui/app/sink_queue.h"

#include <algorithm>

bool CSinkQueue::Push(SinkMessage msg) {
    std::lock_guard<std::mutex> lk(m_mu);
    m_queue.push_back(std::move(msg));
    if (m_bDrainPending) return false;
    m_bDrainPending = true;
    return true;
}

void CSinkQueue::BeginDrain() {
    std::lock_guard<std::mutex> lk(m_mu);
    m_bDrainPending = false;
}

bool CSinkQueue::Pop(SinkMessage& out) {
    std::lock_guard<std::mutex> lk(m_mu);
    if (m_queue.empty()) return false;
    out = std::move(m_queue.front());
    m_queue.pop_front();
    return true;
}

bool CSinkQueue::NeedsDrain() {
    std::lock_guard<std::mutex> lk(m_mu);
    if (m_queue.empty() || m_bDrainPending) return false;
    m_bDrainPending = true;
    return true;
}

void CSinkQueue::RemoveIf(const std::function<bool(const SinkMessage&)>& pred) {
    std::deque<SinkMessage> dropped;  // freed outside the lock
    std::lock_guard<std::mutex> lk(m_mu);
    auto it = std::stable_partition(m_queue.begin(), m_queue.end(),
                                    [&](const SinkMessage& m) { return !pred(m); });
    std::move(it, m_queue.end(), std::back_inserter(dropped));
    m_queue.erase(it, m_queue.end());
}

size_t CSinkQueue::Size() {
    std::lock_guard<std::mutex> lk(m_mu);
    return m_queue.size();
}
