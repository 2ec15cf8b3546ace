#include "base/message_queue.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "base/clock.h"

namespace zv {
namespace {

struct Queue {
    std::mutex mu;
    std::condition_variable cv;
    std::deque<Message> items;
};

struct Registry {
    std::mutex mu;
    std::map<int32_t, std::shared_ptr<Queue>> queues;
    int32_t nextId = 1;
};

Registry& Reg() {
    static Registry r;
    return r;
}

std::shared_ptr<Queue> Find(int32_t id) {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lk(r.mu);
    auto it = r.queues.find(id);
    return it == r.queues.end() ? nullptr : it->second;
}

}  // namespace

int32_t CreateThreadQueue() {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lk(r.mu);
    int32_t id = r.nextId++;
    if (r.nextId <= 0) r.nextId = 1;
    r.queues[id] = std::make_shared<Queue>();
    return id;
}

void DestroyThreadQueue(int32_t id, void (*onDrop)(const Message&)) {
    std::shared_ptr<Queue> q;
    {
        Registry& r = Reg();
        std::lock_guard<std::mutex> lk(r.mu);
        auto it = r.queues.find(id);
        if (it == r.queues.end()) return;
        q = it->second;
        r.queues.erase(it);
    }
    std::deque<Message> left;
    {
        std::lock_guard<std::mutex> lk(q->mu);
        left.swap(q->items);
    }
    if (onDrop)
        for (const Message& m : left) onDrop(m);
}

bool PostThreadMessage(int32_t id, uint32_t message, WPARAM wParam, LPARAM lParam) {
    // The registry lock is held while the message goes in, so a concurrent Destroy either
    // sees it (and drops it through onDrop) or the post fails: never lost in between.
    Registry& r = Reg();
    std::lock_guard<std::mutex> lk(r.mu);
    auto it = r.queues.find(id);
    if (it == r.queues.end()) return false;
    Queue& q = *it->second;
    {
        std::lock_guard<std::mutex> qlk(q.mu);
        q.items.push_back({message, wParam, lParam});
    }
    q.cv.notify_one();
    return true;
}

bool PeekThreadMessage(int32_t id, Message& out) { return WaitThreadMessage(id, out, 0); }

bool WaitThreadMessage(int32_t id, Message& out, uint32_t ms) {
    std::shared_ptr<Queue> q = Find(id);
    if (!q) return false;
    std::unique_lock<std::mutex> lk(q->mu);
    if (q->items.empty() && ms > 0) {
        auto real = std::chrono::duration<double, std::milli>(ms / TimeScale());
        q->cv.wait_for(lk, real, [&] { return !q->items.empty(); });
    }
    if (q->items.empty()) return false;
    out = q->items.front();
    q->items.pop_front();
    return true;
}

size_t PendingThreadMessages(int32_t id) {
    std::shared_ptr<Queue> q = Find(id);
    if (!q) return 0;
    std::lock_guard<std::mutex> lk(q->mu);
    return q->items.size();
}

}  // namespace zv
