// bench_discovery: figures of the discovery engine on loopback. Run it inside a private
// network namespace:  unshare -n sh -c 'ip link set lo up; bench_discovery'
//
// 1. N simulated cameras answer one search, their replies spread over 10 ms: the time
//    until the last reply reached the callback, and how many were lost.
// 2. CPU use of the process over a stretch of searching with no camera answering: the
//    real scheduler and listener, then a copy of the 300 us sliced wait for comparison.
#include <sys/resource.h>
#include <sys/select.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "base/message.h"
#include "camsim/discovery_responder.h"
#include "camsim/fleet.h"
#include "discovery/datagrams.h"
#include "discovery/search_engine.h"
#include "discovery/search_scheduler.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Counter {
    std::atomic<size_t> n{0};
    std::atomic<int64_t> lastNs{0};
    static void Callback(int32_t ev, void*, void* user) {
        if (ev != SEARCH_EVENT_FOUND) return;
        auto* c = static_cast<Counter*>(user);
        c->lastNs = Clock::now().time_since_epoch().count();
        ++c->n;
    }
};

double CpuSeconds() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

void BenchReplies(size_t n, int rounds, int rcvbuf) {
    camsim::Fleet fleet;
    std::vector<camsim::SimCamera> cams = camsim::MakeFleet(n);
    for (size_t i = 0; i < cams.size(); ++i) {
        cams[i].replyDelayMs = static_cast<int>(i * 10 / n);  // all within 10 ms
        fleet.Add(std::move(cams[i]));
    }
    camsim::DiscoveryResponder responder(fleet);
    if (!responder.Start()) {
        std::printf("cannot bind port 8600\n");
        std::exit(1);
    }
    COstrel engine;
    Counter counter;
    engine.m_nRecvBufferBytes = rcvbuf;
    engine.SetBindIPAddr(L"127.0.0.1");
    engine.OpenListenThread(Counter::Callback, &counter);

    std::vector<double> ms;
    size_t lostTotal = 0, lostMax = 0;
    for (int r = 0; r < rounds; ++r) {
        counter.n = 0;
        auto t0 = Clock::now();
        if (engine.SearchOnce() != 0) {
            std::printf("search failed\n");
            std::exit(1);
        }
        // Wait for all, or until nothing has come for 500 ms.
        auto quietSince = Clock::now();
        size_t seen = 0;
        while (counter.n < n && Clock::now() - quietSince < std::chrono::milliseconds(500)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (counter.n != seen) seen = counter.n, quietSince = Clock::now();
        }
        size_t got = counter.n;
        size_t lost = n - std::min(n, got);
        lostTotal += lost;
        lostMax = std::max(lostMax, lost);
        ms.push_back((counter.lastNs - t0.time_since_epoch().count()) / 1e6);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    engine.CloseListenThread();
    responder.Stop();
    std::sort(ms.begin(), ms.end());
    std::printf(
        "%6zu cameras, %2d MiB: last reply after median %7.2f ms (min %7.2f, max %7.2f) over %d "
        "searches; "
        "lost %zu in all, at most %zu in one search; responder send errors %llu\n",
        n, rcvbuf >> 20, ms[ms.size() / 2], ms.front(), ms.back(), rounds, lostTotal, lostMax,
        static_cast<unsigned long long>(responder.SendErrors()));
}

struct NullSink : zv::IMessageSink {
    bool PostMessage(uint32_t, zv::WPARAM, zv::LPARAM) override { return true; }
};

// The listener as first laid out: select() on the socket in 300 us slices. Kept here
// only to show what the blocking wait saves.
void SlicedListener(COstrel* e, std::atomic<bool>* stop) {
    timeval tv{0, 300};
    while (!*stop) {
        if (e->m_bSockInit == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        zv::socket_t s = e->m_fdRead;
        if (s == zv::kNoSocket) continue;
        fd_set work;
        FD_ZERO(&work);
        FD_SET(s, &work);
        timeval t = tv;
        int r = select(s + 1, &work, nullptr, nullptr, &t);
        if (r <= 0 || !FD_ISSET(s, &work)) continue;
        int pending = 0;
        ioctl(s, FIONREAD, &pending);
        if (pending != 0) {
            uint8_t buf[DISCOVERY_RECV_BUFFER] = {};
            ssize_t n = recv(s, buf, sizeof buf, MSG_DONTWAIT);
            if (n >= 0) HandleReplyDatagram(buf, static_cast<size_t>(n), nullptr, nullptr);
        }
    }
}

double IdleCpu(bool sliced, double seconds) {
    COstrel engine;
    CUpdateThread sched;
    NullSink sink;
    std::atomic<bool> stop{false};
    std::thread slicer;
    engine.SetBindIPAddr(L"127.0.0.1");
    if (sliced)
        slicer = std::thread(SlicedListener, &engine, &stop);
    else
        engine.OpenListenThread(nullptr, nullptr);
    double c0 = CpuSeconds();
    auto t0 = Clock::now();
    sched.Start(&sink, &engine);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    sched.ReleaseUpdateThread();
    double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    double cpu = CpuSeconds() - c0;
    stop = true;
    if (sliced) {
        slicer.join();
        engine.uninitsocket();
    }
    engine.CloseListenThread();
    return 100.0 * cpu / wall;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 10;
    int rounds = 20;
    std::vector<size_t> sizes = {1, 100, 1000, 10000};
    std::vector<int> buffers = {COstrel::kRecvBufferBytes};
    bool compare = true;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--seconds" && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else if (a == "--rounds" && i + 1 < argc)
            rounds = std::atoi(argv[++i]);
        else if (a == "--count" && i + 1 < argc)
            sizes = {static_cast<size_t>(std::atol(argv[++i]))};
        else if (a == "--rcvbuf-mib" && i + 1 < argc)
            buffers = {std::atoi(argv[++i]) << 20}, compare = false;
        else {
            std::printf(
                "usage: bench_discovery [--count N] [--rcvbuf-mib M] [--rounds R] [--seconds S]\n");
            return 2;
        }
    }
    std::printf("Replies to one search, cameras answering within 10 ms (engine default %d MiB):\n",
                COstrel::kRecvBufferBytes >> 20);
    for (int b : buffers)
        for (size_t n : sizes) BenchReplies(n, rounds, b);
    // For comparison: the largest fleet with twice the buffer.
    if (compare && sizes.back() >= 10000)
        BenchReplies(sizes.back(), rounds, 2 * COstrel::kRecvBufferBytes);
    if (seconds <= 0) return 0;
    std::printf("CPU of the process while searching every 2 s with no camera, %.0f s each:\n",
                seconds);
    std::printf("  blocking wait (scheduler + listener): %6.3f %% of a core\n",
                IdleCpu(false, seconds));
    std::printf("  300 us sliced wait (same scheduler):  %6.3f %% of a core\n",
                IdleCpu(true, seconds));
    return 0;
}
