// zarvon-cli: the scriptable front end of the camera tool. The same core as the window:
// adapter list, search engine and scheduler, camera list, settings requests.
#include <CLI/CLI.hpp>
#include <clocale>

#include "cli/commands.h"
#include "cli/upgrade_command.h"
#include "i18n/string_table.h"

namespace {

void AddAdapterOptions(CLI::App* cmd, AdapterChoice& choice) {
    cmd->add_option("--adapter", choice.nAdapter, "index in the adapter list (default 0)");
    cmd->add_option("--bind", choice.strBind, "bind to this IPv4 address instead");
}

void AddSearchOptions(CLI::App* cmd, SearchOptions& opt, bool bJson) {
    AddAdapterOptions(cmd, opt.adapter);
    cmd->add_option("--seconds", opt.dSeconds, "how long to search (default 5)")
        ->check(CLI::Range(0.0, 86400.0));
    if (bJson) cmd->add_flag("--json", opt.bJson, "print a JSON array");
}

void AddCredentialOptions(CLI::App* cmd, SetOptions& opt) {
    AddAdapterOptions(cmd, opt.adapter);
    cmd->add_option("MAC", opt.strMac, "the camera's MAC, e.g. 00:1A:2B:3C:4D:5E")->required();
    cmd->add_option("--user", opt.strUser, "camera account (default admin)");
    cmd->add_flag("--password-stdin", opt.bPasswordStdin,
                  "read the password from a line of standard input (for onekey without "
                  "--yes, the line after the answer); else ZARVON_PASSWORD, else a prompt");
    cmd->add_option("--seconds", opt.dSeconds, "how long to look for the camera (default 5)")
        ->check(CLI::Range(0.0, 86400.0));
    cmd->add_option("--timeout", opt.dTimeout, "how long to wait for its answer (default 5)")
        ->check(CLI::Range(0.0, 86400.0));
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    ChooseStartupLanguage();

    CLI::App app{"Finds the network cameras on an adapter's network and changes their settings."};
    app.require_subcommand(1);

    bool bAdaptersJson = false;
    CLI::App* adapters = app.add_subcommand("adapters", "list the network adapters");
    adapters->add_flag("--json", bAdaptersJson, "print a JSON array");

    SearchOptions search;
    CLI::App* searchCmd = app.add_subcommand("search", "search and print the cameras found");
    AddSearchOptions(searchCmd, search, true);

    SearchOptions exportOpt;
    std::string strFile;
    CLI::App* exportCmd = app.add_subcommand("export", "search and write the list to FILE");
    exportCmd->add_option("FILE", strFile, "file to create or overwrite")->required();
    AddSearchOptions(exportCmd, exportOpt, false);

    SetOptions set;
    CLI::App* setCmd = app.add_subcommand("set", "change a camera's network settings");
    AddCredentialOptions(setCmd, set);
    setCmd->add_option("--name", set.name, "camera name");
    setCmd->add_option("--port", set.port, "HTTP port")->check(CLI::Range(1, 65535));
    setCmd->add_option("--dhcp", set.dhcp, "1 DHCP, 0 fixed address")->check(CLI::Range(0, 1));
    setCmd->add_option("--ip", set.ip, "address");
    setCmd->add_option("--mask", set.mask, "subnet mask");
    setCmd->add_option("--gateway", set.gateway, "gateway");
    setCmd->add_option("--dns1", set.dns1, "primary DNS server");
    setCmd->add_option("--dns2", set.dns2, "secondary DNS server");

    SetOptions onekey;
    CLI::App* onekeyCmd =
        app.add_subcommand("onekey", "move a camera into the adapter's network (One Key Set)");
    AddCredentialOptions(onekeyCmd, onekey);
    onekeyCmd->add_flag("--yes", onekey.bYes, "do not ask for confirmation");

    UpgradeCommandArgs upgrade;
    CLI::App* upgradeCmd = AddUpgradeCommand(app, upgrade);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        PrintError(e.what());
        return EXIT_USAGE;
    }

    if (adapters->parsed()) return CmdAdapters(bAdaptersJson);
    if (searchCmd->parsed()) return CmdSearch(search);
    if (exportCmd->parsed()) return CmdExport(exportOpt, strFile);
    if (setCmd->parsed()) return CmdSet(set);
    if (onekeyCmd->parsed()) return CmdOneKey(onekey);
    if (upgradeCmd->parsed()) return RunUpgradeCommand(upgrade);
    return EXIT_USAGE;
}
