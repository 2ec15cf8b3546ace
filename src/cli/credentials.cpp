#include "cli/credentials.h"

#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>

bool ReadStdinLine(std::string& strLine) {
    if (!std::getline(std::cin, strLine)) return false;
    while (!strLine.empty() && (strLine.back() == '\r' || strLine.back() == '\n'))
        strLine.pop_back();
    return true;
}

namespace {

termios g_savedTerminal{};

// Ctrl-C at the prompt must not leave the terminal without echo.
void RestoreAndDie(int nSignal) {
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_savedTerminal);
    std::signal(nSignal, SIG_DFL);
    std::raise(nSignal);
}

// Prompts on the terminal with echo off; the terminal's settings are put back after.
bool PromptWithoutEcho(std::string& strPwd) {
    termios old{};
    if (tcgetattr(STDIN_FILENO, &old) != 0) return false;
    g_savedTerminal = old;
    termios quiet = old;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    // Echo goes off before the prompt shows, so nothing typed after it can appear.
    if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) != 0) return false;
    auto oldInt = std::signal(SIGINT, RestoreAndDie);
    auto oldTerm = std::signal(SIGTERM, RestoreAndDie);
    std::fputs("Password: ", stderr);
    std::fflush(stderr);
    bool bOk = ReadStdinLine(strPwd);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
    std::signal(SIGINT, oldInt);
    std::signal(SIGTERM, oldTerm);
    std::fputs("\n", stderr);
    return bOk;
}

}  // namespace

int ReadPassword(bool bFromStdin, std::string& strPwd, std::string& strError) {
    if (bFromStdin) {
        if (ReadStdinLine(strPwd)) return 1;
        strError = "no password on standard input";
        return 0;
    }
    if (const char* env = std::getenv("ZARVON_PASSWORD")) {
        strPwd = env;
        return 1;
    }
    if (isatty(STDIN_FILENO) && PromptWithoutEcho(strPwd)) return 1;
    strError = "no password: give it with --password-stdin or ZARVON_PASSWORD";
    return 0;
}
