// Thread message queues: a thread creates its queue and gets an id; any thread posts to
// that id without blocking; the owner takes messages without blocking (Peek) or with a
// bounded wait. Posting to an id that has no queue fails, as on the original platform.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/message.h"

namespace zv {

// Creates a queue for the calling thread and returns its id (never 0).
int32_t CreateThreadQueue();
// Removes the queue of id; messages still in it are handed to onDrop (may be null) so
// that heap blocks they carry are freed exactly once.
void DestroyThreadQueue(int32_t id, void (*onDrop)(const Message&) = nullptr);

// Posts to the queue of thread id; false when there is no such queue.
bool PostThreadMessage(int32_t id, uint32_t message, WPARAM wParam, LPARAM lParam);
// Takes the oldest message of queue id, if any; false when it is empty or missing.
bool PeekThreadMessage(int32_t id, Message& out);
// Like Peek, but waits up to ms (program time) for a message to arrive.
bool WaitThreadMessage(int32_t id, Message& out, uint32_t ms);
// How many messages wait in queue id (0 when missing).
size_t PendingThreadMessages(int32_t id);

}  // namespace zv
