#include "gui/services/ui_call.h"

#include <QMetaObject>
#include <QThread>

namespace {

struct Slot {
    bool bDone = false;
    int nResult = 0;
};

}  // namespace

CUiCall::CUiCall(QObject* pContext) : m_pContext(pContext), m_shared(std::make_shared<Shared>()) {}

CUiCall::~CUiCall() { Cancel(); }

int CUiCall::Call(std::function<int()> fn, int nCancelled) {
    QObject* ctx = m_pContext.data();
    if (!ctx) return nCancelled;
    if (QThread::currentThread() == ctx->thread()) return fn();
    std::shared_ptr<Shared> shared = m_shared;
    {
        std::lock_guard<std::mutex> lk(shared->mu);
        if (shared->bCancelled) return nCancelled;
    }
    auto slot = std::make_shared<Slot>();
    // Ends the wait when the posted work is destroyed without having run (its context
    // went away first).
    struct Token {
        std::shared_ptr<Shared> shared;
        std::shared_ptr<Slot> slot;
        int nCancelled;
        ~Token() {
            std::lock_guard<std::mutex> lk(shared->mu);
            if (!slot->bDone) {
                slot->bDone = true;
                slot->nResult = nCancelled;
            }
            shared->cv.notify_all();
        }
    };
    auto token = std::make_shared<Token>(shared, slot, nCancelled);  // one Token, no copies
    const bool bPosted = QMetaObject::invokeMethod(
        ctx,
        [token, fn = std::move(fn)] {
            {
                std::lock_guard<std::mutex> lk(token->shared->mu);
                // Nobody waits for it any more: cancelled now, or cancelled before a Reset.
                if (token->shared->bCancelled || token->slot->bDone) return;
            }
            const int r = fn();
            std::lock_guard<std::mutex> lk(token->shared->mu);
            token->slot->nResult = r;
            token->slot->bDone = true;
            token->shared->cv.notify_all();
        },
        Qt::QueuedConnection);
    token.reset();
    if (!bPosted) return nCancelled;
    std::unique_lock<std::mutex> lk(shared->mu);
    shared->cv.wait(lk, [&] { return slot->bDone || shared->bCancelled; });
    if (!slot->bDone) {  // abandoned: the queued work must not run after a Reset
        slot->bDone = true;
        slot->nResult = nCancelled;
    }
    return slot->nResult;
}

void CUiCall::Cancel() {
    std::lock_guard<std::mutex> lk(m_shared->mu);
    m_shared->bCancelled = true;
    m_shared->cv.notify_all();
}

void CUiCall::Reset() {
    std::lock_guard<std::mutex> lk(m_shared->mu);
    m_shared->bCancelled = false;
}
