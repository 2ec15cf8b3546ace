// The program's own cross-thread messages (values fixed; cameras never see them).
#pragma once
#include <cstdint>

constexpr uint32_t WM_SEARCH_NOW = 0x7E9;         // thread message: main window -> scheduler
constexpr uint32_t WM_SEARCH_PRUNE = 0x7EA;       // window message: scheduler -> main window
constexpr uint32_t WM_SEARCH_RESULT = 0x7EB;      // window message: scheduler/callback -> main window
constexpr uint32_t WM_SEND_SETTINGS = 0x7EC;      // thread message: main window -> scheduler
constexpr uint32_t WM_MANUAL_UPGD_CLOSE = 0x7FA;  // window message: timer -> manual upgrade dialog
constexpr uint32_t WM_SMART_UPGD_CLOSE = 0x7FB;   // window message: timer -> smart upgrade page
