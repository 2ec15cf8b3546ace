// Helpers of the discovery tests: a guard that keeps socket tests inside a private
// network namespace, a callback collector and a recording window-message sink.
#pragma once
#include <gtest/gtest.h>
#include <net/if.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/message.h"
#include "discovery/camera_types.h"

namespace disc_test {

// True when loopback is the only interface, i.e. we run in our own network namespace.
inline bool OnlyLoopback() {
    struct if_nameindex* all = if_nameindex();
    if (!all) return false;
    bool only = true;
    for (struct if_nameindex* i = all; i->if_index != 0; ++i)
        if (std::strcmp(i->if_name, "lo") != 0) only = false;
    if_freenameindex(all);
    return only;
}

#define REQUIRE_NAMESPACE()                                                        \
    do {                                                                           \
        if (!disc_test::OnlyLoopback()) {                                          \
            GTEST_SKIP() << "needs a private network namespace: unshare -n sh -c " \
                            "'ip link set lo up; ...'";                            \
        }                                                                          \
    } while (0)

// Collects every callback of the engine.
struct Collector {
    std::mutex mu;
    std::condition_variable cv;
    std::vector<CameraEntry> found;
    std::vector<std::pair<int32_t, CameraParams>> others;

    static void Callback(int32_t ev, void* data, void* user) {
        auto* self = static_cast<Collector*>(user);
        std::lock_guard<std::mutex> lk(self->mu);
        if (ev == SEARCH_EVENT_FOUND)
            self->found.push_back(*static_cast<CameraEntry*>(data));
        else
            self->others.push_back({ev, *static_cast<CameraParams*>(data)});
        self->cv.notify_all();
    }
    // Waits (real time) until pred holds, at most ms.
    template <class P>
    bool WaitFor(P pred, int ms = 3000) {
        std::unique_lock<std::mutex> lk(mu);
        return cv.wait_for(lk, std::chrono::milliseconds(ms), [&] { return pred(*this); });
    }
    size_t Found() {
        std::lock_guard<std::mutex> lk(mu);
        return found.size();
    }
};

// Records window messages with the program time they arrived at.
struct RecordingSink : zv::IMessageSink {
    struct Item {
        uint32_t msg;
        zv::WPARAM w;
        uint32_t tick;
    };
    std::mutex mu;
    std::vector<Item> items;
    bool PostMessage(uint32_t m, zv::WPARAM w, zv::LPARAM) override {
        std::lock_guard<std::mutex> lk(mu);
        items.push_back({m, w, zv::GetTickCount()});
        return true;
    }
    std::vector<Item> Of(uint32_t m) {
        std::lock_guard<std::mutex> lk(mu);
        std::vector<Item> out;
        for (const Item& i : items)
            if (i.msg == m) out.push_back(i);
        return out;
    }
};

}  // namespace disc_test
