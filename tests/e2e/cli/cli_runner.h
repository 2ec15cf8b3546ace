// Runs zarvon-cli as a child process with a given environment and standard input, and
// collects its exit code and both outputs.
#pragma once
#include <string>
#include <vector>

struct CliRun {
    int nExit = -1;
    std::string strOut;
    std::string strErr;
};

// env entries are "NAME=value"; the child gets only these (and nothing else).
CliRun RunCli(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
              const std::string& strStdin = "");

// Runs zarvon-cli on a pseudo-terminal (its stdin, stdout and stderr), types strTyped
// once strPrompt has appeared, and returns everything the terminal showed.
CliRun RunCliOnTerminal(const std::vector<std::string>& args, const std::vector<std::string>& env,
                        const std::string& strPrompt, const std::string& strTyped);
