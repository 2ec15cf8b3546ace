// The search scheduler's rhythm with an accelerated clock, watched from the camera side
// by a raw receiver on port 8600 and from the owner side by a recording sink.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "base/app_messages.h"
#include "base/message_queue.h"
#include "discovery/search_engine.h"
#include "discovery/search_scheduler.h"
#include "test_support.h"

namespace {

using disc_test::RecordingSink;

constexpr double kScale = 10;  // 2000 ms of program time pass in 200 ms

// What a camera sees: every datagram on port 8600, with its time, source port and the
// destination address of its IP header.
class Capture {
public:
    struct Item {
        uint32_t tick;
        std::vector<uint8_t> bytes;
        uint16_t srcPort;
        in_addr dst;
    };
    Capture() {
        m_sock = socket(AF_INET, SOCK_DGRAM, 0);
        int one = 1;
        setsockopt(m_sock, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        setsockopt(m_sock, IPPROTO_IP, IP_PKTINFO, &one, sizeof one);
        timeval tv{0, 20000};
        setsockopt(m_sock, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(DISCOVERY_CAMERA_PORT);
        m_ok = bind(m_sock, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        m_thread = std::thread([this] { Loop(); });
    }
    ~Capture() {
        m_stop = true;
        m_thread.join();
        close(m_sock);
    }
    bool Ok() const { return m_ok; }
    std::vector<Item> Items() {
        std::lock_guard<std::mutex> lk(m_mu);
        return m_items;
    }

private:
    void Loop() {
        while (!m_stop) {
            uint8_t buf[2048];
            sockaddr_in from{};
            iovec iov{buf, sizeof buf};
            alignas(cmsghdr) uint8_t ctl[256];
            msghdr h{};
            h.msg_name = &from;
            h.msg_namelen = sizeof from;
            h.msg_iov = &iov;
            h.msg_iovlen = 1;
            h.msg_control = ctl;
            h.msg_controllen = sizeof ctl;
            ssize_t n = recvmsg(m_sock, &h, 0);
            if (n < 0) continue;
            Item it{
                zv::GetTickCount(), std::vector<uint8_t>(buf, buf + n), ntohs(from.sin_port), {}};
            for (cmsghdr* c = CMSG_FIRSTHDR(&h); c; c = CMSG_NXTHDR(&h, c))
                if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO)
                    it.dst = reinterpret_cast<in_pktinfo*>(CMSG_DATA(c))->ipi_addr;
            std::lock_guard<std::mutex> lk(m_mu);
            m_items.push_back(std::move(it));
        }
    }
    int m_sock = -1;
    bool m_ok = false;
    std::atomic<bool> m_stop{false};
    std::mutex m_mu;
    std::vector<Item> m_items;
    std::thread m_thread;
};

std::vector<uint32_t> SearchTicks(Capture& cap) {
    std::vector<uint32_t> t;
    for (const auto& i : cap.Items())
        if (i.bytes.size() == 4) t.push_back(i.tick);
    return t;
}

std::vector<uint32_t> Ticks(const std::vector<RecordingSink::Item>& items) {
    std::vector<uint32_t> t;
    for (const auto& i : items) t.push_back(i.tick);
    return t;
}

// Program-time sleep.
void Wait(uint32_t ms) { zv::Sleep(ms); }

class SchedulerTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_NAMESPACE();
        ASSERT_TRUE(cap.Ok());
        zv::SetTimeScale(kScale);
        engine.SetBindIPAddr(L"127.0.0.1");
        ASSERT_EQ(engine.OpenListenThread(nullptr, nullptr), 1);
    }
    void TearDown() override {
        sched.ReleaseUpdateThread();
        engine.uninitsocket();
        engine.CloseListenThread();
        zv::SetTimeScale(1);
    }
    uint32_t StartScheduler() {
        uint32_t t0 = zv::GetTickCount();
        EXPECT_EQ(sched.Start(&sink, &engine), 1);
        return t0;
    }

    Capture cap;
    COstrel engine;
    CUpdateThread sched;
    RecordingSink sink;
};

TEST_F(SchedulerTest, SearchesAtOnceThenEvery2sAndPrunesAfterEverySecondPass) {
    uint32_t t0 = StartScheduler();
    Wait(9000);
    sched.ReleaseUpdateThread();

    std::vector<uint32_t> s = SearchTicks(cap);
    ASSERT_EQ(s.size(), 5u);  // at 0, 2000, 4000, 6000, 8000
    EXPECT_LT(s[0] - t0, 150u);
    for (size_t i = 1; i < s.size(); ++i) {
        EXPECT_GE(s[i] - s[i - 1], 1950u) << i;
        EXPECT_LE(s[i] - s[i - 1], 2150u) << i;
    }
    // Every request is the 4 search bytes, broadcast from port 8601.
    for (const auto& i : cap.Items()) {
        EXPECT_EQ(i.bytes, (std::vector<uint8_t>{0x44, 0x48, 0x01, 0x01}));
        EXPECT_EQ(i.srcPort, DISCOVERY_PC_PORT);
        EXPECT_EQ(i.dst.s_addr, htonl(INADDR_BROADCAST));
    }
    std::vector<uint32_t> p = Ticks(sink.Of(WM_SEARCH_PRUNE));
    ASSERT_EQ(p.size(), 2u);  // after the 2nd and the 4th search
    for (int k = 0; k < 2; ++k) {
        uint32_t d = p[k] - s[2 * k + 1];
        EXPECT_GE(d, 150u) << k;  // the capture may stamp the search late
        EXPECT_LE(d, 320u) << k;
    }
    EXPECT_TRUE(sink.Of(WM_SEARCH_RESULT).empty());
}

TEST_F(SchedulerTest, TwoSearchNowInARowGiveTwoImmediateSearchesAndTwoPrunes) {
    StartScheduler();
    Wait(700);  // first search done, the next one due at 2000
    uint32_t t1 = zv::GetTickCount();
    ASSERT_TRUE(zv::PostThreadMessage(sched.m_nThreadId, WM_SEARCH_NOW, 0, 0));
    ASSERT_TRUE(zv::PostThreadMessage(sched.m_nThreadId, WM_SEARCH_NOW, 0, 0));
    Wait(1000);
    uint32_t t2 = zv::GetTickCount();
    sched.ReleaseUpdateThread();

    std::vector<uint32_t> s = SearchTicks(cap), sNow, p, pNow;
    for (uint32_t t : s)
        if (t >= t1 && t <= t2) sNow.push_back(t);
    for (uint32_t t : Ticks(sink.Of(WM_SEARCH_PRUNE)))
        if (t >= t1 && t <= t2) pNow.push_back(t);
    ASSERT_EQ(sNow.size(), 2u);
    ASSERT_EQ(pNow.size(), 2u);
    EXPECT_LE(sNow[0] - t1, 150u);
    EXPECT_LE(pNow[1] - t1, 700u);
    EXPECT_LT(sNow[0], pNow[0]);
    // The second search goes out right after the first prune is posted: within the
    // clock's resolution the two can share a tick, never the other way round.
    EXPECT_LE(pNow[0], sNow[1]);
    EXPECT_LT(sNow[1], pNow[1]);
}

TEST_F(SchedulerTest, FailedSettingsSendIsReportedAndStillSearchesAndPrunes) {
    StartScheduler();
    Wait(700);
    // Drop the socket between passes: the settings request cannot go out, the search
    // pass after it sets the socket up again.
    engine.m_bSearchOk = 0;
    engine.uninitsocket();
    uint32_t t1 = zv::GetTickCount();
    CameraEntry e{};
    ASSERT_TRUE(zv::PostThreadMessage(sched.m_nThreadId, WM_SEND_SETTINGS,
                                      reinterpret_cast<zv::WPARAM>(NewSettingsEntry(e)), 0));
    Wait(800);
    sched.ReleaseUpdateThread();

    auto results = sink.Of(WM_SEARCH_RESULT);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].w, 2u);
    std::vector<uint32_t> s = SearchTicks(cap);
    ASSERT_GE(s.size(), 2u);
    EXPECT_GE(s[1], t1);
    EXPECT_LE(s[1] - t1, 150u);
    auto prunes = Ticks(sink.Of(WM_SEARCH_PRUNE));
    ASSERT_EQ(prunes.size(), 1u);
    EXPECT_GE(prunes[0] - s[1], 150u);
    EXPECT_EQ(SettingsEntriesLive(), 0);
    // No settings request reached the camera side.
    for (const auto& i : cap.Items()) EXPECT_EQ(i.bytes.size(), 4u);
}

TEST_F(SchedulerTest, SettingsRequestGoesOutWholeAndIsFollowedByASearch) {
    StartScheduler();
    Wait(700);
    CameraEntry e{};
    std::memset(&e.params, 0x5C, sizeof e.params);
    ASSERT_TRUE(zv::PostThreadMessage(sched.m_nThreadId, WM_SEND_SETTINGS,
                                      reinterpret_cast<zv::WPARAM>(NewSettingsEntry(e)), 0));
    Wait(600);
    sched.ReleaseUpdateThread();
    auto items = cap.Items();
    ASSERT_GE(items.size(), 3u);
    EXPECT_EQ(items[1].bytes.size(), SET_REQ_SIZE);
    std::vector<uint8_t> want(SET_REQ_SIZE, 0x5C);
    want[0] = 0x44, want[1] = 0x48, want[2] = 0x02, want[3] = 0x01;
    EXPECT_EQ(items[1].bytes, want);
    EXPECT_EQ(items[2].bytes.size(), 4u);
    EXPECT_EQ(sink.Of(WM_SEARCH_PRUNE).size(), 1u);
    EXPECT_EQ(SettingsEntriesLive(), 0);
}

TEST_F(SchedulerTest, UnusableSocketReportsResult1Every2sAndNeverPrunes) {
    engine.SetBindIPAddr(L"abc");
    StartScheduler();
    Wait(7000);
    sched.ReleaseUpdateThread();
    auto r = sink.Of(WM_SEARCH_RESULT);
    ASSERT_EQ(r.size(), 4u);  // 0, 2000, 4000, 6000
    for (size_t i = 0; i < r.size(); ++i) {
        EXPECT_EQ(r[i].w, 1u);
        if (i > 0) {
            EXPECT_NEAR(double(r[i].tick - r[i - 1].tick), 2000.0, 150.0);
        }
    }
    EXPECT_TRUE(sink.Of(WM_SEARCH_PRUNE).empty());
    EXPECT_TRUE(cap.Items().empty());
}

TEST_F(SchedulerTest, EverySettingsEntryIsFreedOnceAlsoWhenLeftInTheQueue) {
    long before = SettingsEntriesLive();
    StartScheduler();
    CameraEntry e{};
    int posted = 0, refused = 0;
    for (int i = 0; i < 100; ++i) {
        CameraEntry* p = NewSettingsEntry(e);
        if (zv::PostThreadMessage(sched.m_nThreadId, WM_SEND_SETTINGS,
                                  reinterpret_cast<zv::WPARAM>(p), 0))
            ++posted;
        else
            FreeSettingsEntry(p);
    }
    Wait(300);  // a few are sent; most are still queued when the thread ends
    sched.ReleaseUpdateThread();
    EXPECT_EQ(posted, 100);
    // After the end, posts fail and the sender keeps its entry.
    CameraEntry* late = NewSettingsEntry(e);
    if (!zv::PostThreadMessage(sched.m_nThreadId, WM_SEND_SETTINGS,
                               reinterpret_cast<zv::WPARAM>(late), 0)) {
        ++refused;
        FreeSettingsEntry(late);
    }
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(SettingsEntriesLive(), before);
    size_t sent = 0;
    for (const auto& i : cap.Items()) sent += i.bytes.size() == SET_REQ_SIZE;
    EXPECT_GE(sent, 1u);
    EXPECT_LT(sent, 100u);
}

size_t ThreadCount() {
    size_t n = 0;
    if (DIR* d = opendir("/proc/self/task")) {
        while (dirent* e = readdir(d)) n += e->d_name[0] != '.';
        closedir(d);
    }
    return n;
}

TEST_F(SchedulerTest, StopSequenceLeavesNoThreadRunning) {
    CUpdateThread never;
    never.ReleaseUpdateThread();  // nothing held: returns at once
    EXPECT_FALSE(never.m_hThread.joinable());

    // SetUp started the listener; a window's whole start and stop, twice over.
    engine.CloseListenThread();
    size_t base = ThreadCount();
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(engine.OpenListenThread(nullptr, nullptr), 1);
        ASSERT_EQ(sched.Start(&sink, &engine), 1);
        EXPECT_EQ(ThreadCount(), base + 2);
        Wait(300);
        sched.ReleaseUpdateThread();
        EXPECT_FALSE(sched.m_hThread.joinable());
        engine.m_bSearchOk = 0;
        engine.uninitsocket();
        engine.m_pfnCallback = nullptr;
        engine.m_pUser = nullptr;
        engine.CloseListenThread();
        EXPECT_EQ(ThreadCount(), base);
        EXPECT_EQ(engine.m_sock, zv::kNoSocket);
    }
}

}  // namespace
