// A simulated fleet with its camera web servers and a firmware catalogue on loopback,
// an accelerated clock, and a sampler that records every status a job passes through.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "base/fixed_field.h"
#include "base/text_conv.h"
#include "camsim/fleet.h"
#include "private_netns.h"
#include "upgrade/upgrade_handle.h"
#include "upgrade/upgrade_target.h"
#include "web/catalogue_server.h"
#include "web/md5.h"
#include "web/web_servers.h"

constexpr const char* kCatalogueIp = "127.0.9.1";
constexpr double kTimeScale = 50;

// Records m_nStatus each time it changes, polling fast in real time.
class StatusSampler {
public:
    explicit StatusSampler(CUpgradeHandle& h) : m_h(h) {
        m_thread = std::thread([this] {
            while (!m_bStop) {
                Sample();
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        });
    }
    ~StatusSampler() { Stop(); }
    // Joins the sampler and takes the status once more, so the final one is never missed.
    void Stop() {
        m_bStop = true;
        if (m_thread.joinable()) m_thread.join();
        Sample();
    }
    std::vector<int32_t> Seen() {
        std::lock_guard<std::mutex> lk(m_mu);
        return m_seen;
    }

private:
    void Sample() {
        int32_t s = m_h.m_nStatus;
        std::lock_guard<std::mutex> lk(m_mu);
        if (m_seen.empty() || m_seen.back() != s) m_seen.push_back(s);
    }

    CUpgradeHandle& m_h;
    std::atomic<bool> m_bStop{false};
    std::mutex m_mu;
    std::vector<int32_t> m_seen;
    std::thread m_thread;
};

class UpgradeTest : public ::testing::Test {
protected:
    void SetUp() override {
        zv::SetTimeScale(kTimeScale);
        std::vector<camsim::SimCamera> cams = camsim::MakeFleet(2, "123456");
        for (camsim::SimCamera& c : cams) {
            c.dhcp = 0;
            c.restartMs = 3000;
            // Replies in pieces with pauses, so that every status lasts long enough to
            // be seen by the sampler.
            c.webFault = camsim::kFaultChunked;
            c.faultChunks = 2;
            c.faultDelayMs = 500;
        }
        cams[0].httpPort = 80;
        cams[0].version = "48.3.16.25";
        cams[1].httpPort = 8081;
        cams[1].version = "48.3.16.25";
        for (camsim::SimCamera& c : cams) fleet.Add(c);
        web = std::make_unique<camsim::WebServers>(fleet);
        ASSERT_TRUE(web->Start());
        catalogue = std::make_unique<camsim::CatalogueServer>(kCatalogueIp, 808);
        catalogue->AddEntry("48.3.16.25", "48.3.16.26", "dl.example.invalid",
                            "/firmware/48.3.16.26.bin", false);
        ASSERT_TRUE(catalogue->Start());
    }
    void TearDown() override {
        if (web) web->Stop();
        if (catalogue) catalogue->Stop();
        for (const std::string& f : m_files) std::remove(f.c_str());
        zv::SetTimeScale(1);
    }

    camsim::SimCamera Cam(size_t i) {
        return fleet.With([&](std::vector<camsim::SimCamera>& c) { return c[i]; });
    }
    template <class F>
    void Change(size_t i, F&& f) {
        fleet.With([&](std::vector<camsim::SimCamera>& c) { f(c[i]); });
    }

    UpgradeTarget TargetOf(size_t i, const std::wstring& user = L"admin",
                           const std::wstring& pwd = L"123456") {
        CameraEntry e{};
        e.params = camsim::ParamsOf(Cam(i));
        UpgradeTarget t{};
        EXPECT_EQ(upg::FillUpgradeTarget(t, e, user, pwd), 1);
        return t;
    }
    static UpgradeTask OnlineTask(const char* version = "48.3.16.25") {
        UpgradeTask t{};
        t.bSysFirmware = 1;
        t.nCheckMode = UPG_CHECK_ONLINE;
        t.nSysMethod = UPG_SYS_DOWNLOAD;
        zv::CopyToField(t.szVersionKey, version);
        return t;
    }
    static UpgradeTask ManualTask(const std::string& web, const std::string& sys) {
        UpgradeTask t{};
        t.bWebFirmware = !web.empty();
        t.bSysFirmware = !sys.empty();
        t.nCheckMode = UPG_CHECK_NONE;
        t.nSysMethod = UPG_SYS_UPLOAD;
        zv::CopyToField(t.szWebFile, web);
        zv::CopyToField(t.szSysFile, sys);
        return t;
    }

    // Starts the job the way the pages do.
    static void Start(CUpgradeHandle& h, const UpgradeTarget& target, const UpgradeTask& task) {
        h.m_task = task;
        h.SetTarget(target);
        h.m_nStatus = UPG_STATUS_START;
        h.ClearStop();
        ASSERT_EQ(h.InitUpgradeThread(), 1);
    }
    // Waits (real time, generous) until the job has ended by itself.
    static bool WaitJobEnd(CUpgradeHandle& h, int seconds = 60) {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (h.IsJobRunning() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return !h.IsJobRunning();
    }
    // Runs a whole job and returns the statuses it passed through.
    std::vector<int32_t> Run(CUpgradeHandle& h, const UpgradeTarget& target,
                             const UpgradeTask& task) {
        StatusSampler sampler(h);
        Start(h, target, task);
        EXPECT_TRUE(WaitJobEnd(h));
        h.ReleaseUpgradeThread();
        sampler.Stop();
        return sampler.Seen();
    }

    // A firmware file of n random bytes; returns its path and MD5.
    std::string MakeFile(size_t n, std::string& md5) {
        char tmpl[] = "/tmp/zarvon-upg-fw-XXXXXX.bin";
        int fd = mkstemps(tmpl, 4);
        close(fd);
        std::string bytes(n, '\0');
        std::mt19937 rng(static_cast<unsigned>(n));
        for (char& c : bytes) c = static_cast<char>(rng());
        std::ofstream(tmpl, std::ios::binary) << bytes;
        camsim::Md5 m;
        m.Update(bytes.data(), bytes.size());
        md5 = m.HexDigest();
        m_files.push_back(tmpl);
        return tmpl;
    }

    camsim::Fleet fleet;
    std::unique_ptr<camsim::WebServers> web;
    std::unique_ptr<camsim::CatalogueServer> catalogue;
    std::vector<std::string> m_files;
};
