// CCgiSock and CCgiOper against simulated cameras over real loopback sockets.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <thread>

#include "camsim_fixture.h"
#include "http/cgi_oper.h"
#include "http/cgi_sock.h"
#include "http/json_handle.h"

using camsim::SimCamera;
using Clock = std::chrono::steady_clock;

class Transport : public ::testing::Test {
protected:
    void Start(std::vector<SimCamera> cams) {
        for (SimCamera& c : cams) m_fleet.Add(c);
        m_web = std::make_unique<camsim::WebServers>(m_fleet);
        ASSERT_TRUE(m_web->Start());
    }
    SimCamera Cam(size_t i) {
        return m_fleet.With([&](std::vector<SimCamera>& v) { return v[i]; });
    }
    static std::string Url(const SimCamera& c, const std::string& cgi,
                           const std::string& pwd = "123456") {
        std::string base =
            "http://" + c.ip + (c.httpPort == 80 ? "" : ":" + std::to_string(c.httpPort));
        std::string sep = cgi.find('?') == std::string::npos ? "?" : "&";
        return base + "/" + cgi + sep + "user=admin&pwd=" + pwd + "&loginuse=admin&loginpas=" + pwd;
    }
    // The get_status body the camera sends, read once over a clean connection.
    std::string StatusBody(const SimCamera& c) {
        CCgiSock s;
        EXPECT_EQ(s.SendCgiCmd(Url(c, "get_status.cgi"), 5), 1);
        return s.m_strReply;
    }

    camsim::Fleet m_fleet;
    std::unique_ptr<camsim::WebServers> m_web;
};

TEST_F(Transport, TextReplyInOneChunk) {
    Start({TestCam("127.0.10.1", 81)});
    CCgiSock s;
    ASSERT_EQ(s.SendCgiCmd(Url(Cam(0), "get_status.cgi"), 5), 1);
    EXPECT_EQ(s.m_nRetVal, RET_OK);
    EXPECT_TRUE(s.m_strReply.starts_with("var alias=\"cam\";\r\n")) << s.m_strReply;
    EXPECT_NE(s.m_strReply.find("var sys_ver=\"48.1.2.3\";"), std::string::npos);
    EXPECT_EQ(s.m_nContentLen, static_cast<int>(s.m_strReply.size()));
    EXPECT_TRUE(std::string(s.m_szRecvBuf).starts_with("HTTP/1.1 200 OK\r\n"));
    EXPECT_EQ(s.m_hSocket, zv::kNoSocket);
}

TEST_F(Transport, TextReplyInSeveralDelayedChunksIsJoined) {
    SimCamera slow = TestCam("127.0.10.3");
    slow.webFault = camsim::kFaultChunked;
    slow.faultChunks = 2;
    slow.faultDelayMs = 250;
    Start({TestCam("127.0.10.2"), slow});
    std::string whole = StatusBody(Cam(0));
    CCgiSock s;
    auto t0 = Clock::now();
    ASSERT_EQ(s.SendCgiCmd(Url(Cam(1), "get_status.cgi"), 5), 1);
    EXPECT_GE(MsSince(t0), 240);
    EXPECT_EQ(s.m_nRetVal, RET_OK);
    EXPECT_EQ(s.m_strReply, whole);
}

struct FaultCase {
    int fault;
    int result;
    int code;
};

TEST_F(Transport, FaultyTextReplies) {
    Start({TestCam("127.0.10.4"), [] {
               SimCamera c = TestCam("127.0.10.5");
               return c;
           }()});
    std::string whole = StatusBody(Cam(0));
    auto setFault = [&](int f) {
        m_fleet.With([&](std::vector<SimCamera>& v) { v[1].webFault = f; });
    };

    // No Content-Length: the first chunk less its header, a success.
    setFault(camsim::kFaultNoLength);
    CCgiSock s;
    EXPECT_EQ(s.SendCgiCmd(Url(Cam(1), "get_status.cgi"), 2), 1);
    EXPECT_EQ(s.m_nRetVal, RET_OK);
    EXPECT_EQ(s.m_strReply, whole);

    // Peer closes mid-body: the first chunk is still taken as the answer.
    setFault(camsim::kFaultCloseMidReply);
    EXPECT_EQ(s.SendCgiCmd(Url(Cam(1), "get_status.cgi"), 2), 1);
    EXPECT_EQ(s.m_strReply, whole.substr(0, whole.size() / 2));

    // Over 10 KiB: only the first chunk's text, still a success.
    setFault(camsim::kFaultLargeBody);
    EXPECT_EQ(s.SendCgiCmd(Url(Cam(1), "get_status.cgi"), 2), 1);
    EXPECT_GT(s.m_nContentLen, 10240);
    EXPECT_TRUE(s.m_strReply.starts_with(whole));
    EXPECT_LT(s.m_strReply.size(), 10240u);
    EXPECT_EQ(s.m_szRecvBuf[sizeof s.m_szRecvBuf - 1], 0);

    // At most 164 bytes never pass the reply wait: code 8 after the time-out.
    setFault(camsim::kFaultShortReply);
    auto t0 = Clock::now();
    EXPECT_EQ(s.SendCgiCmd(Url(Cam(1), "get_status.cgi"), 1), 0);
    EXPECT_EQ(s.m_nRetVal, RET_REPLY_TIMEOUT);
    EXPECT_GE(MsSince(t0), 950);
    EXPECT_LT(MsSince(t0), 3000);
    EXPECT_EQ(s.m_strReply, "");
}

TEST_F(Transport, RefusedConnectionWaitsOutTheTimeout) {
    SimCamera off = TestCam("127.0.10.6");
    off.webFault = camsim::kFaultRefuse;
    Start({off, TestCam("127.0.10.18")});
    CCgiOper op;
    int code = 0, len = 0;
    auto t0 = Clock::now();
    EXPECT_EQ(op.ExecCgiCmd(Url(off, "get_status.cgi"), 1, code, len), 0);
    EXPECT_EQ(code, RET_CONNECT_TIMEOUT);
    EXPECT_GE(MsSince(t0), 950);
    EXPECT_LT(MsSince(t0), 3000);
    EXPECT_EQ(op.m_CgiSock.m_hSocket, zv::kNoSocket);

    // A query that fails before its reply must not read the previous reply as its own.
    std::vector<std::wstring> values;
    ASSERT_EQ(op.GetCgiParams(Url(Cam(1), "get_status.cgi"), 5, {L"sys_ver"}, values, code, len),
              1);
    EXPECT_EQ(op.GetCgiParams(Url(off, "get_status.cgi"), 1, {L"sys_ver"}, values, code, len), 0);
    EXPECT_EQ(code, RET_CONNECT_TIMEOUT);
    EXPECT_EQ(values, std::vector<std::wstring>{L"48.1.2.3"});
}

TEST_F(Transport, StopFlagFailsEveryRequestAtOnce) {
    Start({TestCam("127.0.10.7")});
    CCgiSock s;
    s.m_bStop = 1;
    char buf[64] = {};
    std::string file = WriteFile("stop.bin", 100);
    auto t0 = Clock::now();
    EXPECT_EQ(s.SendCgiCmd(Url(Cam(0), "get_status.cgi"), 5), 0);
    EXPECT_EQ(s.m_nRetVal, RET_CONNECTING);
    EXPECT_EQ(s.SendCgiCmd_DownloadFile(Url(Cam(0), "get_status.cgi"), 5, buf, sizeof buf), 0);
    EXPECT_EQ(s.m_nRetVal, RET_CONNECTING);
    EXPECT_EQ(s.SendCgiCmd_UpgradeFile(Url(Cam(0), "upgrade_firmware.cgi"), 5,
                                       std::wstring(file.begin(), file.end()), L""),
              0);
    EXPECT_EQ(s.m_nRetVal, RET_CONNECTING);
    EXPECT_LT(MsSince(t0), 100);
    // Cleared by the owner, requests work again.
    s.m_bStop = 0;
    EXPECT_EQ(s.SendCgiCmd(Url(Cam(0), "get_status.cgi"), 5), 1);
}

TEST(Boundary, MadeFromTheLocalTime) {
    CCgiSock s;
    std::wstring b = s.MakeBoundary();
    EXPECT_GE(b.size(), 15u);
    EXPECT_LE(b.size(), 17u);
    EXPECT_EQ(b.find_first_not_of(L"0123456789"), std::wstring::npos);
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    EXPECT_EQ(b.substr(0, 4), std::to_wstring(tm.tm_year + 1900));
}

TEST_F(Transport, UnresolvableHostStaysAtConnecting) {
    CCgiSock s;
    EXPECT_EQ(s.SendCgiCmd("http://nohost.invalid/get_status.cgi", 1), 0);
    EXPECT_EQ(s.m_nRetVal, RET_CONNECTING);
    EXPECT_EQ(s.m_hSocket, zv::kNoSocket);
}

// Aborts s from another thread after delayMs; returns the milliseconds from the abort
// until run() returned.
template <class F>
long long AbortAfter(CCgiSock& s, int delayMs, F run) {
    Clock::time_point aborted;
    std::thread owner([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        aborted = Clock::now();
        s.Abort();
    });
    run();
    auto end = Clock::now();
    owner.join();
    return std::chrono::duration_cast<std::chrono::milliseconds>(end - aborted).count();
}

TEST_F(Transport, AbortDuringTheReplyWaitEndsPromptly) {
    SimCamera mute = TestCam("127.0.10.8");
    mute.webFault = camsim::kFaultSilent;
    Start({mute});
    CCgiOper op;
    int code = 0, len = 0, result = -1;
    long long ms = AbortAfter(op.m_CgiSock, 300, [&] {
        result = op.ExecCgiCmd(Url(mute, "auto_download_file.cgi?server=s&port=80&file=f&type=0"),
                               50, code, len);
    });
    EXPECT_LT(ms, 100);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(code, RET_REPLY_TIMEOUT);
    EXPECT_EQ(op.m_CgiSock.m_hSocket, zv::kNoSocket);
}

TEST_F(Transport, AbortBetweenReplyChunksIsNoAnswer) {
    SimCamera slow = TestCam("127.0.10.9");
    slow.webFault = camsim::kFaultChunked;
    slow.faultChunks = 2;
    slow.faultDelayMs = 2000;
    Start({slow});
    CCgiOper op;
    int code = 0, len = 0, result = -1;
    long long ms = AbortAfter(op.m_CgiSock, 300, [&] {
        result = op.ExecCgiCmd(Url(slow, "auto_download_file.cgi?server=s&port=80&file=f&type=0"),
                               5, code, len);
    });
    EXPECT_LT(ms, 100);
    EXPECT_EQ(result, 0);  // half a reply that says "ok" must not pass as success
    EXPECT_EQ(code, RET_REPLY_TIMEOUT);
}

TEST_F(Transport, AbortDuringAnUploadEndsPromptly) {
    BareListener sink("127.0.10.10", 80);  // never reads: the upload stalls in send
    ASSERT_TRUE(sink.Ok());
    std::string file = WriteFile("abort.bin", 8 << 20);
    CCgiSock s;
    int bRet = -1;
    long long ms = AbortAfter(s, 300, [&] {
        bRet = s.SendCgiCmd_UpgradeFile("http://127.0.10.10/upgrade_firmware.cgi", 5,
                                        std::wstring(file.begin(), file.end()), L"");
    });
    EXPECT_LT(ms, 100);
    EXPECT_EQ(bRet, 0);
    EXPECT_EQ(s.m_nRetVal, RET_REPLY_TIMEOUT);
    EXPECT_EQ(s.m_hSocket, zv::kNoSocket);
}

static int OpenFds() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d)) ++n;
        closedir(d);
    }
    return n;
}

TEST_F(Transport, AbortRacingARequestClosesItsSocketExactlyOnce) {
    Start({TestCam("127.0.10.17")});
    const std::string url = Url(Cam(0), "auto_download_file.cgi?server=s&port=80&file=f&type=0");
    m_fleet.With([](std::vector<SimCamera>& v) { v[0].restartMs = 0; });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    int before = OpenFds();
    CCgiSock s;
    std::mt19937 rng(7);
    int aborted = 0;
    for (int i = 0; i < 150; ++i) {
        s.m_bStop = 0;
        int delayUs = static_cast<int>(rng() % 4000);
        std::thread owner([&] {
            std::this_thread::sleep_for(std::chrono::microseconds(delayUs));
            s.Abort();
        });
        int r = s.SendCgiCmd(url, 2);
        owner.join();
        // Either the whole answer or a failure: never half a reply passed off as one.
        if (r == 1) {
            EXPECT_EQ(s.m_strReply, "var result=\"ok\";\r\n");
        } else {
            EXPECT_NE(s.m_nRetVal, RET_OK);
            ++aborted;
        }
        EXPECT_EQ(s.m_hSocket, zv::kNoSocket);
    }
    EXPECT_GT(aborted, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // server side closes too
    EXPECT_EQ(OpenFds(), before);
}

TEST_F(Transport, UploadArrivesByteIdentical) {
    Start({TestCam("127.0.10.11", 8080)});
    std::string file = WriteFile("fw5.bin", 5 << 20);
    CCgiOper op;
    int code = -1, len = 0;
    ASSERT_EQ(op.UpgradeFile(Url(Cam(0), "upgrade_firmware.cgi"), 5,
                             std::wstring(file.begin(), file.end()), L"", code, len),
              1);
    EXPECT_EQ(code, RET_OK);
    SimCamera c = Cam(0);
    EXPECT_EQ(c.uploadCgi, "upgrade_firmware.cgi");
    EXPECT_EQ(c.uploadSize, 5u << 20);
    EXPECT_EQ(c.uploadMd5, FileMd5(file));
    EXPECT_EQ(c.uploadName, file);      // the path exactly as given
    EXPECT_EQ(c.uploadContentMd5, "");  // "Content-Md5: " then the line end
    EXPECT_EQ(op.m_CgiSock.m_strReply, "var result=\"ok\";\r\n");
}

TEST_F(Transport, UploadFailures) {
    SimCamera mute = TestCam("127.0.10.13");
    mute.webFault = camsim::kFaultSilent;
    Start({TestCam("127.0.10.12"), mute});
    CCgiOper op;
    int code = 0, len = 0;
    auto upload = [&](size_t cam, const std::string& path, const std::string& pwd = "123456",
                      int timeout = 5) {
        return op.UpgradeFile(Url(Cam(cam), "upgrade_htmls.cgi", pwd), timeout,
                              std::wstring(path.begin(), path.end()), L"", code, len);
    };
    std::string empty = WriteFile("empty.bin", 0);
    EXPECT_EQ(upload(0, empty), 0);
    EXPECT_EQ(code, RET_FILE_READ_FAILED);
    EXPECT_EQ(upload(0, ::testing::TempDir() + "no-such-file.bin"), 0);
    EXPECT_EQ(code, RET_FILE_OPEN_FAILED);
    std::string small = WriteFile("small.bin", 3000);
    EXPECT_EQ(upload(0, small, "wrong"), 0);
    EXPECT_EQ(code, RET_AUTH_FAILED);
    EXPECT_EQ(Cam(0).uploadCgi, "");  // nothing was accepted

    // Body sent, no reply: the transport reports the send, the verdict the silence.
    CCgiSock& s = op.m_CgiSock;
    EXPECT_EQ(s.SendCgiCmd_UpgradeFile(Url(Cam(1), "upgrade_htmls.cgi"), 1,
                                       std::wstring(small.begin(), small.end()), L""),
              1);
    EXPECT_EQ(s.m_nRetVal, RET_REPLY_TIMEOUT);
    EXPECT_EQ(upload(1, small, "123456", 1), 0);
    EXPECT_EQ(code, RET_REPLY_TIMEOUT);
}

TEST_F(Transport, QueriesAndCommands) {
    Start({TestCam("127.0.10.14")});
    CCgiOper op;
    int code = -1, len = 0;
    std::vector<std::wstring> values;
    ASSERT_EQ(op.GetCgiParams(Url(Cam(0), "get_status.cgi"), 5,
                              {L"sys_ver", L"app_version", L"params_md5", L"oem_id", L"missing"},
                              values, code, len),
              1);
    EXPECT_EQ(code, RET_OK);
    EXPECT_EQ(values, (std::vector<std::wstring>{L"48.1.2.3", L"2.4.10.1",
                                                 L"0f1e2d3c4b5a69788796a5b4c3d2e1f0", L"0",
                                                 L"NotFindKey"}));
    values.clear();
    EXPECT_EQ(
        op.GetCgiParams(Url(Cam(0), "get_status.cgi", "bad"), 5, {L"sys_ver"}, values, code, len),
        0);
    EXPECT_EQ(code, RET_AUTH_FAILED);
    EXPECT_TRUE(values.empty());

    std::string order = "auto_download_file.cgi?server=127.0.20.1&port=80&file=/fw/x.bin&type=0";
    EXPECT_EQ(op.ExecCgiCmd(Url(Cam(0), order, "bad"), 5, code, len), 0);
    EXPECT_EQ(code, RET_AUTH_FAILED);
    EXPECT_EQ(op.ExecCgiCmd(Url(Cam(0), order), 5, code, len), 1);
    EXPECT_EQ(code, RET_OK);
    EXPECT_EQ(Cam(0).downloadOrders,
              (std::vector<std::string>{"server=127.0.20.1&port=80&file=/fw/x.bin"}));
}

TEST_F(Transport, CameraRestartsWithTheNewVersionAndDhcpAddress) {
    SimCamera dhcp = TestCam("127.0.10.15");
    dhcp.dhcp = 1;
    dhcp.restartMs = 600;
    Start({dhcp});
    CCgiOper op;
    int code = -1, len = 0;
    std::string file = WriteFile("fw.bin", 10000);
    ASSERT_EQ(op.UpgradeFile(Url(dhcp, "upgrade_firmware.cgi"), 5,
                             std::wstring(file.begin(), file.end()), L"", code, len),
              1);
    // Restarting: refused, so the connect waits out its time-out.
    EXPECT_EQ(op.ExecCgiCmd(Url(dhcp, "get_status.cgi"), 1, code, len), 0);
    EXPECT_EQ(code, RET_CONNECT_TIMEOUT);
    SimCamera back = Cam(0);
    EXPECT_EQ(back.ip, "127.1.10.15");
    EXPECT_EQ(back.version, "48.1.2.4");
    EXPECT_EQ(back.restarts, 1);
    EXPECT_FALSE(back.silent);
    std::vector<std::wstring> values;
    ASSERT_EQ(op.GetCgiParams(Url(back, "get_status.cgi"), 5, {L"sys_ver"}, values, code, len), 1);
    EXPECT_EQ(values, std::vector<std::wstring>{L"48.1.2.4"});
}

TEST_F(Transport, ControlCharactersAndOversizeTextsAreRefusedBeforeSending) {
    BareListener sink("127.0.10.16", 80);
    ASSERT_TRUE(sink.Ok());
    std::string file = WriteFile("cc.bin", 100);
    std::wstring wfile(file.begin(), file.end());
    CCgiSock s;
    char buf[64];
    const std::string base = "http://127.0.10.16/";
    for (const std::string& url : {base + "a\r\nX-Injected: 1", base + "a\nb", base + "a\x01"}) {
        EXPECT_EQ(s.SendCgiCmd(url, 1), 0);
        EXPECT_EQ(s.m_nRetVal, RET_BAD_URL);
        EXPECT_EQ(s.SendCgiCmd_DownloadFile(url, 1, buf, sizeof buf), 0);
        EXPECT_EQ(s.m_nRetVal, RET_BAD_URL);
        EXPECT_EQ(s.SendCgiCmd_UpgradeFile(url, 1, wfile, L""), 0);
        EXPECT_EQ(s.m_nRetVal, RET_BAD_URL);
    }
    EXPECT_EQ(s.SendCgiCmd_UpgradeFile(base + "u", 1, wfile + L"\r\nX: 1", L""), 0);
    EXPECT_EQ(s.m_nRetVal, RET_BAD_URL);
    EXPECT_EQ(s.SendCgiCmd_UpgradeFile(base + "u", 1, wfile, L"abc\r\nX: 1"), 0);
    EXPECT_EQ(s.m_nRetVal, RET_BAD_URL);
    // Longer than the request buffers: refused whole, never cut.
    EXPECT_EQ(s.SendCgiCmd(base + std::string(2012, 'a'), 1), 0);  // 2048 bytes with its zero
    EXPECT_EQ(s.m_nRetVal, RET_BAD_URL);
    EXPECT_EQ(s.SendCgiCmd_DownloadFile(base + std::string(4090, 'a'), 1, buf, sizeof buf), 0);
    EXPECT_EQ(s.m_nRetVal, RET_BAD_URL);
    EXPECT_EQ(s.SendCgiCmd_UpgradeFile(base + std::string(3900, 'a'), 1, wfile, L""), 0);
    EXPECT_EQ(s.m_nRetVal, RET_BAD_URL);
    EXPECT_EQ(s.SendCgiCmd_UpgradeFile(base + "u", 1, std::wstring(4000, L'p'), L""), 0);
    EXPECT_EQ(s.m_nRetVal, RET_BAD_URL);
    EXPECT_FALSE(sink.HasPending());  // not even a connection was made
    // The largest request that fits still goes out.
    EXPECT_EQ(s.SendCgiCmd(base + std::string(2011, 'a'), 1), 0);  // 2047 bytes: no reply comes
    EXPECT_TRUE(sink.HasPending());
}

class Download : public ::testing::Test {
protected:
    void SetUp() override {
        m_cat.AddEntry("48.1.2.3", "48.1.2.4", "127.0.20.2", "/firmware/48.1.2.4.bin", true);
        ASSERT_TRUE(m_cat.Start());
    }
    const std::string m_url = "http://127.0.20.1:808/firmware/48.1.2.3/cn";
    camsim::CatalogueServer m_cat{"127.0.20.1"};
};

TEST_F(Download, CatalogueEntryIsReadEndToEnd) {
    CCgiOper op;
    char buf[512] = {};
    int code = -1, len = 0;
    ASSERT_EQ(op.DownloadFile(m_url, 5, buf, sizeof buf, code, len), 1);
    EXPECT_EQ(code, RET_OK);
    std::string text = buf;
    EXPECT_EQ(len, static_cast<int>(text.size()));
    EXPECT_TRUE(text.starts_with("{name:")) << text;  // bare keys
    CJsonHandle json;
    std::wstring name, server, file;
    ASSERT_EQ(json.ParseFirmwareInfo(std::wstring(text.begin(), text.end()), name, server, file),
              1);
    EXPECT_EQ(name, L"48.1.2.4");
    EXPECT_EQ(server, L"127.0.20.2");
    EXPECT_EQ(file, L"/firmware/48.1.2.4.bin");
    // An unknown version: 404 with a body the reader does not accept.
    std::memset(buf, 0, sizeof buf);
    op.DownloadFile("http://127.0.20.1:808/firmware/9.9.9/cn", 5, buf, sizeof buf, code, len);
    text = buf;
    EXPECT_EQ(json.ParseFirmwareInfo(std::wstring(text.begin(), text.end()), name, server, file),
              0);
}

TEST_F(Download, BodyInSeveralChunksReachesTheBufferWithoutHeader) {
    m_cat.SetFault(camsim::kFaultChunked, 3, 150);
    CCgiSock s;
    char buf[512] = {};
    ASSERT_EQ(s.SendCgiCmd_DownloadFile(m_url, 5, buf, sizeof buf), 1);
    EXPECT_TRUE(std::string(buf).starts_with("{name:\"48.1.2.4\","));
    EXPECT_EQ(static_cast<int>(strlen(buf)), s.m_nContentLen);
    EXPECT_TRUE(s.m_strReply.starts_with("HTTP/1.1 200 OK"));  // the first chunk as text
}

TEST_F(Download, FaultyReplies) {
    CCgiSock s;
    char buf[512];
    // No Content-Length: the data is copied, but the download fails once the peer closes.
    m_cat.SetFault(camsim::kFaultNoLength);
    std::memset(buf, 0, sizeof buf);
    EXPECT_EQ(s.SendCgiCmd_DownloadFile(m_url, 2, buf, sizeof buf), 0);
    EXPECT_EQ(s.m_nRetVal, RET_RECV_FAILED);
    EXPECT_TRUE(std::string(buf).starts_with("{name:")) << buf;
    // 49 bytes or fewer never pass the reply wait.
    m_cat.SetFault(camsim::kFaultShortReply, 3, 100, 49);
    auto t0 = Clock::now();
    EXPECT_EQ(s.SendCgiCmd_DownloadFile(m_url, 1, buf, sizeof buf), 0);
    EXPECT_EQ(s.m_nRetVal, RET_REPLY_TIMEOUT);
    EXPECT_GE(MsSince(t0), 950);
    EXPECT_LT(MsSince(t0), 3000);
    // 50 bytes do (then the peer closes before the body: 13).
    m_cat.SetFault(camsim::kFaultShortReply, 3, 100, 50);
    EXPECT_EQ(s.SendCgiCmd_DownloadFile(m_url, 1, buf, sizeof buf), 0);
    EXPECT_EQ(s.m_nRetVal, RET_RECV_FAILED);
}

TEST_F(Download, LongerBodyIsCutAtTheBufferAndFails) {
    char area[64];
    std::memset(area, 'Z', sizeof area);
    CCgiSock s;
    EXPECT_EQ(s.SendCgiCmd_DownloadFile(m_url, 5, area, 16), 0);
    EXPECT_EQ(s.m_nRetVal, RET_FAILED);
    EXPECT_EQ(std::string(area), "{name:\"48.1.2.4");  // 15 bytes and the zero
    EXPECT_EQ(area[16], 'Z');                          // nothing past the buffer
    EXPECT_GT(s.m_nContentLen, 16);
    // No buffer at all: nothing copied, still read to the end.
    EXPECT_EQ(s.SendCgiCmd_DownloadFile(m_url, 5, nullptr, 0), 1);
}

TEST_F(Download, AbortLeavesSent) {
    m_cat.SetFault(camsim::kFaultChunked, 2, 3000);
    CCgiSock s;
    char buf[512] = {};
    int bRet = -1;
    long long ms =
        AbortAfter(s, 300, [&] { bRet = s.SendCgiCmd_DownloadFile(m_url, 5, buf, sizeof buf); });
    EXPECT_LT(ms, 100);
    EXPECT_EQ(bRet, 0);
    EXPECT_EQ(s.m_nRetVal, RET_SENT);
}

// Sends raw bytes to ip:port and returns everything the server answers.
static std::string RawExchange(const char* ip, uint16_t port, const std::string& bytes) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    inet_pton(AF_INET, ip, &a.sin_addr);
    std::string reply;
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size())) {
        char buf[4096];
        for (ssize_t n; (n = recv(fd, buf, sizeof buf, 0)) > 0;)
            reply.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return reply;
}

// The camera's upload check is what makes the byte-identical test meaningful: a body
// whose length or delimiters are off by anything is refused.
TEST_F(Transport, CameraRefusesMalformedMultipartBodies) {
    Start({TestCam("127.0.10.19")});
    const std::string part =
        "--BB\r\nContent-Disposition: form-data; name=\"file\"; filename=\"f\"\r\n\r\n";
    const std::string good = part + "payload" + "\r\n--BB--\r\n";
    auto request = [](const std::string& boundary, size_t length, const std::string& body) {
        return "POST /upgrade_htmls.cgi?user=admin&pwd=123456 HTTP/1.0\r\nContent-Type: "
               "multipart/form-data; boundary=" +
               boundary + "\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n" + body;
    };
    struct Case {
        const char* name;
        std::string bytes;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"length one short", request("BB", good.size() - 1, good), false},
        {"other boundary", request("BC", good.size(), good), false},
        {"no closing delimiter", request("BB", good.size(), part + "payload" + "\r\n--BB\r\n\r\n"),
         false},
        {"exact", request("BB", good.size(), good), true},
    };
    for (const Case& c : cases) {
        std::string reply = RawExchange("127.0.10.19", 80, c.bytes);
        EXPECT_EQ(reply.find("var result=\"ok\";") != std::string::npos, c.accepted) << c.name;
        EXPECT_NE(reply.find("HTTP/1.1 200 OK"), std::string::npos) << c.name;
    }
    EXPECT_EQ(Cam(0).uploadSize, 7u);
    EXPECT_EQ(Cam(0).uploadName, "f");
}

TEST(CamsimText, PercentDecodingAndNextVersion) {
    const std::vector<std::pair<std::string, std::string>> decode = {
        {"a%26b%3Dc%20d%25", "a&b=c d%"},
        {"%41%4a%4A", "AJJ"},
        {"100%", "100%"},
        {"%2", "%2"},
        {"%zz1", "%zz1"},
        {"a+b", "a+b"},
    };
    for (const auto& [in, out] : decode) EXPECT_EQ(camsim::PercentDecode(in), out) << in;
    const std::vector<std::pair<std::string, std::string>> next = {
        {"48.1.2.3", "48.1.2.4"}, {"1.2.9", "1.2.10"}, {"v2-beta", "v3-beta"}, {"abc", "abc.1"}};
    for (const auto& [in, out] : next) EXPECT_EQ(camsim::NextVersion(in), out) << in;
    EXPECT_EQ(camsim::NextDhcpAddress("127.0.10.15"), "127.1.10.15");
    EXPECT_EQ(camsim::NextDhcpAddress("127.254.10.15"), "127.1.10.15");
}
