// camsim: a fleet of simulated cameras on loopback addresses, answering the discovery
// protocol on UDP port 8600 and the camera CGI pages on each camera's own web server,
// optionally with a firmware catalogue server, until SIGINT/SIGTERM or --seconds.
#include <arpa/inet.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <thread>

#include "camsim/discovery_responder.h"
#include "camsim/fleet.h"
#include "web/catalogue_server.h"
#include "web/web_servers.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Simulated network cameras (discovery side) on loopback addresses"};
    size_t count = 5;
    std::string base = "127.0.10.1";
    std::string pwd = "123456";
    std::string bind = "0.0.0.0";
    int port = DISCOVERY_CAMERA_PORT;
    int delayMs = 0, spreadMs = 0, silent = 0;
    double seconds = 0;
    bool quiet = false;
    bool noWeb = false;
    std::string catalogue;
    camsim::ResponderFaults faults;
    app.add_option("--count", count, "number of cameras")->check(CLI::Range(1, 60000));
    app.add_option("--base", base, "address of the first camera (then counting up)");
    app.add_option("--password", pwd, "password of every camera's admin account");
    app.add_option("--bind", bind, "address the responder listens on");
    app.add_option("--port", port, "discovery port")->check(CLI::Range(1, 65535));
    app.add_option("--delay-ms", delayMs, "every camera waits this long before answering");
    app.add_option("--spread-ms", spreadMs, "camera i waits a further i*spread/count ms");
    app.add_option("--silent", silent, "the last N cameras answer nothing");
    app.add_option("--seconds", seconds, "run this long, then exit (0: until a signal)");
    app.add_option("--foreign-magic", faults.foreignMagic,
                   "datagrams with a wrong magic per search");
    app.add_option("--unknown-command", faults.unknownCommand,
                   "datagrams with an unknown command per search");
    app.add_option("--short", faults.shortReplies, "40-byte search replies per search");
    app.add_option("--zero-length", faults.zeroLength, "empty datagrams per search");
    app.add_option("--garbage", faults.garbage, "random datagrams per search");
    app.add_flag("--quiet", quiet, "do not list the cameras");
    app.add_flag("--no-web", noWeb, "no camera web servers (discovery only)");
    app.add_option("--catalogue", catalogue,
                   "also serve the firmware catalogue on this address, port 808");
    CLI11_PARSE(app, argc, argv);

    std::vector<camsim::SimCamera> cams = camsim::MakeFleet(count, pwd);
    in_addr first{};
    if (inet_pton(AF_INET, base.c_str(), &first) != 1) {
        std::fprintf(stderr, "camsim: bad --base address %s\n", base.c_str());
        return 2;
    }
    camsim::Fleet fleet;
    for (size_t i = 0; i < cams.size(); ++i) {
        camsim::SimCamera& c = cams[i];
        if (base != "127.0.10.1") {
            in_addr a{htonl(ntohl(first.s_addr) + static_cast<uint32_t>(i))};
            char buf[INET_ADDRSTRLEN];
            c.ip = inet_ntop(AF_INET, &a, buf, sizeof buf);
        }
        c.replyDelayMs = delayMs + (count ? static_cast<int>(i * spreadMs / count) : 0);
        c.silent = i + static_cast<size_t>(silent) >= cams.size();
        if (!quiet)
            std::printf("%-15s %02X:%02X:%02X:%02X:%02X:%02X %-20s %-12s port %u %s  %s\n",
                        c.ip.c_str(), c.mac[0], c.mac[1], c.mac[2], c.mac[3], c.mac[4], c.mac[5],
                        c.uid.c_str(), c.version.c_str(), c.httpPort, c.dhcp ? "DHCP " : "fixed",
                        c.name.c_str());
        fleet.Add(std::move(c));
    }

    camsim::DiscoveryResponder responder(fleet);
    responder.SetFaults(faults);
    if (!responder.Start(bind, static_cast<uint16_t>(port))) {
        std::fprintf(stderr, "camsim: cannot bind %s:%d\n", bind.c_str(), port);
        return 1;
    }
    camsim::WebServers web(fleet);
    if (!noWeb && !web.Start())
        std::fprintf(stderr, "camsim: some camera web servers could not start\n");
    camsim::CatalogueServer cat(catalogue);
    if (!catalogue.empty()) {
        cat.AddFleet(fleet);
        if (!cat.Start()) {
            std::fprintf(stderr, "camsim: cannot serve the catalogue on %s:808\n",
                         catalogue.c_str());
            return 1;
        }
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::printf("camsim: %zu cameras answering on %s:%d\n", count, bind.c_str(), port);
    std::fflush(stdout);

    auto start = std::chrono::steady_clock::now();
    while (!g_stop) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (seconds > 0 &&
            std::chrono::steady_clock::now() - start >= std::chrono::duration<double>(seconds))
            break;
    }
    cat.Stop();
    web.Stop();
    responder.Stop();
    std::printf(
        "camsim: %llu searches, %llu settings requests, %llu replies sent, %llu send errors\n",
        static_cast<unsigned long long>(responder.SearchRequests()),
        static_cast<unsigned long long>(responder.SetRequests()),
        static_cast<unsigned long long>(responder.RepliesSent()),
        static_cast<unsigned long long>(responder.SendErrors()));
    return 0;
}
