// The upgrade subsystem's only lock: an interface with Lock/Unlock and its
// critical-section implementation (a mutex the holder may enter again).
#pragma once
#include <mutex>

class IBaseLock {
public:
    virtual ~IBaseLock() = default;
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
};

class CBaseCS : public IBaseLock {
public:
    CBaseCS() = default;
    CBaseCS(const CBaseCS&) = delete;
    CBaseCS& operator=(const CBaseCS&) = delete;
    void Lock() override { m_cs.lock(); }
    void Unlock() override { m_cs.unlock(); }

private:
    std::recursive_mutex m_cs;
};

// Holds an IBaseLock for one scope.
class CAutoLock {
public:
    explicit CAutoLock(IBaseLock& lock) : m_lock(lock) { m_lock.Lock(); }
    ~CAutoLock() { m_lock.Unlock(); }
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;

private:
    IBaseLock& m_lock;
};
