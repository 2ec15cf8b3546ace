// zarvon-cli upgrade end to end: simulated cameras (discovery, web servers) and the
// firmware catalogue run in this process; the command runs as a child in its own mount
// namespace whose /etc/hosts maps the catalogue's build-time name to loopback.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "../../core/upgrade/private_netns.h"
#include "base/clock.h"
#include "base/text_conv.h"
#include "camsim/discovery_responder.h"
#include "camsim/fleet.h"
#include "i18n/string_table.h"
#include "web/catalogue_server.h"
#include "web/md5.h"
#include "web/web_servers.h"

namespace {

constexpr double kScale = 50;
constexpr const char* kCatalogueIp = "127.0.9.1";

std::string En(int id) { return zv::WideToUtf8(LoadStrIn(0, id)); }

struct Result {
    int exitCode = -1;
    std::string out, err;
};

// Runs the command line in a child; onOutput sees stdout so far and may signal the child.
// With bTerminal the child's standard output is a pseudo-terminal.
Result RunCli(const std::string& args, const std::string& stdinText, const std::string& hosts,
              const std::function<void(const std::string&, pid_t)>& onOutput = nullptr,
              bool bTerminal = false) {
    std::string script = "mount --bind '" + hosts +
                         "' /etc/hosts && LANG=C LC_ALL=C ZARVON_PASSWORD=123456 exec '" +
                         UPGRADE_CLI + "' upgrade " + args + " --bind 127.0.0.1 --time-scale " +
                         std::to_string(static_cast<int>(kScale));
    int in[2], out[2], err[2];
    EXPECT_EQ(pipe(in) | pipe(out) | pipe(err), 0);
    int master = -1;
    std::string slave;
    if (bTerminal) {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(master, 0);
        EXPECT_EQ(grantpt(master) | unlockpt(master), 0);
        slave = ptsname(master);
    }
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        if (bTerminal) {
            int fd = open(slave.c_str(), O_RDWR | O_NOCTTY);
            dup2(fd, out[1]);
            close(master);
        }
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
        execl("/usr/bin/unshare", "unshare", "-m", "sh", "-c", script.c_str(), nullptr);
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (!stdinText.empty()) (void)!write(in[1], stdinText.data(), stdinText.size());
    close(in[1]);
    Result r;
    if (bTerminal) {
        close(out[0]);
        out[0] = master;  // a terminal's master reports the child's end as an error
    }
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (open > 0 && std::chrono::steady_clock::now() < deadline) {
        if (poll(fds, 2, 100) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buf[4096];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
                continue;
            }
            (i == 0 ? r.out : r.err).append(buf, static_cast<size_t>(n));
            if (i == 0 && onOutput) onOutput(r.out, pid);
        }
    }
    if (open > 0) kill(pid, SIGKILL);
    for (const pollfd& f : fds)
        if (f.fd >= 0) close(f.fd);
    int status = 0;
    waitpid(pid, &status, 0);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> v;
    std::istringstream s(text);
    for (std::string l; std::getline(s, l);) v.push_back(l);
    return v;
}

class UpgradeCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        zv::SetTimeScale(kScale);
        std::vector<camsim::SimCamera> cams = camsim::MakeFleet(2, "123456");
        for (camsim::SimCamera& c : cams) {
            c.dhcp = 0;
            c.version = "48.3.16.25";
            c.restartMs = 3000;
        }
        cams[1].dhcp = 1;
        cams[1].dhcpNextIp = "127.0.10.88";
        for (camsim::SimCamera& c : cams) fleet.Add(c);
        responder = std::make_unique<camsim::DiscoveryResponder>(fleet);
        ASSERT_EQ(responder->Start(), 1);
        web = std::make_unique<camsim::WebServers>(fleet);
        ASSERT_TRUE(web->Start());
        catalogue = std::make_unique<camsim::CatalogueServer>(kCatalogueIp, 808);
        catalogue->AddEntry("48.3.16.25", "48.3.16.26", "dl.example.invalid", "/fw/26.bin", true);
        ASSERT_TRUE(catalogue->Start());

        char tmpl[] = "/tmp/zarvon-upg-hosts-XXXXXX";
        close(mkstemp(tmpl));
        hosts = tmpl;
        std::ofstream(hosts) << "127.0.0.1 localhost\n"
                             << kCatalogueIp << " " << CATALOGUE_HOST << "\n";
    }
    void TearDown() override {
        if (catalogue) catalogue->Stop();
        if (web) web->Stop();
        if (responder) responder->Stop();
        std::remove(hosts.c_str());
        for (const std::string& f : files) std::remove(f.c_str());
        zv::SetTimeScale(1);
    }
    camsim::SimCamera Cam(size_t i) {
        return fleet.With([&](std::vector<camsim::SimCamera>& c) { return c[i]; });
    }
    std::string Mac(size_t i) {
        camsim::SimCamera c = Cam(i);
        char buf[32];
        std::snprintf(buf, sizeof buf, "%02X:%02X:%02X:%02X:%02X:%02X", c.mac[0], c.mac[1],
                      c.mac[2], c.mac[3], c.mac[4], c.mac[5]);
        return buf;
    }
    // The statuses the log lines stand for, in order; every line must carry the time
    // stamp and one of the known texts.
    static std::vector<int> LogStatuses(const std::string& out) {
        static const std::regex stamp("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}: (.*)$");
        const std::pair<int, int> texts[] = {{-1, 188}, {10, 184}, {29, 185}, {31, 186},
                                             {28, 189}, {3, 124},  {32, 170}, {33, 171},
                                             {35, 173}, {36, 174}, {38, 176}, {30, 187}};
        std::vector<int> seen;
        for (const std::string& l : Lines(out)) {
            std::smatch m;
            EXPECT_TRUE(std::regex_match(l, m, stamp)) << l;
            int status = 999;
            for (auto [s, id] : texts)
                if (m.size() > 1 && m[1].str().rfind(En(id), 0) == 0) status = s;
            EXPECT_NE(status, 999) << l;
            seen.push_back(status);
        }
        return seen;
    }
    std::string MakeFile(size_t n, std::string& md5) {
        char tmpl[] = "/tmp/zarvon-upg-cli-XXXXXX";
        close(mkstemp(tmpl));
        std::string bytes(n, '\0');
        for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>(i * 7 + 3);
        std::ofstream(tmpl, std::ios::binary) << bytes;
        camsim::Md5 m;
        m.Update(bytes.data(), bytes.size());
        md5 = m.HexDigest();
        files.push_back(tmpl);
        return tmpl;
    }

    camsim::Fleet fleet;
    std::unique_ptr<camsim::DiscoveryResponder> responder;
    std::unique_ptr<camsim::WebServers> web;
    std::unique_ptr<camsim::CatalogueServer> catalogue;
    std::string hosts;
    std::vector<std::string> files;
};

TEST_F(UpgradeCliTest, OnlineUpgradeLogsEachStatusOnceAndSucceeds) {
    Result r = RunCli(Mac(0) + " --online", "", hosts);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    std::vector<int> seen = LogStatuses(r.out);
    // Once a second the log takes the status of that moment: the short statuses may
    // fall between two samples, the two-second ones and the restart wait never do.
    const std::vector<int> order = {-1, 10, 29, 31, 35, 36, 38};
    size_t at = 0;
    for (int s : seen) {
        while (at < order.size() && order[at] != s) ++at;
        EXPECT_LT(at, order.size()) << "status " << s << " out of order";
    }
    for (int must : {10, 29, 31, 36, 38})
        EXPECT_EQ(std::count(seen.begin(), seen.end(), must), 1) << must;
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 38);
    EXPECT_NE(r.out.find(En(185) + " 48.3.16.25"), std::string::npos);
    EXPECT_NE(r.out.find(En(186) + " 48.3.16.26"), std::string::npos);
    EXPECT_EQ(Cam(0).downloadOrders,
              (std::vector<std::string>{"server=dl.example.invalid&port=80&file=/fw/26.bin"}));
}

TEST_F(UpgradeCliTest, OnATerminalCountingLinesAreRewrittenInPlace) {
    Result r = RunCli(Mac(0) + " --online", "", hosts, nullptr, true);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    // The restart wait's line is written again every second after a carriage return,
    // its count growing; the line is ended once, before the next status's line.
    std::regex refresh("\r(\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}: )" +
                       std::regex_replace(En(174), std::regex("[.]"), "\\.") + "(\\d+)");
    std::vector<int> counts;
    for (auto it = std::sregex_iterator(r.out.begin(), r.out.end(), refresh);
         it != std::sregex_iterator(); ++it)
        counts.push_back(std::stoi((*it)[2].str()));
    ASSERT_GE(counts.size(), 20u) << r.out;
    for (size_t i = 1; i < counts.size(); ++i) EXPECT_GT(counts[i], counts[i - 1]);
    size_t last = r.out.rfind(En(174));
    size_t done = r.out.find(En(176));
    ASSERT_NE(done, std::string::npos);
    EXPECT_LT(last, done);
    EXPECT_EQ(std::count(r.out.begin() + static_cast<long>(last),
                         r.out.begin() + static_cast<long>(done), '\n'),
              1)
        << "one line end between the last refresh and the final line";
    EXPECT_EQ(r.out.find(En(188)), r.out.rfind(En(188))) << "a plain status is written once";
}

TEST_F(UpgradeCliTest, SameVersionAsksAndNoStopsWithCancel) {
    catalogue->AddEntry("48.3.16.25", "48.3.16.25", "dl.example.invalid", "/fw/25.bin", false);
    struct Case {
        std::string flags, answer;
        int exitCode;
        int last;
        bool asked;
    } cases[] = {
        {"", "n\n", 1, 28, true},
        {"", "", 1, 28, true},  // no answer at all counts as no
        {"", "yes\n", 0, 38, true},
        {" --yes", "", 0, 38, false},
    };
    for (const Case& c : cases) {
        fleet.With([](std::vector<camsim::SimCamera>& cams) {
            cams[0].downloadOrders.clear();
            cams[0].newVersion = "48.3.16.25";
            cams[0].version = "48.3.16.25";
        });
        Result r = RunCli(Mac(0) + " --online" + c.flags, c.answer, hosts);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.answer << r.out << r.err;
        std::vector<int> seen = LogStatuses(r.out);
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back(), c.last) << c.answer;
        EXPECT_EQ(r.err.find(En(190)) != std::string::npos, c.asked) << r.err;
        EXPECT_EQ(Cam(0).downloadOrders.size(), c.last == 38 ? 1u : 0u);
    }
}

TEST_F(UpgradeCliTest, FileUploadsAndDhcpFollow) {
    std::string md5;
    std::string file = MakeFile(100000, md5);
    struct Case {
        size_t cam;
        const char* flag;
        const char* cgi;
        int counting;
    } cases[] = {
        {0, "--web", "upgrade_htmls.cgi", 33},
        // The DHCP camera comes back at 127.0.10.88; the live list leads the job there.
        {1, "--system", "upgrade_firmware.cgi", 36},
    };
    for (const Case& c : cases) {
        Result r = RunCli(Mac(c.cam) + " " + c.flag + " '" + file + "'", "", hosts);
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        std::vector<int> seen = LogStatuses(r.out);
        EXPECT_EQ(std::count(seen.begin(), seen.end(), c.counting), 1)
            << "one line per status when not on a terminal";
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back(), 38);
        EXPECT_EQ(Cam(c.cam).uploadCgi, c.cgi);
        EXPECT_EQ(Cam(c.cam).uploadMd5, md5);
    }
    EXPECT_EQ(Cam(1).ip, "127.0.10.88");
}

TEST_F(UpgradeCliTest, FailuresExitOne) {
    Result wrong = RunCli(Mac(0) + " --online --user nobody", "", hosts);
    EXPECT_EQ(wrong.exitCode, 1);
    std::vector<int> seen = LogStatuses(wrong.out);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 3);

    catalogue->Stop();
    Result down = RunCli(Mac(0) + " --online", "", hosts);
    EXPECT_EQ(down.exitCode, 1);
    seen = LogStatuses(down.out);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 30);

    Result absent = RunCli("02:00:00:00:00:99 --online --seconds 3", "", hosts);
    EXPECT_EQ(absent.exitCode, 3) << absent.err;
    Result usage = RunCli(Mac(0) + " --online --web /tmp/x.bin", "", hosts);
    EXPECT_EQ(usage.exitCode, 2) << usage.err;
}

TEST_F(UpgradeCliTest, InterruptAbortsTheJobAndSaysSo) {
    bool sent = false;
    Result r = RunCli(Mac(0) + " --online", "", hosts, [&](const std::string& out, pid_t pid) {
        if (!sent && out.find(En(174)) != std::string::npos) {
            kill(pid, SIGINT);
            sent = true;
        }
    });
    EXPECT_TRUE(sent) << r.out;
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("upgrade aborted"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find(En(176)), std::string::npos) << "never reached the end";
}

}  // namespace
