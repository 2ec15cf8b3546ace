#include "cli/upgrade_command.h"

#include <arpa/inet.h>
#include <poll.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <atomic>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <vector>

#include "base/clock.h"
#include "base/fixed_field.h"
#include "base/text_conv.h"
#include "camlist/camera_list.h"
#include "cli/cli_common.h"
#include "cli/credentials.h"
#include "cli/search_session.h"
#include "i18n/string_table.h"
#include "netinfo/net_card_info.h"
#include "upgrade/delay_func.h"
#include "upgrade/upgrade_handle.h"
#include "upgrade/upgrade_status.h"
#include "upgrade/upgrade_target.h"

namespace {

constexpr size_t kMaxFilePath = 255;  // what an upload request's path field holds

std::atomic<bool> g_bInterrupted{false};

void OnInterrupt(int) { g_bInterrupted = true; }

// Ctrl+C while the job runs: the main loop aborts the job instead of dying mid-request.
class InterruptGuard {
public:
    InterruptGuard() {
        g_bInterrupted = false;
        struct sigaction sa {};
        sa.sa_handler = OnInterrupt;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGINT, &sa, &m_old);
    }
    ~InterruptGuard() { sigaction(SIGINT, &m_old, nullptr); }

private:
    struct sigaction m_old {};
};

// One running job: the engine, the page-like once-a-second log, the DHCP follow.
class CUpgradeRun {
public:
    CUpgradeRun(CSearchSession& session, const UpgradeTarget& target, bool bYes)
        : m_session(session),
          m_jobTarget(target),
          m_bYes(bYes),
          m_bTerminal(isatty(STDOUT_FILENO) != 0) {}

    void Start(const UpgradeTask& task) {
        m_upgrade.m_nStatus = UPG_STATUS_START;
        m_upgrade.m_task = task;
        m_upgrade.SetTarget(m_jobTarget);
        m_upgrade.m_pfnConfirm = &CUpgradeRun::ConfirmReinstall;
        m_upgrade.m_pConfirmUser = this;
        m_upgrade.ClearStop();
        m_upgrade.InitUpgradeThread();
        m_timer.m_pfnTimer = &CUpgradeRun::ProcessTimer;
        m_timer.m_pTimerUser = this;
        m_timer.InitTimer(this);
        m_timer.SwitchOn();
    }

    // The order the pages stop a job in: timer first, then the worker.
    void Stop() {
        m_timer.SwitchOff();
        m_timer.ReleaseTimer();
        m_timer.m_pfnTimer = nullptr;
        m_timer.m_pTimerUser = nullptr;
        m_upgrade.m_pfnConfirm = nullptr;
        m_upgrade.m_pConfirmUser = nullptr;
        m_upgrade.AbortRequest();
        m_upgrade.ReleaseUpgradeThread();
        std::lock_guard<std::mutex> lk(m_outMu);
        EndInPlaceLine();
    }

    bool Finished() const { return m_bFinished; }
    int32_t FinalStatus() const { return m_nFinal; }

private:
    static int ProcessTimer(void* user) { return static_cast<CUpgradeRun*>(user)->OnTimer(); }
    static int ConfirmReinstall(void* user) { return static_cast<CUpgradeRun*>(user)->Ask(); }

    int OnTimer() {
        int32_t t = m_upgrade.AddTick();
        int32_t s = m_upgrade.m_nStatus;
        RefreshTarget();
        upg::StatusTextSpec spec = upg::SmartStatusText(s);
        std::wstring text = spec.nStringId ? LoadStrId(spec.nStringId) : std::wstring();
        text =
            upg::FormatStatusText(spec, text, s, t, m_upgrade.SysVersion(), m_upgrade.LatestName());
        AddLogLine(upg::LogTimeStamp() + text, s);
        if (spec.bGoOn) return 0;
        m_nFinal = s;
        m_bFinished = true;
        return 1;
    }

    // A DHCP camera may come back from its restart at another address: follow its MAC
    // through the live camera list.
    void RefreshTarget() {
        if (!m_jobTarget.bDhcp) return;
        std::wstring ip;
        int port = 0;
        if (!m_session.List().FindCameraByMac(zv::AnsiToWide(zv::FieldText(m_jobTarget.szMac)), ip,
                                              port))
            return;
        if (upg::UpdateTargetAddress(m_jobTarget, ip, port)) m_upgrade.SetTarget(m_jobTarget);
    }

    // One line per status; a counting status rewrites its line in place on a terminal.
    void AddLogLine(const std::wstring& line, int32_t s) {
        std::lock_guard<std::mutex> lk(m_outMu);
        bool bInPlace = m_bTerminal && upg::IsCountingStatus(s);
        if (m_bHaveLine && s == m_nLastStatus && !bInPlace) return;
        if (s != m_nLastStatus) EndInPlaceLine();
        std::string bytes = zv::WideToOem(line);
        if (bInPlace) {
            std::fprintf(stdout, "\r%s", bytes.c_str());
            m_bInPlaceOpen = true;
        } else {
            std::fprintf(stdout, "%s\n", bytes.c_str());
        }
        std::fflush(stdout);
        m_nLastStatus = s;
        m_bHaveLine = true;
    }

    void EndInPlaceLine() {
        if (!m_bInPlaceOpen) return;
        std::fputs("\n", stdout);
        std::fflush(stdout);
        m_bInPlaceOpen = false;
    }

    // Worker thread: 0 goes on with the upgrade, 1 stops it (status 28).
    int Ask() {
        if (m_bYes) return 0;
        std::fprintf(stderr, "%s [y/N] ", zv::WideToOem(LoadStrId(190)).c_str());
        std::fflush(stderr);
        std::string answer;
        if (!ReadAnswer(answer)) return 1;
        for (char& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return answer == "y" || answer == "yes" ? 0 : 1;
    }

    // Reads one line of standard input, giving up when the job is aborted meanwhile.
    bool ReadAnswer(std::string& line) {
        while (!g_bInterrupted && !m_upgrade.m_bExit) {
            if (std::cin.rdbuf()->in_avail() > 0) return ReadStdinLine(line);
            pollfd p{STDIN_FILENO, POLLIN, 0};
            int r = poll(&p, 1, 100);
            if (r > 0) return ReadStdinLine(line);
            if (r < 0 && errno != EINTR) return false;
        }
        return false;
    }

    CSearchSession& m_session;
    UpgradeTarget m_jobTarget;  // the timer thread's copy
    const bool m_bYes;
    const bool m_bTerminal;
    CUpgradeHandle m_upgrade;
    CDelayFunc m_timer;
    std::atomic<bool> m_bFinished{false};
    std::atomic<int32_t> m_nFinal{UPG_STATUS_START};

    std::mutex m_outMu;
    int32_t m_nLastStatus = 0;
    bool m_bHaveLine = false;
    bool m_bInPlaceOpen = false;
};

int CheckJobArgs(const UpgradeCommandArgs& a, std::wstring& strMac) {
    if (!NormaliseMac(a.strMac, strMac)) {
        PrintError("MAC must look like 00:1A:2B:3C:4D:5E, not \"" + a.strMac + "\"");
        return EXIT_USAGE;
    }
    int kinds =
        (a.bOnline ? 1 : 0) + (a.strWebFile.empty() ? 0 : 1) + (a.strSysFile.empty() ? 0 : 1);
    if (kinds != 1) {
        PrintError("give exactly one of --online, --web FILE, --system FILE");
        return EXIT_USAGE;
    }
    for (const std::string* f : {&a.strWebFile, &a.strSysFile})
        if (f->size() > kMaxFilePath) {
            PrintError("the firmware file's path is longer than " + std::to_string(kMaxFilePath) +
                       " bytes");
            return EXIT_USAGE;
        }
    return EXIT_DONE;
}

UpgradeTask MakeTask(const UpgradeCommandArgs& a, const CameraEntry& entry) {
    UpgradeTask task{};
    if (a.bOnline) {
        task.bSysFirmware = 1;
        task.nCheckMode = UPG_CHECK_ONLINE;
        task.nSysMethod = UPG_SYS_DOWNLOAD;
        zv::CopyToField(task.szVersionKey, zv::FieldText(entry.params.szVersion));
        return task;
    }
    task.bWebFirmware = a.strWebFile.empty() ? 0 : 1;
    task.bSysFirmware = a.strSysFile.empty() ? 0 : 1;
    zv::CopyToField(task.szWebFile, a.strWebFile);
    zv::CopyToField(task.szSysFile, a.strSysFile);
    task.nCheckMode = UPG_CHECK_NONE;
    task.nSysMethod = UPG_SYS_UPLOAD;
    return task;
}

}  // namespace

CLI::App* AddUpgradeCommand(CLI::App& app, UpgradeCommandArgs& args) {
    CLI::App* cmd =
        app.add_subcommand("upgrade", "upgrade a camera's firmware online or from a file");
    cmd->add_option("MAC", args.strMac, "the camera's MAC, e.g. 00:1A:2B:3C:4D:5E")->required();
    cmd->add_option("--adapter", args.adapter.nAdapter, "index in the adapter list (default 0)");
    cmd->add_option("--bind", args.adapter.strBind, "bind to this IPv4 address instead");
    cmd->add_option("--user", args.strUser, "camera account (default admin)");
    cmd->add_flag("--password-stdin", args.bPasswordStdin,
                  "read the password from the first line of standard input "
                  "(else ZARVON_PASSWORD, else a prompt)");
    cmd->add_option("--seconds", args.dSeconds, "how long to look for the camera (default 5)")
        ->check(CLI::Range(0.0, 86400.0));
    CLI::Option* online = cmd->add_flag("--online", args.bOnline,
                                        "fetch the newest system firmware from the catalogue");
    CLI::Option* web =
        cmd->add_option("--web", args.strWebFile, "upload this web UI firmware file");
    CLI::Option* sys =
        cmd->add_option("--system", args.strSysFile, "upload this system firmware file");
    online->excludes(web)->excludes(sys);
    web->excludes(sys);
    cmd->add_flag("--yes", args.bYes, "reinstall the newest version without asking");
    // For tests: every wait and time-out runs this many times faster.
    cmd->add_option("--time-scale", args.dTimeScale)->group("")->check(CLI::Range(1.0, 10000.0));
    return cmd;
}

int RunUpgradeCommand(const UpgradeCommandArgs& args) {
    std::wstring strMac;
    if (int rc = CheckJobArgs(args, strMac)) return rc;
    BoundAdapter bound;
    if (int rc = ResolveAdapter(args.adapter, bound)) return rc;
    std::string pwd, error;
    if (!ReadPassword(args.bPasswordStdin, pwd, error)) {
        PrintError(error);
        return EXIT_USAGE;
    }
    if (args.dTimeScale > 1) zv::SetTimeScale(args.dTimeScale);

    CSearchSession session;
    CameraEntry entry{};
    if (int rc = FindCamera(session, bound, args.dSeconds, strMac, entry)) return rc;
    UpgradeTarget target;
    if (!upg::FillUpgradeTarget(target, entry, zv::AnsiToWide(args.strUser), zv::AnsiToWide(pwd))) {
        PrintError("the account or the password is longer than 63 bytes");
        return EXIT_USAGE;
    }

    InterruptGuard guard;
    CUpgradeRun run(session, target, args.bYes);
    run.Start(MakeTask(args, entry));
    // The search keeps running so that the camera list stays live for the DHCP follow.
    while (!run.Finished() && !g_bInterrupted)
        session.Pump(1000, [&] { return run.Finished() || g_bInterrupted.load(); });
    bool bAborted = !run.Finished();
    run.Stop();
    if (bAborted) {
        PrintError("upgrade aborted; the camera may be left in the middle of an upgrade");
        return EXIT_FAILED;
    }
    return run.FinalStatus() == UPG_STATUS_DONE ? EXIT_DONE : EXIT_FAILED;
}
