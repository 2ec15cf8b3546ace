// The UI-side cost of one search pass over a large fleet: every camera's reply merged
// into the list, then one prune. The list keeps an index from (MAC, IP) to its row; the
// same pass over a list without it (walking every row for each reply) runs beside it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "base/fixed_field.h"
#include "camlist/camera_list.h"

namespace {

std::vector<CameraEntry> Fleet(size_t n) {
    std::vector<CameraEntry> v(n);
    for (size_t i = 0; i < n; ++i) {
        CameraEntry& e = v[i];
        e = CameraEntry{};
        const uint8_t mac[6] = {0x02,
                                0x5A,
                                0x56,
                                static_cast<uint8_t>(i >> 16),
                                static_cast<uint8_t>(i >> 8),
                                static_cast<uint8_t>(i)};
        std::memcpy(e.params.byMacAddr, mac, 6);
        char ip[16], name[32];
        std::snprintf(ip, sizeof ip, "127.%zu.%zu.%zu", (i >> 16) & 255, (i >> 8) & 255, i & 255);
        std::snprintf(name, sizeof name, "Camera %zu", i);
        zv::CopyToField(e.params.szIP, ip);
        zv::CopyUtf8ToField(e.params.szName, name);
        e.params.nHttpPort = 80;
        e.nMode = 1;
        e.bSeen = 1;
    }
    return v;
}

// One pass on a list that already holds the fleet: n merges that each find their row,
// then the prune that checks every row.
void SearchPass(benchmark::State& state, bool bUseIndex) {
    const size_t n = static_cast<size_t>(state.range(0));
    std::vector<CameraEntry> fleet = Fleet(n);
    CCameraList list(bUseIndex);
    for (const CameraEntry& e : fleet) list.AddCamera(e);
    for (auto _ : state) {
        for (const CameraEntry& e : fleet) benchmark::DoNotOptimize(list.AddCamera(e));
        PruneResult p = list.Prune();
        if (!p.vecChanges.empty() || list.Count() != static_cast<int>(n))
            state.SkipWithError("the pass changed rows");
    }
    state.counters["cameras"] = static_cast<double>(n);
}

// The first pass: every reply is a new camera (n inserts), then one prune.
void FirstPass(benchmark::State& state, bool bUseIndex) {
    const size_t n = static_cast<size_t>(state.range(0));
    std::vector<CameraEntry> fleet = Fleet(n);
    for (auto _ : state) {
        CCameraList list(bUseIndex);
        for (const CameraEntry& e : fleet) benchmark::DoNotOptimize(list.AddCamera(e));
        list.Prune();
        state.PauseTiming();
        list.Clear();  // the teardown is not part of a pass
        state.ResumeTiming();
    }
}

// A pass after which every second camera has fallen silent: n/2 merges, then the prune
// that drops the other half.
void HalfSilentPass(benchmark::State& state, bool bUseIndex) {
    const size_t n = static_cast<size_t>(state.range(0));
    std::vector<CameraEntry> fleet = Fleet(n);
    for (auto _ : state) {
        state.PauseTiming();
        CCameraList list(bUseIndex);
        for (const CameraEntry& e : fleet) list.AddCamera(e);
        list.Prune();
        state.ResumeTiming();
        for (size_t i = 0; i < n; i += 2) benchmark::DoNotOptimize(list.AddCamera(fleet[i]));
        PruneResult p = list.Prune();
        if (p.vecChanges.size() != n / 2) state.SkipWithError("expected half the rows deleted");
        state.PauseTiming();
        list.Clear();
        state.ResumeTiming();
    }
}

BENCHMARK_CAPTURE(SearchPass, index, true)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SearchPass, walk, false)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstPass, index, true)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstPass, walk, false)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HalfSilentPass, index, true)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HalfSilentPass, walk, false)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
