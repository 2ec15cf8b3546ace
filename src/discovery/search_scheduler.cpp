#include "discovery/search_scheduler.h"

#include <system_error>

#include "base/app_messages.h"
#include "base/clock.h"
#include "base/message_queue.h"
#include "diag/trace.h"
#include "discovery/search_engine.h"

namespace {

constexpr uint32_t kSearchPeriodMs = 2000;
constexpr uint32_t kPollMs = 50;
constexpr uint32_t kPruneDelayMs = 200;
constexpr uint32_t kQuitRepeatMs = 100;

std::atomic<long> g_liveEntries{0};

// Messages still queued when the scheduler ends: their entries are freed here, once.
void DropMessage(const zv::Message& m) {
    if (m.message == WM_SEND_SETTINGS && m.wParam != 0)
        FreeSettingsEntry(reinterpret_cast<CameraEntry*>(m.wParam));
}

// "now is before next" on a wrapping 32-bit tick count.
bool Before(uint32_t now, uint32_t next) { return static_cast<int32_t>(now - next) < 0; }

}  // namespace

CameraEntry* NewSettingsEntry(const CameraEntry& entry) {
    ++g_liveEntries;
    return new CameraEntry(entry);
}

void FreeSettingsEntry(CameraEntry* entry) {
    if (!entry) return;
    --g_liveEntries;
    delete entry;
}

long SettingsEntriesLive() { return g_liveEntries.load(); }

CUpdateThread::~CUpdateThread() { ReleaseUpdateThread(); }

int CUpdateThread::Start(zv::IMessageSink* owner, COstrel* engine) {
    if (m_hThread.joinable()) return 0;
    m_pOwner = owner;
    m_pEngine = engine;
    m_bExit = 0;
    m_nThreadId = zv::CreateThreadQueue();
    m_bRunning = true;
    try {
        m_hThread = std::thread(ThreadUpdate, this);
    } catch (const std::system_error&) {
        m_bRunning = false;
        zv::DestroyThreadQueue(m_nThreadId, DropMessage);
        m_nThreadId = 0;
        return 0;
    }
    return 1;
}

void CUpdateThread::ReleaseUpdateThread() {
    if (!m_hThread.joinable()) return;
    m_bExit = 1;
    do {
        zv::PostThreadMessage(m_nThreadId, zv::WM_QUIT, 0, 0);
        zv::Sleep(kQuitRepeatMs);
    } while (m_bRunning.load());
    m_hThread.join();
    m_nThreadId = 0;
}

void CUpdateThread::ThreadUpdate(CUpdateThread* self) {
    self->Run();
    // Ends the queue here, on the thread's own exit: a post after this fails, so the
    // sender keeps (and frees) its entry, and what is left in it is freed by DropMessage.
    zv::DestroyThreadQueue(self->m_nThreadId, DropMessage);
    TraceOut("\n exit update thread");
    self->m_bRunning = false;
}

void CUpdateThread::SendSettings(CameraEntry* entry) {
    if (m_pEngine && !m_pEngine->SendSetParams(entry->params) && m_pOwner)
        m_pOwner->PostMessage(WM_SEARCH_RESULT, 2, 0);
    FreeSettingsEntry(entry);
}

void CUpdateThread::Run() {
    const int32_t id = m_nThreadId;
    uint32_t next = zv::GetTickCount();
    uint32_t seen = next;  // the clock as read by the previous pass
    int hits = 0;

    while (m_bExit == 0) {
        zv::Message msg;
        if (zv::PeekThreadMessage(id, msg)) {
            if (msg.message == zv::WM_QUIT) break;
            if (msg.message == WM_SEARCH_NOW) {
                next = seen;
                hits = 1;
            } else if (msg.message == WM_SEND_SETTINGS && msg.wParam != 0) {
                SendSettings(reinterpret_cast<CameraEntry*>(msg.wParam));
                next = seen;
                hits = 1;
            }
        }

        uint32_t now = zv::GetTickCount();
        seen = now;
        if (Before(now, next)) {
            zv::Sleep(kPollMs);
            continue;
        }
        if (m_pEngine && m_pOwner) {
            int r = m_pEngine->SearchOnce();
            if (r != 0) {
                m_pOwner->PostMessage(WM_SEARCH_RESULT, static_cast<zv::WPARAM>(r), 0);
            } else if (++hits >= 2) {
                hits = 0;
                zv::Sleep(kPruneDelayMs);
                m_pOwner->PostMessage(WM_SEARCH_PRUNE, 0, 0);
            }
        }
        next = now + kSearchPeriodMs;
    }
}
