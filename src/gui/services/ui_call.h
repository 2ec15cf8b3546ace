// Work a worker or timer thread needs done on the UI thread (a message box, a list
// update), with the thread waiting for the answer. The wait can always end: Cancel (the
// window is closing, its threads are about to be joined) or the loss of the context
// object ends every waiting call with its "cancelled" value, so no thread hangs on a box
// nobody will answer.
#pragma once
#include <QObject>
#include <QPointer>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class CUiCall {
public:
    // pContext: an object of the UI thread; the work runs in its thread.
    explicit CUiCall(QObject* pContext);
    ~CUiCall();  // cancels
    CUiCall(const CUiCall&) = delete;
    CUiCall& operator=(const CUiCall&) = delete;

    // Any thread: runs fn on the UI thread and returns its result, or nCancelled when
    // the call was cancelled (or the context went away) before fn returned. On the UI
    // thread itself fn runs at once.
    int Call(std::function<int()> fn, int nCancelled);
    // Ends every waiting call with its nCancelled value; later calls return it at once.
    void Cancel();
    // Makes calls possible again after a Cancel (a new job starts). Work of the calls
    // cancelled before stays dropped, even when it is still queued.
    void Reset();

private:
    struct Shared {
        std::mutex mu;
        std::condition_variable cv;
        bool bCancelled = false;
    };
    QPointer<QObject> m_pContext;
    std::shared_ptr<Shared> m_shared;
};
