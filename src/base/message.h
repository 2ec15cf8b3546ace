// Messages that threads post to each other and to windows: an id and two word-sized
// parameters, as the window system of the original platform carries them.
#pragma once
#include <cstdint>

namespace zv {

using WPARAM = uintptr_t;
using LPARAM = intptr_t;

struct Message {
    uint32_t message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Asks a thread's message loop to end.
constexpr uint32_t WM_QUIT = 0x0012;

// Receiver of window messages. The main window implements it by posting an event to its
// own UI thread; tests implement it with a queue they read. PostMessage never blocks and
// may be called from any thread; false means the message was not taken.
class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    virtual bool PostMessage(uint32_t message, WPARAM wParam, LPARAM lParam) = 0;
};

}  // namespace zv
