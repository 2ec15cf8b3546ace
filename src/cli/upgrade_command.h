// zarvon-cli upgrade MAC (--online | --web FILE | --system FILE) [--yes]: runs the
// smart upgrade's job (online) or the manual upgrade's job (a local file) against one
// camera, printing the smart upgrade page's operation log once a second.
#pragma once
#include <string>

#include "cli/commands.h"

namespace CLI {
class App;
}

struct UpgradeCommandArgs {
    AdapterChoice adapter;
    std::string strMac;
    std::string strUser = "admin";
    bool bPasswordStdin = false;
    double dSeconds = 5;  // how long to look for the camera
    bool bOnline = false;
    std::string strWebFile;
    std::string strSysFile;
    bool bYes = false;      // reinstall the newest version without asking
    double dTimeScale = 1;  // hidden, for tests: runs every wait this many times faster
};

// Registers the "upgrade" subcommand on app; its options fill args.
CLI::App* AddUpgradeCommand(CLI::App& app, UpgradeCommandArgs& args);
// Runs it: 0 when the upgrade finished (status 38), 1 on any other end or an abort,
// 2-4 as the other commands for usage, camera-not-found and adapter errors.
int RunUpgradeCommand(const UpgradeCommandArgs& args);
