// Upload throughput: CCgiSock::SendCgiCmd_UpgradeFile against curl -F, alternating, to
// the same simulated camera in this process. Run inside a network namespace:
//   unshare -n sh -c 'ip link set lo up; bench_upload [MiB] [rounds]'
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "http/cgi_sock.h"
#include "web/web_servers.h"

namespace {

std::string MakeFile(size_t mib) {
    std::string path = "/tmp/zarvon-bench-upload.bin";
    std::ofstream out(path, std::ios::binary);
    std::string block(1 << 20, '\0');
    uint32_t x = 1;
    for (size_t i = 0; i < mib; ++i) {
        for (char& c : block) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    return path;
}

// Waits until the camera has restarted after an upload and serves again.
bool WaitServing(camsim::Fleet& fleet, int restartsBefore) {
    for (int i = 0; i < 2000; ++i) {
        bool back = fleet.With([&](std::vector<camsim::SimCamera>& v) {
            return v[0].restarts > restartsBefore && !v[0].silent;
        });
        if (back) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

int Restarts(camsim::Fleet& fleet) {
    return fleet.With([](std::vector<camsim::SimCamera>& v) { return v[0].restarts; });
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    camsim::Fleet fleet;
    camsim::SimCamera cam;
    cam.ip = "127.0.10.1";
    cam.httpPort = 80;
    cam.pwd = "123456";
    cam.restartMs = 0;
    fleet.Add(cam);
    camsim::WebServers web(fleet);
    if (!web.Start()) {
        std::fprintf(stderr, "cannot serve 127.0.10.1:80 (run inside unshare -n as root)\n");
        return 1;
    }
    std::string file = MakeFile(mib);
    const std::string url =
        "http://127.0.10.1/upgrade_firmware.cgi?user=admin&pwd=123456"
        "&loginuse=admin&loginpas=123456";
    const std::string curl = "curl -s -o /dev/null -H 'Expect:' -w '%{time_total}' -F 'file=@" +
                             file + "' '" + url + "'";
    std::vector<double> ours, theirs, ratios;
    for (int r = 0; r < rounds; ++r) {
        int before = Restarts(fleet);
        CCgiSock sock;
        auto t0 = std::chrono::steady_clock::now();
        int ok = sock.SendCgiCmd_UpgradeFile(url, 30, std::wstring(file.begin(), file.end()), L"");
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (!ok || sock.m_nRetVal != 0 || !WaitServing(fleet, before)) {
            std::fprintf(stderr, "CCgiSock upload failed: code %d\n", sock.m_nRetVal.load());
            return 1;
        }
        ours.push_back(mib / s);

        before = Restarts(fleet);
        FILE* p = popen(curl.c_str(), "r");
        char out[64] = {};
        size_t n = p ? std::fread(out, 1, sizeof out - 1, p) : 0;
        int rc = p ? pclose(p) : -1;
        double cs = n ? std::atof(out) : 0;
        if (rc != 0 || cs <= 0 || !WaitServing(fleet, before)) {
            std::fprintf(stderr, "curl upload failed (rc %d)\n", rc);
            return 1;
        }
        theirs.push_back(mib / cs);
        ratios.push_back(ours.back() / theirs.back());
        std::printf("round %d: CCgiSock %.1f MiB/s, curl %.1f MiB/s\n", r + 1, ours.back(),
                    theirs.back());
    }
    uint64_t size = fleet.With([](std::vector<camsim::SimCamera>& v) { return v[0].uploadSize; });
    double a = Median(ours), b = Median(theirs);
    std::printf("%zu MiB x %d rounds, camera saw %llu bytes last\n", mib, rounds,
                static_cast<unsigned long long>(size));
    // Pairs run back to back under the same load, so the median of the pair ratios is
    // the steadier figure on a busy machine.
    std::printf(
        "median: CCgiSock %.1f MiB/s, curl %.1f MiB/s, ratio of medians %.2f, "
        "median pair ratio %.2f\n",
        a, b, a / b, Median(ratios));
    std::remove(file.c_str());
    return 0;
}
