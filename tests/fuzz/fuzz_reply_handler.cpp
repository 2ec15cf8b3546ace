// Fuzzes the discovery reply handler with arbitrary datagrams, and the mode class with
// arbitrary version texts; the callback checks what every receiver relies on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "discovery/datagrams.h"
#include "discovery/mode_class.h"

namespace {

struct Input {
    const uint8_t* data;
    size_t size;
};

// The byte at offset off of the datagram as the handler must see it: zero past the end.
uint8_t At(const Input& in, size_t off) { return off < in.size ? in.data[off] : 0; }

void Check(int32_t ev, void* pData, void* pUser) {
    const Input& in = *static_cast<const Input*>(pUser);
    if (!pData) abort();
    if (ev == SEARCH_EVENT_FOUND) {
        const auto* e = static_cast<const CameraEntry*>(pData);
        if (At(in, 2) != 0x01 || At(in, 3) != 0x08) abort();  // only a search reply
        if (e->bSeen != 1 || e->nMode < 1 || e->nMode > 5) abort();
        const auto* p = reinterpret_cast<const uint8_t*>(&e->params);
        for (size_t i = 0; i < sizeof e->params; ++i)
            if (p[i] != At(in, 4 + i)) abort();
        const auto* x = reinterpret_cast<const uint8_t*>(&e->extra);
        for (size_t i = 0; i < sizeof e->extra; ++i)
            if (x[i] != At(in, 324 + i)) abort();
    } else {
        if (At(in, 2) != 0x02 || At(in, 3) != 0x08) abort();  // only a settings reply
        int32_t code = static_cast<int32_t>(At(in, 324) | (At(in, 325) << 8) | (At(in, 326) << 16) |
                                            (uint32_t{At(in, 327)} << 24));
        if (code != ev) abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    int r = HandleReplyDatagram(data, size, Check, &in);
    if (r != REPLY_HANDLED && r != REPLY_BAD_MAGIC && r != REPLY_RECV_ERROR) abort();
    if (size > DISCOVERY_RECV_BUFFER && r != REPLY_RECV_ERROR) abort();

    int m = ModeClassOf(reinterpret_cast<const char*>(data), size);
    if (m < 1 || m > 5) abort();
    return 0;
}
