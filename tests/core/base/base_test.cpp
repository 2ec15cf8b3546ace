#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "base/event.h"
#include "base/fixed_field.h"
#include "base/message_queue.h"
#include "base/text_conv.h"

namespace {

TEST(MessageQueue, PostPeekInOrderAndMissingQueueFails) {
    int32_t id = zv::CreateThreadQueue();
    EXPECT_TRUE(zv::PostThreadMessage(id, 1, 10, 100));
    EXPECT_TRUE(zv::PostThreadMessage(id, 2, 20, 200));
    zv::Message m;
    ASSERT_TRUE(zv::PeekThreadMessage(id, m));
    EXPECT_EQ(m.message, 1u);
    EXPECT_EQ(m.wParam, 10u);
    EXPECT_EQ(m.lParam, 100);
    ASSERT_TRUE(zv::PeekThreadMessage(id, m));
    EXPECT_EQ(m.message, 2u);
    EXPECT_FALSE(zv::PeekThreadMessage(id, m));
    zv::DestroyThreadQueue(id);
    EXPECT_FALSE(zv::PostThreadMessage(id, 3, 0, 0));
    EXPECT_FALSE(zv::PeekThreadMessage(id, m));
}

std::atomic<int> g_dropped{0};
void CountDrop(const zv::Message& m) { g_dropped += static_cast<int>(m.wParam); }

TEST(MessageQueue, DestroyHandsEveryLeftMessageToDropExactlyOnce) {
    // Posters race with the destroy: every message is either taken by the owner or
    // dropped, never both and never lost.
    g_dropped = 0;
    int32_t id = zv::CreateThreadQueue();
    std::atomic<int> posted{0};
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t)
        posters.emplace_back([&] {
            for (int i = 0; i < 2000; ++i)
                if (zv::PostThreadMessage(id, 7, 1, 0)) ++posted;
        });
    int taken = 0;
    zv::Message m;
    for (int i = 0; i < 500; ++i)
        if (zv::PeekThreadMessage(id, m)) ++taken;
    zv::DestroyThreadQueue(id, CountDrop);
    for (auto& t : posters) t.join();
    EXPECT_EQ(taken + g_dropped.load(), posted.load());
}

TEST(MessageQueue, WaitWakesOnPost) {
    int32_t id = zv::CreateThreadQueue();
    std::thread t([&] {
        zv::Sleep(30);
        zv::PostThreadMessage(id, 5, 0, 0);
    });
    zv::Message m;
    uint64_t t0 = zv::TickCount64();
    ASSERT_TRUE(zv::WaitThreadMessage(id, m, 5000));
    EXPECT_LT(zv::TickCount64() - t0, 4000u);
    EXPECT_EQ(m.message, 5u);
    t.join();
    zv::DestroyThreadQueue(id);
}

TEST(ManualResetEvent, StaysSetUntilReset) {
    zv::CManualResetEvent ev;
    EXPECT_FALSE(ev.Wait(10));
    ev.Set();
    EXPECT_TRUE(ev.Wait(0));
    EXPECT_TRUE(ev.Wait(0));
    ev.Reset();
    EXPECT_FALSE(ev.IsSet());
    std::thread t([&] { ev.Set(); });
    EXPECT_TRUE(ev.Wait(5000));
    t.join();
}

TEST(Clock, ScaledTimeRunsFasterAndNeverGoesBack) {
    zv::SetTimeScale(1000);
    uint64_t t0 = zv::TickCount64();
    zv::Sleep(45000);  // 45 ms of real time
    uint64_t t1 = zv::TickCount64();
    zv::SetTimeScale(1);
    uint64_t t2 = zv::TickCount64();
    EXPECT_GE(t1 - t0, 45000u);
    EXPECT_GE(t2, t1);
}

TEST(FixedField, CutsAtWidthMinusOneAndPadsWithZeros) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {{"", ""}, {"abc", "abc"}, {"0123456789abcde", "0123456789abcde"},
                 {"0123456789abcdef", "0123456789abcde"}, {"0123456789abcdefXYZ", "0123456789abcde"}};
    for (const Case& c : cases) {
        char field[16 + 4];
        std::memset(field, 'Z', sizeof field);
        zv::CopyToField(field, 16, c.in);
        EXPECT_STREQ(field, c.out) << c.in;
        for (size_t i = std::strlen(c.out); i < 16; ++i) EXPECT_EQ(field[i], 0) << c.in;
        for (size_t i = 16; i < sizeof field; ++i) EXPECT_EQ(field[i], 'Z') << "wrote past";
    }
}

TEST(FixedField, Utf8CutKeepsWholeCharacters) {
    char field[6];
    zv::CopyUtf8ToField(field, "ab\xE4\xB8\xAD\xE6\x96\x87");  // "ab" + two 3-byte chars
    EXPECT_STREQ(field, "ab\xE4\xB8\xAD");
    zv::CopyUtf8ToField(field, "abcd\xC3\xA9");  // 2-byte char would end at byte 6
    EXPECT_STREQ(field, "abcd");
}

TEST(FixedField, TextOfUnterminatedFieldIsWholeWidth) {
    char f[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(zv::FieldText(f), "abcd");
    char g[4] = {'a', 0, 'c', 'd'};
    EXPECT_EQ(zv::FieldText(g), "a");
}

TEST(TextConv, AsciiUnchangedUtf8RoundTripAndBadBytesNeverFail) {
    EXPECT_EQ(zv::AnsiToWide("192.168.1.10"), L"192.168.1.10");
    EXPECT_EQ(zv::WideToOem(L"admin"), "admin");
    const char* utf8 = "Kamera \xC5\x82\xC3\xB3\xC5\xBC \xE4\xB8\xAD";
    EXPECT_EQ(zv::WideToUtf8(zv::Utf8ToWide(utf8)), utf8);
    EXPECT_EQ(zv::Utf8ToWide("a\xFF" "b"), L"a\xFFFD" L"b");
    std::wstring w = zv::AnsiToWide("x\x80\xFEy");
    EXPECT_EQ(w.front(), L'x');
    EXPECT_EQ(w.back(), L'y');
    std::string n = zv::WideToOem(L"a\x4E2D" L"b");
    EXPECT_EQ(n.front(), 'a');
    EXPECT_EQ(n.back(), 'b');
}

}  // namespace
