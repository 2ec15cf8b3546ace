// The search engine against the simulated cameras on loopback (inside a private network
// namespace): search, settings round trip, bind fallbacks and hostile datagrams.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "base/fixed_field.h"
#include "camsim/discovery_responder.h"
#include "camsim/fleet.h"
#include "discovery/search_engine.h"
#include "test_support.h"

namespace {

using disc_test::Collector;

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_NAMESPACE();
        zv::SetTimeScale(1);
        for (auto& c : camsim::MakeFleet(kCameras)) fleet.Add(c);
        ASSERT_EQ(responder.Start(), 1);
        engine.SetBindIPAddr(L"127.0.0.1");
        ASSERT_EQ(engine.OpenListenThread(Collector::Callback, &col), 1);
    }
    void TearDown() override {
        engine.CloseListenThread();
        responder.Stop();
    }
    // One search pass; waits until n entries arrived.
    bool SearchFor(size_t n) {
        if (engine.SearchOnce() != 0) return false;
        return col.WaitFor([n](Collector& c) { return c.found.size() >= n; });
    }
    CameraEntry FoundByUid(const std::string& uid) {
        std::lock_guard<std::mutex> lk(col.mu);
        for (const CameraEntry& e : col.found)
            if (zv::FieldText(e.params.szUid) == uid) return e;
        return CameraEntry{};
    }

    static constexpr size_t kCameras = 5;
    camsim::Fleet fleet;
    camsim::DiscoveryResponder responder{fleet};
    COstrel engine;
    Collector col;
};

TEST_F(EngineTest, SearchFindsEveryCameraWithItsParamsAndMode) {
    ASSERT_TRUE(SearchFor(kCameras));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(col.Found(), kCameras);  // one reply each, nothing doubled
    std::vector<camsim::SimCamera> cams = camsim::MakeFleet(kCameras);
    for (const auto& cam : cams) {
        CameraEntry e = FoundByUid(cam.uid);
        CameraParams want = camsim::ParamsOf(cam);
        EXPECT_EQ(std::memcmp(&e.params, &want, sizeof want), 0) << cam.uid;
        EXPECT_EQ(std::memcmp(&e.extra, cam.extra.data(), 192), 0) << cam.uid;
        EXPECT_EQ(e.bSeen, 1);
        EXPECT_GE(e.nMode, 1);
    }
    EXPECT_EQ(engine.m_bSearchOk, 1);
    // The socket stays: a second pass reuses it and finds them again.
    ASSERT_TRUE(SearchFor(2 * kCameras));
}

TEST_F(EngineTest, SettingsRoundTripSendsEveryUneditedByteBack) {
    ASSERT_TRUE(SearchFor(kCameras));
    camsim::SimCamera cam = camsim::MakeFleet(kCameras)[3];
    CameraEntry e = FoundByUid(cam.uid);
    ASSERT_NE(e.params.byReserved1, 0);

    struct Try {
        const char* user;
        const char* pwd;
        int32_t result;
    } tries[] = {{"admin", "wrong", SET_RESULT_BAD_AUTH},
                 {"guest", "guest", SET_RESULT_NO_RIGHT},
                 {"admin", "123456", SET_RESULT_OK}};
    CameraParams edit = e.params;
    zv::CopyUtf8ToField(edit.szName, "Hof-Kamera \xC3\xBC");
    edit.nHttpPort = 8081;
    for (const Try& t : tries) {
        zv::CopyToField(edit.szUser, t.user);
        zv::CopyToField(edit.szPwd, t.pwd);
        size_t before = col.others.size();
        ASSERT_EQ(engine.SendSetParams(edit), 1);
        ASSERT_TRUE(col.WaitFor([&](Collector& c) { return c.others.size() > before; }));
        EXPECT_EQ(col.others.back().first, t.result) << t.user << "/" << t.pwd;
    }
    // The camera received the whole block as sent: reserved bytes, MAC and UID unchanged.
    std::vector<uint8_t> got = fleet.With([&](auto& cams) { return cams[3].lastSetBlock; });
    ASSERT_EQ(got.size(), 320u);
    EXPECT_EQ(std::memcmp(got.data(), &edit, 320), 0);
    EXPECT_EQ(std::memcmp(got.data() + 296, &e.params.byReserved1, 1), 0);
    EXPECT_EQ(std::memcmp(got.data() + 298, e.params.byReserved2, 22), 0);
    EXPECT_EQ(std::memcmp(got.data() + 80, cam.mac.data(), 6), 0);

    // The next search shows the new settings.
    col.found.clear();
    ASSERT_TRUE(SearchFor(kCameras));
    CameraEntry after = FoundByUid(cam.uid);
    EXPECT_EQ(zv::FieldText(after.params.szName), "Hof-Kamera \xC3\xBC");
    EXPECT_EQ(after.params.nHttpPort, 8081);
}

TEST_F(EngineTest, PortTakenFallsBackToAnotherPort) {
    int blocker = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(DISCOVERY_PC_PORT);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(blocker, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_TRUE(SearchFor(kCameras));
    sockaddr_in local{};
    socklen_t len = sizeof local;
    getsockname(engine.m_sock, reinterpret_cast<sockaddr*>(&local), &len);
    EXPECT_NE(ntohs(local.sin_port), DISCOVERY_PC_PORT);
    close(blocker);
}

TEST_F(EngineTest, UnusableBindAddressFailsEveryPassWithoutSocket) {
    for (const wchar_t* ip : {L"", L"abc", L"999.1.1.1", L"10.99.0.1", L"127.0.0.1.5"}) {
        engine.SetBindIPAddr(ip);
        for (int pass = 0; pass < 2; ++pass) {
            EXPECT_EQ(engine.SearchOnce(), 1);
            EXPECT_EQ(engine.m_sock, zv::kNoSocket);
            EXPECT_EQ(engine.m_bSockInit, 0);
            EXPECT_EQ(engine.m_bSearchOk, 0);
        }
    }
    engine.SetBindIPAddr(L"127.0.0.1");  // and it recovers
    ASSERT_TRUE(SearchFor(kCameras));
}

TEST_F(EngineTest, SendWithoutSocketFailsAndNextPassRecovers) {
    ASSERT_TRUE(SearchFor(kCameras));
    engine.uninitsocket();  // m_bSearchOk stays 1: the send fails
    EXPECT_EQ(engine.SendSetParams(CameraParams{}), 0);
    EXPECT_EQ(engine.SearchOnce(), 2);
    EXPECT_EQ(engine.m_bSearchOk, 0);
    ASSERT_TRUE(SearchFor(2 * kCameras));
}

TEST_F(EngineTest, HostileDatagramsAreDroppedAndEmptyOnesDoNotSpin) {
    camsim::ResponderFaults f;
    f.foreignMagic = 3;
    f.unknownCommand = 3;
    f.zeroLength = 50;
    f.garbage = 30;
    f.shortReplies = 2;
    responder.SetFaults(f);
    ASSERT_TRUE(SearchFor(kCameras + 2));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // Short replies are replies (zero-filled); garbage reaches the callback only if it
    // happens to start with the magic and command.
    size_t real = 0;
    {
        std::lock_guard<std::mutex> lk(col.mu);
        for (const CameraEntry& e : col.found)
            real += zv::FieldText(e.params.szUid).rfind("ZVSIM", 0) == 0;
    }
    EXPECT_EQ(real, kCameras);

    // The listener now waits: a handful of turns in half a second, not thousands.
    uint64_t turns = engine.m_nListenTurns;
    rusage r0{}, r1{};
    getrusage(RUSAGE_SELF, &r0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    getrusage(RUSAGE_SELF, &r1);
    EXPECT_LE(engine.m_nListenTurns - turns, 5u);
    double cpuMs = (r1.ru_utime.tv_sec - r0.ru_utime.tv_sec) * 1e3 +
                   (r1.ru_utime.tv_usec - r0.ru_utime.tv_usec) / 1e3 +
                   (r1.ru_stime.tv_sec - r0.ru_stime.tv_sec) * 1e3 +
                   (r1.ru_stime.tv_usec - r0.ru_stime.tv_usec) / 1e3;
    EXPECT_LT(cpuMs, 100.0);
}

TEST_F(EngineTest, OversizedAndEmptyDatagramsToTheEngineAreConsumed) {
    ASSERT_TRUE(SearchFor(kCameras));
    sockaddr_in local{};
    socklen_t len = sizeof local;
    getsockname(engine.m_sock, reinterpret_cast<sockaddr*>(&local), &len);
    int s = socket(AF_INET, SOCK_DGRAM, 0);
    std::vector<uint8_t> big(1500, 0);
    big[0] = 0x44, big[1] = 0x48, big[2] = 0x01, big[3] = 0x08;
    for (int i = 0; i < 20; ++i) {
        sendto(s, big.data(), big.size(), 0, reinterpret_cast<sockaddr*>(&local), sizeof local);
        sendto(s, big.data(), 0, 0, reinterpret_cast<sockaddr*>(&local), sizeof local);
    }
    sendto(s, big.data(), 4, 0, reinterpret_cast<sockaddr*>(&local), sizeof local);  // a real one
    ASSERT_TRUE(col.WaitFor([](Collector& c) { return c.found.size() > kCameras; }));
    close(s);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(col.Found(), kCameras + 1);
    int pending = -1;
    ioctl(engine.m_sock, FIONREAD, &pending);
    EXPECT_EQ(pending, 0);
}

TEST(EngineLifecycle, CloseWithoutStartResetsAndStopEndsTheListenerPromptly) {
    COstrel idle;
    idle.m_bSearchOk = 1;
    idle.m_pfnCallback = Collector::Callback;
    idle.CloseListenThread();
    EXPECT_EQ(idle.m_pfnCallback.load(), nullptr);
    EXPECT_EQ(idle.m_bSearchOk, 0);
    EXPECT_FALSE(idle.m_hThread.joinable());

    REQUIRE_NAMESPACE();
    zv::SetTimeScale(1);
    for (bool withSocket : {false, true}) {
        COstrel e;
        Collector c;
        e.SetBindIPAddr(L"127.0.0.1");
        ASSERT_EQ(e.OpenListenThread(Collector::Callback, &c), 1);
        EXPECT_EQ(e.OpenListenThread(Collector::Callback, &c), 0);  // one listener only
        if (withSocket) {
            ASSERT_EQ(e.SearchOnce(), 0);
        }
        auto t0 = std::chrono::steady_clock::now();
        e.CloseListenThread();
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - t0)
                      .count();
        EXPECT_LT(ms, 400);  // the 200 ms wait, and the thread was already gone
        EXPECT_FALSE(e.m_hThread.joinable());
        EXPECT_EQ(e.m_sock, zv::kNoSocket);
        EXPECT_EQ(e.m_bSockInit, 0);
        EXPECT_EQ(e.m_bStop, 0);
        // And it can run again after a close.
        ASSERT_EQ(e.OpenListenThread(Collector::Callback, &c), 1);
        e.CloseListenThread();
    }
}

}  // namespace
