#include "upgrade/delay_func.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "base/clock.h"
#include "trace_capture.h"
#include "upgrade/base_lock.h"

namespace {

// Records the (scaled) tick of every callback; returns `result` from call `stopAt` on.
struct Recorder {
    std::mutex mu;
    std::vector<uint32_t> ticks;
    int stopAt = 0;  // 0: never stop
    std::vector<uint32_t> Ticks() {
        std::lock_guard<std::mutex> lk(mu);
        return ticks;
    }
    size_t Count() { return Ticks().size(); }
    static int Callback(void* user) {
        auto* r = static_cast<Recorder*>(user);
        std::lock_guard<std::mutex> lk(r->mu);
        r->ticks.push_back(zv::GetTickCount());
        return r->stopAt != 0 && static_cast<int>(r->ticks.size()) >= r->stopAt ? 1 : 0;
    }
};

class DelayFuncTest : public ::testing::Test {
protected:
    void SetUp() override { zv::SetTimeScale(10); }
    void TearDown() override { zv::SetTimeScale(1); }
    void Arm(Recorder& r) {
        timer.m_pfnTimer = &Recorder::Callback;
        timer.m_pTimerUser = &r;
    }
    // Waits (program time) until the recorder has n calls, at most limitMs.
    static bool WaitCalls(Recorder& r, size_t n, uint32_t limitMs = 20000) {
        uint64_t end = zv::TickCount64() + limitMs;
        while (r.Count() < n && zv::TickCount64() < end) zv::Sleep(10);
        return r.Count() >= n;
    }
    CDelayFunc timer;
};

TEST_F(DelayFuncTest, ConstructedStateAndSleepsUntilSwitchedOn) {
    EXPECT_EQ(timer.m_pOwner, nullptr);
    EXPECT_EQ(timer.m_bExit.load(), 0);
    EXPECT_EQ(timer.m_bRestart.load(), 1);
    EXPECT_EQ(timer.m_hRunEvent, nullptr);
    EXPECT_FALSE(timer.m_hThread.joinable());

    Recorder r;
    Arm(r);
    int owner = 0;
    ASSERT_EQ(timer.InitTimer(&owner), 1);
    EXPECT_EQ(timer.m_pOwner, &owner);
    zv::Sleep(2500);
    EXPECT_EQ(r.Count(), 0u) << "a timer not switched on never calls back";
    EXPECT_TRUE(timer.IsThreadRunning());
    timer.ReleaseTimer();
    EXPECT_FALSE(timer.m_hThread.joinable());
    EXPECT_EQ(timer.m_hRunEvent, nullptr);
}

TEST_F(DelayFuncTest, CallsOncePerSecondFromSwitchOn) {
    Recorder r;
    Arm(r);
    ASSERT_EQ(timer.InitTimer(this), 1);
    uint32_t on = zv::GetTickCount();
    timer.SwitchOn();
    ASSERT_TRUE(WaitCalls(r, 4));
    timer.SwitchOff();
    std::vector<uint32_t> t = r.Ticks();
    EXPECT_GE(t[0] - on, 1000u) << "the first call comes one period after switching on";
    for (size_t i = 1; i < t.size(); ++i) {
        EXPECT_GE(t[i] - t[i - 1], 1000u);
        EXPECT_LT(t[i] - t[i - 1], 3000u) << "the period does not drift far";
    }
    timer.ReleaseTimer();
}

TEST_F(DelayFuncTest, SwitchOffStopsCallsAndSwitchOnRestartsThePeriod) {
    Recorder r;
    Arm(r);
    ASSERT_EQ(timer.InitTimer(this), 1);
    timer.SwitchOn();
    ASSERT_TRUE(WaitCalls(r, 1));
    timer.SwitchOff();
    zv::Sleep(100);  // let a pass in flight finish
    size_t before = r.Count();
    zv::Sleep(2500);
    EXPECT_EQ(r.Count(), before) << "no call while switched off";

    uint32_t on = zv::GetTickCount();
    timer.SwitchOn();
    ASSERT_TRUE(WaitCalls(r, before + 1));
    EXPECT_GE(r.Ticks()[before] - on, 1000u) << "a full period after switching on again";
    timer.ReleaseTimer();
}

TEST_F(DelayFuncTest, WithoutRestartFlagTheFirstCallComesAtOnce) {
    // The period's start is 0 until a restart sets it, so a timer switched on without
    // the flag fires on its first pass.
    Recorder r;
    Arm(r);
    ASSERT_EQ(timer.InitTimer(this), 1);
    timer.m_bRestart = 0;
    uint32_t on = zv::GetTickCount();
    timer.m_hRunEvent->Set();
    ASSERT_TRUE(WaitCalls(r, 1));
    EXPECT_LT(r.Ticks()[0] - on, 900u);
    timer.ReleaseTimer();
}

TEST_F(DelayFuncTest, NonZeroResultEndsThreadForGood) {
    TraceCapture trace;
    Recorder r;
    r.stopAt = 2;
    Arm(r);
    ASSERT_EQ(timer.InitTimer(this), 1);
    timer.SwitchOn();
    ASSERT_TRUE(WaitCalls(r, 2));
    uint64_t end = zv::TickCount64() + 5000;
    while (timer.IsThreadRunning() && zv::TickCount64() < end) zv::Sleep(5);
    EXPECT_FALSE(timer.IsThreadRunning());

    timer.SwitchOff();
    timer.SwitchOn();  // no effect: the thread has ended
    zv::Sleep(3000);
    EXPECT_EQ(r.Count(), 2u);

    // Release on an ended thread returns at once and drops thread and event.
    uint64_t before = zv::TickCount64();
    timer.ReleaseTimer();
    EXPECT_LT(zv::TickCount64() - before, 1000u);
    EXPECT_FALSE(timer.m_hThread.joinable());
    EXPECT_EQ(timer.m_hRunEvent, nullptr);

    std::vector<std::string> expect = {"\r\n---CDelayFunc::InitTimer---begin---",
                                       "\r\n---CDelayFunc::InitTimer---end-----",
                                       "\r\n---Exit CDelayFunc::ThreadTimer---",
                                       "\r\n---CDelayFunc::ReleaseTimer---begin1---",
                                       "\r\n---CDelayFunc::ReleaseTimer---begin2---",
                                       "\r\n---CDelayFunc::ReleaseTimer---end---"};
    std::vector<std::string> all = expect;
    all.push_back("\r\n---Break CDelayFunc::ProcessTimer---");
    EXPECT_EQ(trace.Only(all), expect) << "no Break line when the callback ends the thread";

    // And the timer can be started again after the release.
    Recorder r2;
    Arm(r2);
    ASSERT_EQ(timer.InitTimer(this), 1);
    timer.SwitchOn();
    EXPECT_TRUE(WaitCalls(r2, 1));
    timer.ReleaseTimer();
}

TEST_F(DelayFuncTest, ReleaseWakesASleepingOrRunningThread) {
    for (bool on : {false, true}) {
        TraceCapture trace;
        Recorder r;
        Arm(r);
        ASSERT_EQ(timer.InitTimer(this), 1);
        if (on) timer.SwitchOn();
        zv::Sleep(300);
        uint64_t before = zv::TickCount64();
        timer.ReleaseTimer();
        EXPECT_LT(zv::TickCount64() - before, 1000u) << "on=" << on;
        EXPECT_EQ(trace.Only({"\r\n---Break CDelayFunc::ProcessTimer---",
                              "\r\n---Exit CDelayFunc::ThreadTimer---"}),
                  (std::vector<std::string>{"\r\n---Break CDelayFunc::ProcessTimer---",
                                            "\r\n---Exit CDelayFunc::ThreadTimer---"}));
    }
}

TEST_F(DelayFuncTest, ReleaseWithoutThreadTracesOnlyItsFrame) {
    TraceCapture trace;
    timer.ReleaseTimer();
    EXPECT_EQ(trace.Lines(),
              (std::vector<std::string>{"\r\n---CDelayFunc::ReleaseTimer---begin1---",
                                        "\r\n---CDelayFunc::ReleaseTimer---end---"}));
}

TEST_F(DelayFuncTest, CallbackNeedsBothFunctionAndUser) {
    Recorder r;
    timer.m_pfnTimer = &Recorder::Callback;  // user left empty
    ASSERT_EQ(timer.InitTimer(this), 1);
    timer.SwitchOn();
    zv::Sleep(2500);
    EXPECT_EQ(r.Count(), 0u);
    timer.m_pTimerUser = &r;
    EXPECT_TRUE(WaitCalls(r, 1));
    timer.ReleaseTimer();
}

TEST(BaseLock, HolderMayReenterAndOthersWaitForTheLastUnlock) {
    CBaseCS cs;
    IBaseLock& lock = cs;
    lock.Lock();
    lock.Lock();
    std::atomic<bool> got{false};
    std::thread other([&] {
        CAutoLock hold(cs);
        got = true;
    });
    lock.Unlock();
    zv::Sleep(100);
    EXPECT_FALSE(got) << "still held once";
    lock.Unlock();
    other.join();
    EXPECT_TRUE(got);
}

}  // namespace
