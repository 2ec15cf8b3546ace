#include "base/clock.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <mutex>
#include <thread>

namespace zv {
namespace {

using steady = std::chrono::steady_clock;

// Scaled time = base + (real - realBase) * scale; re-based on every scale change so the
// clock never jumps backwards.
struct ScaledClock {
    std::mutex mu;
    steady::time_point realBase = steady::now();
    double baseMs = 0;
    double scale = 1.0;
};

ScaledClock& Clock() {
    static ScaledClock c;
    return c;
}

std::atomic<double> g_scale{1.0};

double NowMs() {
    ScaledClock& c = Clock();
    std::lock_guard<std::mutex> lk(c.mu);
    std::chrono::duration<double, std::milli> real = steady::now() - c.realBase;
    return c.baseMs + real.count() * c.scale;
}

}  // namespace

uint64_t TickCount64() { return static_cast<uint64_t>(NowMs()); }

uint32_t GetTickCount() { return static_cast<uint32_t>(TickCount64()); }

void Sleep(uint32_t ms) {
    double real = ms / g_scale.load();
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(real));
}

void SetTimeScale(double scale) {
    if (!(scale >= 1.0)) scale = 1.0;
    ScaledClock& c = Clock();
    std::lock_guard<std::mutex> lk(c.mu);
    auto now = steady::now();
    std::chrono::duration<double, std::milli> real = now - c.realBase;
    c.baseMs += real.count() * c.scale;
    c.realBase = now;
    c.scale = scale;
    g_scale.store(scale);
}

double TimeScale() { return g_scale.load(); }

LocalTime GetLocalTime() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace zv
