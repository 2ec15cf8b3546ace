#include "gui/services/ui_call.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QThread>
#include <atomic>
#include <thread>

#include "gui_fixture.h"
#include "qt_app_env.h"

namespace {

// Runs Call on a worker thread; the test drives the UI thread meanwhile.
struct Worker {
    Worker(CUiCall& call, std::function<int()> fn)
        : t([this, &call, fn] {
              nResult = call.Call(fn, -1);
              bDone = true;
          }) {}
    ~Worker() { t.join(); }
    std::atomic<int> nResult{0};
    std::atomic<bool> bDone{false};
    std::thread t;
};

TEST(UiCallTest, WorkRunsOnTheUiThreadAndItsResultReachesTheWorker) {
    TestApp();
    QObject ctx;
    CUiCall call(&ctx);
    std::atomic<bool> bOnUi{false};
    Worker w(call, [&] {
        bOnUi = QThread::currentThread() == qApp->thread();
        return 7;
    });
    ASSERT_TRUE(WaitUntil([&] { return w.bDone.load(); }, 2000));
    EXPECT_EQ(w.nResult, 7);
    EXPECT_TRUE(bOnUi);
    EXPECT_EQ(call.Call([] { return 3; }, -1), 3) << "on the UI thread it runs at once";
}

TEST(UiCallTest, CancelEndsAWaitThatTheUiThreadNeverServes) {
    TestApp();
    QObject ctx;
    CUiCall call(&ctx);
    std::atomic<bool> bRan{false};
    {
        Worker w(call, [&] {
            bRan = true;
            return 1;
        });
        QThread::msleep(50);  // the worker waits; the UI thread is busy (here: asleep)
        EXPECT_FALSE(w.bDone);
        call.Cancel();  // what a closing window does before it joins its threads
        w.t.join();
        w.t = std::thread([] {});
        EXPECT_EQ(w.nResult, -1);
    }
    Pump(20);
    EXPECT_FALSE(bRan) << "cancelled work does not run later";
    EXPECT_EQ(call.Call([] { return 5; }, -1), 5);
    std::thread late([&] { EXPECT_EQ(call.Call([] { return 1; }, -2), -2); });
    late.join();
}

TEST(UiCallTest, LosingTheContextEndsTheWait) {
    TestApp();
    auto* ctx = new QObject;
    CUiCall call(ctx);
    Worker w(call, [] { return 1; });
    QThread::msleep(50);
    delete ctx;  // its posted work goes with it
    ASSERT_TRUE(WaitUntil([&] { return w.bDone.load(); }, 2000));
    EXPECT_EQ(w.nResult, -1);
}

}  // namespace
