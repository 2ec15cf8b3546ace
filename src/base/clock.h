// Monotonic millisecond clocks and the one sleep through which every polling wait goes.
//
// Tests speed time up with SetTimeScale(k): the clocks then advance k times faster than
// real time and every Sleep is k times shorter, so a 45-second restart wait or the
// 2000 ms search rhythm keeps its specified steps and runs in a fraction of the time.
#pragma once
#include <cstdint>

namespace zv {

// Milliseconds since an arbitrary start, monotonic, 32 bits (wraps like a tick count).
uint32_t GetTickCount();
// The same clock with 64 bits, for code that must not wrap.
uint64_t TickCount64();
// Sleep for ms milliseconds of (possibly scaled) program time.
void Sleep(uint32_t ms);

// Time-scale factor for tests; 1 in the program. Values below 1 are taken as 1.
void SetTimeScale(double scale);
double TimeScale();

// Local wall-clock time, broken down; used for time stamps in logs.
struct LocalTime {
    int year, month, day, hour, minute, second;
};
LocalTime GetLocalTime();

}  // namespace zv
