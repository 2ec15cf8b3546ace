// zarvon-cli with only its upgrade command, wired exactly as the full command line
// wires it, so the end-to-end test runs the command as users get it.
#include <CLI/CLI.hpp>
#include <clocale>

#include "cli/upgrade_command.h"
#include "i18n/string_table.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    ChooseStartupLanguage();
    CLI::App app{"zarvon-cli (upgrade only)"};
    app.require_subcommand(1);
    UpgradeCommandArgs upgrade;
    CLI::App* upgradeCmd = AddUpgradeCommand(app, upgrade);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        PrintError(e.what());
        return EXIT_USAGE;
    }
    if (upgradeCmd->parsed()) return RunUpgradeCommand(upgrade);
    return EXIT_USAGE;
}
