// The main window's inbox: the messages the scheduler and the search callback post,
// kept in arrival order until the UI thread handles them. It owns the camera block a
// found-camera message carries, so the block is freed exactly once, handled or not.
//
// The window drains it in short slices (one Qt event per slice), so a burst of thousands
// of replies never keeps the event loop from timers, input and repaints for long, and a
// prune is never handled before the cameras that arrived ahead of it.
#pragma once
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "base/message.h"
#include "discovery/camera_types.h"

struct SinkMessage {
    uint32_t message = 0;
    zv::WPARAM wParam = 0;
    std::unique_ptr<CameraEntry> pBlock;  // set for WM_SEARCH_RESULT 4
};

class CSinkQueue {
public:
    // Any thread. Takes the message (and its block, if any). True when no drain is
    // pending: the caller then posts one.
    bool Push(SinkMessage msg);
    // UI thread, at the start of a drain: pushes from now on ask for a new drain.
    void BeginDrain();
    // UI thread: the oldest message; false when empty.
    bool Pop(SinkMessage& out);
    // UI thread, when a drain stops early: true when messages remain and no drain is
    // pending (the caller then posts one).
    bool NeedsDrain();
    // Drops (and frees) the messages pred picks.
    void RemoveIf(const std::function<bool(const SinkMessage&)>& pred);
    size_t Size();

private:
    std::mutex m_mu;
    std::deque<SinkMessage> m_queue;
    bool m_bDrainPending = false;
};
