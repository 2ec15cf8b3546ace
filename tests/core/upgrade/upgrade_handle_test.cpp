#include "upgrade/upgrade_handle.h"

#include <gtest/gtest.h>

#include "http/result_codes.h"
#include "trace_capture.h"
#include "upgrade_fixture.h"

namespace {

using Statuses = std::vector<int32_t>;

std::string Url(const CgiRequest& r) { return zv::FieldText(r.szUrl); }

TEST_F(UpgradeTest, OnlineNewerVersionDownloadsAndWaitsForTheCamera) {
    TraceCapture trace;
    CUpgradeHandle h(kCatalogueIp);
    Statuses seen = Run(h, TargetOf(0), OnlineTask());
    EXPECT_EQ(seen, (Statuses{-1, 10, 29, 31, 35, 36, 38}));
    EXPECT_EQ(h.m_nStatus.load(), UPG_STATUS_DONE);

    camsim::SimCamera cam = Cam(0);
    EXPECT_EQ(cam.downloadOrders,
              (std::vector<std::string>{
                  "server=dl.example.invalid&port=80&file=/firmware/48.3.16.26.bin"}));
    EXPECT_EQ(cam.restarts, 1);
    EXPECT_EQ(cam.uploadCgi, "") << "an online upgrade never uploads a file";
    EXPECT_EQ(h.SysVersion(), L"48.3.16.26") << "read again after the restart";
    EXPECT_EQ(h.LatestName(), L"48.3.16.26");

    // Camera on port 80: no port in the base; the download order's path already holds
    // a query, so the credentials join with "&user=".
    EXPECT_EQ(Url(h.AutoDownloadRequest()),
              "http://127.0.10.1/auto_download_file.cgi?server=dl.example.invalid&port=80"
              "&file=/firmware/48.3.16.26.bin&type=0"
              "&user=admin&pwd=123456&loginuse=admin&loginpas=123456");
    EXPECT_EQ(h.AutoDownloadRequest().nTimeout, 50);
    EXPECT_EQ(h.AutoDownloadRequest().nKind, REQ_COMMAND);
    EXPECT_EQ(h.AutoDownloadRequest().nResult, 0);
    EXPECT_EQ(h.AutoDownloadRequest().nState, 2);
    EXPECT_EQ(Url(h.StatusRequest()),
              "http://127.0.10.1/get_status.cgi?user=admin&pwd=123456&loginuse=admin"
              "&loginpas=123456");
    EXPECT_EQ(h.StatusRequest().nTimeout, 5);
    EXPECT_EQ(h.StatusRequest().nValueCount, 4);
    EXPECT_EQ(zv::FieldText(h.StatusRequest().szAccount), "admin");
    EXPECT_EQ(Url(h.CatalogueRequest()), "http://127.0.9.1:808/firmware/48.3.16.25/cn");
    EXPECT_EQ(h.CatalogueRequest().pReplyBuf, nullptr);

    std::vector<std::string> frame = {
        "\r\n---InitUpgradeThread---begin---",      "\r\n---InitUpgradeThread---end-----",
        "\r\n---break ProcessUpgrade---",           "\r\n---exit ThreadUpgrade---",
        "\r\n---ReleaseUpgradeThread---begin-1---", "\r\n---ReleaseUpgradeThread---begin-2---",
        "\r\n---ReleaseUpgradeThread---end-----"};
    EXPECT_EQ(trace.Only(frame), frame);
}

struct ConfirmProbe {
    int answer = 0;
    std::atomic<int> calls{0};
    std::thread::id thread;
    static int Ask(void* user) {
        auto* p = static_cast<ConfirmProbe*>(user);
        ++p->calls;
        p->thread = std::this_thread::get_id();
        return p->answer;
    }
};

TEST_F(UpgradeTest, SameVersionAsksBeforeReinstalling) {
    catalogue->AddEntry("48.3.16.25", "48.3.16.25", "dl.example.invalid", "/fw/same.bin", true);
    struct Case {
        bool callback;
        int answer;
        Statuses statuses;
        size_t orders;
    } cases[] = {
        {true, 1, {-1, 10, 29, 31, 28}, 0},
        {true, 0, {-1, 10, 29, 31, 35, 36, 38}, 1},
        {false, 1, {-1, 10, 29, 31, 35, 36, 38}, 1},
    };
    for (const Case& c : cases) {
        Change(1, [](camsim::SimCamera& cam) {
            cam.version = "48.3.16.25";
            cam.downloadOrders.clear();
            cam.newVersion = "48.3.16.25";  // reinstalling keeps the version
        });
        CUpgradeHandle h(kCatalogueIp);
        ConfirmProbe probe;
        probe.answer = c.answer;
        if (c.callback) {
            h.m_pfnConfirm = &ConfirmProbe::Ask;
            h.m_pConfirmUser = &probe;
        }
        EXPECT_EQ(Run(h, TargetOf(1), OnlineTask()), c.statuses) << c.callback << c.answer;
        EXPECT_EQ(probe.calls.load(), c.callback ? 1 : 0);
        if (c.callback) {
            EXPECT_NE(probe.thread, std::this_thread::get_id());
        }
        EXPECT_EQ(Cam(1).downloadOrders.size(), c.orders);
        EXPECT_EQ(Url(h.StatusRequest()),
                  "http://127.0.10.2:8081/get_status.cgi?user=admin&pwd=123456&loginuse=admin"
                  "&loginpas=123456");
    }
}

TEST_F(UpgradeTest, DifferentVersionNeverAsks) {
    CUpgradeHandle h(kCatalogueIp);
    ConfirmProbe probe;
    probe.answer = 1;
    h.m_pfnConfirm = &ConfirmProbe::Ask;
    h.m_pConfirmUser = &probe;
    EXPECT_EQ(Run(h, TargetOf(0), OnlineTask()).back(), UPG_STATUS_DONE);
    EXPECT_EQ(probe.calls.load(), 0);
}

TEST_F(UpgradeTest, CatalogueFailuresGiveThirty) {
    // Unknown version (a 404 page), a reply too long for the 512-byte buffer, a reply
    // with one member, and no catalogue server at all.
    catalogue->SetRawEntry("long", "{\"name\":\"" + std::string(600, 'x') +
                                       "\",\"download_server\":\"s\",\"download_file\":\"f\"}");
    catalogue->SetRawEntry("one", "{\"name\":\"48.3.16.26\"}");
    for (const char* key : {"no-such-version", "long", "one", "stopped"}) {
        if (std::string(key) == "stopped") catalogue->Stop();
        CUpgradeHandle h(kCatalogueIp);
        EXPECT_EQ(
            Run(h, TargetOf(0), OnlineTask(std::string(key) == "stopped" ? "48.3.16.25" : key)),
            (Statuses{-1, 10, 29, 30}))
            << key;
        EXPECT_TRUE(Cam(0).downloadOrders.empty()) << key;
    }
}

TEST_F(UpgradeTest, FailedStatusQueryEndsTheJobWithItsCode) {
    struct Case {
        const char* what;
        UpgradeTarget target;
        int32_t status;
    } cases[] = {
        {"wrong password", TargetOf(0, L"admin", L"wrong"), RET_AUTH_FAILED},
        {"unknown account", TargetOf(0, L"nobody", L"123456"), RET_AUTH_FAILED},
        {"no camera there", TargetOf(0), RET_CONNECT_TIMEOUT},
    };
    zv::CopyToField(cases[2].target.szHost, "127.0.10.99");
    for (const Case& c : cases) {
        for (const UpgradeTask& task : {OnlineTask(), ManualTask("/tmp/none.bin", "")}) {
            CUpgradeHandle h(kCatalogueIp);
            EXPECT_EQ(Run(h, c.target, task), (Statuses{-1, c.status})) << c.what;
        }
    }
    EXPECT_TRUE(Cam(0).downloadOrders.empty());
    EXPECT_EQ(Cam(0).uploadCgi, "");
}

TEST_F(UpgradeTest, ManualUploadsArriveWholeThenTheCameraIsAwaited) {
    std::string md5;
    std::string file = MakeFile(300 * 1024 + 17, md5);
    struct Case {
        bool web;
        const char* cgi;
        Statuses statuses;
    } cases[] = {
        {true, "upgrade_htmls.cgi", {-1, 32, 33, 38}},
        {false, "upgrade_firmware.cgi", {-1, 35, 36, 38}},
    };
    for (const Case& c : cases) {
        CUpgradeHandle h(kCatalogueIp);
        UpgradeTask task = c.web ? ManualTask(file, "") : ManualTask("", file);
        EXPECT_EQ(Run(h, TargetOf(1), task), c.statuses) << c.cgi;
        camsim::SimCamera cam = Cam(1);
        EXPECT_EQ(cam.uploadCgi, c.cgi);
        EXPECT_EQ(cam.uploadSize, 300u * 1024 + 17);
        EXPECT_EQ(cam.uploadMd5, md5) << "the camera got the file byte for byte";
        EXPECT_EQ(cam.uploadName, file);
        EXPECT_EQ(cam.uploadContentMd5, "");
        EXPECT_TRUE(cam.downloadOrders.empty());
        const CgiRequest& r = c.web ? h.WebUploadRequest() : h.SysUploadRequest();
        EXPECT_EQ(zv::FieldText(r.szFilePath), file);
        EXPECT_EQ(r.nKind, REQ_UPLOAD);
        EXPECT_EQ(Url(r), std::string("http://127.0.10.2:8081/") + c.cgi +
                              "?user=admin&pwd=123456&loginuse=admin&loginpas=123456");
    }
}

TEST_F(UpgradeTest, BothKindsRunSystemFirst) {
    std::string md5Sys, md5Web;
    std::string sys = MakeFile(5000, md5Sys);
    std::string webFile = MakeFile(7000, md5Web);
    CUpgradeHandle h(kCatalogueIp);
    EXPECT_EQ(Run(h, TargetOf(0), ManualTask(webFile, sys)), (Statuses{-1, 35, 36, 32, 33, 38}));
    camsim::SimCamera cam = Cam(0);
    EXPECT_EQ(cam.restarts, 2);
    EXPECT_EQ(cam.uploadCgi, "upgrade_htmls.cgi") << "the web UI went last";
    EXPECT_EQ(cam.uploadMd5, md5Web);
}

TEST_F(UpgradeTest, OneAcceptedOfTwoStillEndsDone) {
    std::string md5;
    std::string sys = MakeFile(4000, md5);
    CUpgradeHandle h(kCatalogueIp);
    Statuses seen = Run(h, TargetOf(0), ManualTask("/tmp/zarvon-no-such-file.bin", sys));
    // With its file missing, the web step's 32 turns into 34 at once: the sampler may or
    // may not see it. The order of everything else is fixed.
    std::erase(seen, UPG_STATUS_WEB_UPLOADING);
    EXPECT_EQ(seen, (Statuses{-1, 35, 36, 34, 38}));
}

TEST_F(UpgradeTest, UnreadableFilesFailTheirStep) {
    std::string md5;
    std::string empty = MakeFile(0, md5);
    std::string tooLong = "/tmp/" + std::string(300, 'p') + ".bin";
    struct Case {
        UpgradeTask task;
        int32_t last;
        int32_t code;
    } cases[] = {
        {ManualTask("/tmp/zarvon-no-such-file.bin", ""), UPG_STATUS_WEB_FAILED,
         RET_FILE_OPEN_FAILED},
        {ManualTask("", empty), UPG_STATUS_SYS_FAILED, RET_FILE_READ_FAILED},
        // A path longer than the request's field is refused, not cut to another name.
        {ManualTask(tooLong, ""), UPG_STATUS_WEB_FAILED, RET_FILE_OPEN_FAILED},
    };
    for (const Case& c : cases) {
        CUpgradeHandle h(kCatalogueIp);
        Statuses seen = Run(h, TargetOf(0), c.task);
        EXPECT_EQ(seen.back(), c.last);
        const CgiRequest& r = c.task.bWebFirmware ? h.WebUploadRequest() : h.SysUploadRequest();
        EXPECT_EQ(r.nResult, c.code);
        EXPECT_EQ(Cam(0).uploadCgi, "");
    }
}

TEST_F(UpgradeTest, UnknownSystemMethodFailsWithoutRequest) {
    CUpgradeHandle h(kCatalogueIp);
    UpgradeTask task = ManualTask("", "/tmp/x.bin");
    task.nSysMethod = 3;
    // 35 lasts no time at all here, so only the end is certain to be seen.
    Statuses seen = Run(h, TargetOf(0), task);
    EXPECT_EQ(seen.front(), UPG_STATUS_START);
    EXPECT_EQ(seen.back(), UPG_STATUS_SYS_FAILED);
    EXPECT_EQ(h.SysUploadRequest().nResult, -1);
}

TEST_F(UpgradeTest, AbortEndsTheJobPromptly) {
    // During the restart wait: WaitDeviceOnline returns -1 at once.
    {
        CUpgradeHandle h(kCatalogueIp);
        StatusSampler sampler(h);
        Start(h, TargetOf(0), OnlineTask());
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (h.m_nStatus != UPG_STATUS_SYS_REBOOTING && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(h.m_nStatus.load(), UPG_STATUS_SYS_REBOOTING);
        uint64_t t0 = zv::TickCount64();
        h.AbortRequest();
        h.ReleaseUpgradeThread();
        EXPECT_LT(zv::TickCount64() - t0, 2000u) << "program ms";
        EXPECT_EQ(h.m_nStatus.load(), UPG_STATUS_START);
        EXPECT_EQ(h.m_bExit.load(), 1);
        EXPECT_EQ(h.m_cgi.m_CgiSock.m_bStop.load(), 1);
    }
    // During a request the camera never answers: the request fails with its code.
    {
        Change(0, [](camsim::SimCamera& c) { c.webFault = camsim::kFaultSilent; });
        CUpgradeHandle h(kCatalogueIp);
        Start(h, TargetOf(0), OnlineTask());
        zv::Sleep(1500);  // past the first second, inside the status query
        uint64_t t0 = zv::TickCount64();
        h.AbortRequest();
        h.ReleaseUpgradeThread();
        EXPECT_LT(zv::TickCount64() - t0, 2000u) << "program ms";
        int32_t s = h.m_nStatus.load();
        EXPECT_NE(s, UPG_STATUS_START);
        EXPECT_NE(s, RET_OK);
        EXPECT_LT(s, 28) << "a transport code, status " << s;
    }
}

TEST_F(UpgradeTest, DhcpCameraIsFollowedToItsNewAddress) {
    Change(0, [](camsim::SimCamera& c) {
        c.dhcp = 1;
        c.dhcpNextIp = "127.0.10.77";
    });
    for (bool follow : {true, false}) {
        Change(0, [](camsim::SimCamera& c) { c.ip = "127.0.10.1"; });
        web->Stop();
        web = std::make_unique<camsim::WebServers>(fleet);
        ASSERT_TRUE(web->Start());
        CUpgradeHandle h(kCatalogueIp);
        UpgradeTarget target = TargetOf(0);
        ASSERT_EQ(target.bDhcp, 1);
        // What the page's timer does once a second: look the camera up by its MAC in
        // the live list (here: the fleet, which answers only while the camera is up).
        std::atomic<bool> stop{false};
        std::thread page([&] {
            UpgradeTarget mine = target;
            while (!stop) {
                zv::Sleep(1000);
                if (!follow) continue;
                camsim::SimCamera cam = Cam(0);
                if (cam.silent) continue;
                if (upg::UpdateTargetAddress(mine, zv::AnsiToWide(cam.ip), cam.httpPort))
                    h.SetTarget(mine);
            }
        });
        StatusSampler sampler(h);
        Start(h, target, OnlineTask());
        EXPECT_TRUE(WaitJobEnd(h));
        stop = true;
        page.join();
        h.ReleaseUpgradeThread();
        if (follow) {
            EXPECT_EQ(sampler.Seen().back(), UPG_STATUS_DONE);
            EXPECT_EQ(zv::FieldText(h.Target().szHost), "127.0.10.77");
            EXPECT_EQ(Url(h.StatusRequest()).rfind("http://127.0.10.77/get_status.cgi?", 0), 0u);
        } else {
            EXPECT_EQ(sampler.Seen().back(), RET_CONNECT_TIMEOUT)
                << "polled the old address for 90 s";
        }
    }
}

TEST_F(UpgradeTest, SpecialCharactersInCredentialsAreEncodedAndAuthenticate) {
    Change(1, [](camsim::SimCamera& c) { c.pwd = "a&b=c d%"; });
    CUpgradeHandle h(kCatalogueIp);
    Statuses seen = Run(h, TargetOf(1, L"admin", L"a&b=c d%"), OnlineTask());
    EXPECT_EQ(Url(h.StatusRequest()),
              "http://127.0.10.2:8081/get_status.cgi?user=admin&pwd=a%26b%3Dc%20d%25"
              "&loginuse=admin&loginpas=a%26b%3Dc%20d%25");
    EXPECT_EQ(seen.back(), UPG_STATUS_DONE) << "camsim decodes %XX in query values as cameras do";
}

TEST_F(UpgradeTest, CatalogueTextsAreEncodedInTheDownloadOrder) {
    catalogue->SetRawEntry("48.3.16.25",
                           "{\"name\":\"48.3.16.26\",\"download_server\":\"dl.example.invalid\","
                           "\"download_file\":\"/fw/a b&c=d#e.bin\"}");
    CUpgradeHandle h(kCatalogueIp);
    Run(h, TargetOf(0), OnlineTask());
    EXPECT_EQ(Url(h.AutoDownloadRequest()),
              "http://127.0.10.1/auto_download_file.cgi?server=dl.example.invalid&port=80"
              "&file=/fw/a%20b%26c%3Dd%23e.bin&type=0"
              "&user=admin&pwd=123456&loginuse=admin&loginpas=123456");
}

TEST_F(UpgradeTest, UrlLongerThanItsFieldIsRefused) {
    // 63-byte account and password, each byte encoded to three: the status query still
    // fits, the download order with long catalogue texts does not and is never sent.
    std::string pct(63, '%');
    Change(0, [&](camsim::SimCamera& c) {
        c.user = pct;
        c.pwd = pct;
    });
    catalogue->SetRawEntry("48.3.16.25", "{\"name\":\"48.3.16.26\",\"download_server\":\"" +
                                             std::string(60, '%') + "\",\"download_file\":\"" +
                                             std::string(60, '%') + "\"}");
    CUpgradeHandle h(kCatalogueIp);
    Statuses seen =
        Run(h, TargetOf(0, std::wstring(63, L'%'), std::wstring(63, L'%')), OnlineTask());
    ASSERT_EQ(seen.back(), UPG_STATUS_SYS_FAILED);
    EXPECT_EQ(h.StatusRequest().nResult, 0) << "the status query fitted and authenticated";
    EXPECT_EQ(h.AutoDownloadRequest().nResult, RET_BAD_URL);
    EXPECT_EQ(Url(h.AutoDownloadRequest()), "");
    EXPECT_TRUE(Cam(0).downloadOrders.empty());
    EXPECT_EQ(zv::FieldText(h.StatusRequest().szAccount), std::string(31, '%'))
        << "the slot keeps a record cut to its field";
}

TEST(UpgradeTarget, FillFromEntryAndRefuseCredentialsThatDoNotFit) {
    CameraEntry e{};
    zv::CopyToField(e.params.szIP, "192.168.1.20");
    e.params.nHttpPort = 81;
    e.params.bDhcp = 1;
    const uint8_t mac[6] = {0x00, 0x1a, 0x2B, 0x3c, 0x4D, 0xff};
    std::memcpy(e.params.byMacAddr, mac, 6);
    UpgradeTarget t;
    ASSERT_EQ(upg::FillUpgradeTarget(t, e, L"admin", L"402613"), 1);
    EXPECT_EQ(zv::FieldText(t.szHost), "192.168.1.20");
    EXPECT_EQ(t.nPort, 81);
    EXPECT_EQ(t.bDhcp, 1);
    EXPECT_EQ(zv::FieldText(t.szMac), "00:1A:2B:3C:4D:FF");
    EXPECT_EQ(zv::FieldText(t.szAccount), "admin");
    EXPECT_EQ(zv::FieldText(t.szPassword), "402613");

    EXPECT_EQ(upg::FillUpgradeTarget(t, e, L"admin", std::wstring(63, L'p')), 1);
    EXPECT_EQ(upg::FillUpgradeTarget(t, e, L"admin", std::wstring(64, L'p')), 0);
    EXPECT_EQ(zv::FieldText(t.szPassword), "");
    EXPECT_EQ(upg::FillUpgradeTarget(t, e, std::wstring(64, L'a'), L""), 0);
    EXPECT_EQ(zv::FieldText(t.szAccount), "");

    EXPECT_FALSE(upg::UpdateTargetAddress(t, L"192.168.1.20", 81));
    EXPECT_TRUE(upg::UpdateTargetAddress(t, L"192.168.1.20", 82));
    EXPECT_TRUE(upg::UpdateTargetAddress(t, L"192.168.1.21", 82));
    EXPECT_EQ(zv::FieldText(t.szHost), "192.168.1.21");
    EXPECT_EQ(t.nPort, 82);
}

TEST(UpgradeHandle, ConstructedStateAndNoSecondWorker) {
    CUpgradeHandle h("127.0.9.250");
    EXPECT_EQ(h.m_nStatus.load(), -1);
    EXPECT_EQ(h.Ticks(), 0);
    EXPECT_EQ(h.m_bExit.load(), 0);
    EXPECT_EQ(h.m_pfnConfirm.load(), nullptr);
    EXPECT_EQ(h.StatusRequest().nResult, -1);
    EXPECT_EQ(h.AddTick(), 1);
    EXPECT_EQ(h.AddTick(), 2);
    h.m_task.nCheckMode = UPG_CHECK_NONE;
    UpgradeTarget t{};
    zv::CopyToField(t.szHost, "127.0.9.250");
    t.nPort = 80;
    h.SetTarget(t);
    h.m_cgi.m_CgiSock.m_bStop = 1;  // every request fails at once
    ASSERT_EQ(h.InitUpgradeThread(), 1);
    EXPECT_EQ(h.InitUpgradeThread(), 0) << "a held worker is never overwritten";
    h.ReleaseUpgradeThread();
    EXPECT_EQ(h.m_nStatus.load(), RET_CONNECTING);
    EXPECT_EQ(h.Ticks(), 0) << "reset when the job started";
}

}  // namespace
