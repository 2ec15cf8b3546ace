// The commands of zarvon-cli. Each returns the process's exit code.
#pragma once
#include <optional>
#include <string>

constexpr int EXIT_DONE = 0;
constexpr int EXIT_FAILED = 1;  // refused or failed
constexpr int EXIT_USAGE = 2;
constexpr int EXIT_NOT_FOUND = 3;  // camera not found
constexpr int EXIT_NO_ADAPTER = 4;

// The adapter every command binds to.
struct AdapterChoice {
    int nAdapter = 0;
    std::string strBind;  // an IPv4 address; overrides nAdapter when set
};

struct SearchOptions {
    AdapterChoice adapter;
    double dSeconds = 5;
    bool bJson = false;
};

// Fields of a settings request; an empty optional keeps the camera's own value.
struct SetOptions {
    AdapterChoice adapter;
    std::string strMac;
    std::optional<std::string> name, ip, mask, gateway, dns1, dns2;
    std::optional<int> port, dhcp;
    std::string strUser = "admin";
    bool bPasswordStdin = false;
    bool bYes = false;    // onekey: no confirmation
    double dSeconds = 5;  // how long to look for the camera
    double dTimeout = 5;  // how long to wait for its answer
};

int CmdAdapters(bool bJson);
int CmdSearch(const SearchOptions& opt);
int CmdExport(const SearchOptions& opt, const std::string& strFile);
int CmdSet(const SetOptions& opt);
int CmdOneKey(const SetOptions& opt);

// One error line on stderr: "zarvon-cli: <text>".
void PrintError(const std::string& strText);
void PrintError(const std::wstring& strText);
