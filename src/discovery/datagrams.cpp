#include "discovery/datagrams.h"

#include <cstring>

#include "diag/trace.h"
#include "discovery/mode_class.h"

namespace {

void PutHeader(uint8_t* out, uint16_t command) {
    out[0] = static_cast<uint8_t>(DISCOVERY_MAGIC & 0xFF);
    out[1] = static_cast<uint8_t>(DISCOVERY_MAGIC >> 8);
    out[2] = static_cast<uint8_t>(command & 0xFF);
    out[3] = static_cast<uint8_t>(command >> 8);
}

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

int32_t Get32(const uint8_t* p) {
    uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
    return static_cast<int32_t>(v);
}

}  // namespace

size_t BuildSearchRequest(uint8_t (&out)[SEARCH_REQ_SIZE]) {
    PutHeader(out, CMD_SEARCH_REQ);
    return SEARCH_REQ_SIZE;
}

size_t BuildSetRequest(const CameraParams& params, uint8_t (&out)[SET_REQ_SIZE]) {
    PutHeader(out, CMD_SET_REQ);
    std::memcpy(out + 4, &params, sizeof params);
    return SET_REQ_SIZE;
}

int HandleReplyDatagram(const uint8_t* data, size_t len, SearchCallback cb, void* pUser) {
    if (len > DISCOVERY_RECV_BUFFER) {
        TraceOut("\n recvfrom nRet=%d", -1);
        return REPLY_RECV_ERROR;
    }
    uint8_t buf[DISCOVERY_RECV_BUFFER] = {};
    if (len > 0) std::memcpy(buf, data, len);

    if (Get16(buf) != DISCOVERY_MAGIC) {
        TraceOut("\n error 2");
        return REPLY_BAD_MAGIC;
    }
    switch (Get16(buf + 2)) {
        case CMD_SEARCH_RESP: {
            CameraEntry entry;
            std::memset(&entry, 0, sizeof entry);
            std::memcpy(&entry.params, buf + 4, sizeof entry.params);
            std::memcpy(&entry.extra, buf + 4 + sizeof entry.params, sizeof entry.extra);
            entry.bSeen = 1;
            entry.nMode = ModeClassOf(entry.params.szVersion, sizeof entry.params.szVersion);
            if (cb) cb(SEARCH_EVENT_FOUND, &entry, pUser);
            break;
        }
        case CMD_SET_RESP: {
            CameraParams params;
            std::memcpy(&params, buf + 4, sizeof params);
            int32_t result = Get32(buf + 4 + sizeof params);
            // Event 4 means "camera found" to every receiver, which would read this
            // 320-byte block as a whole CameraEntry: such a reply is dropped here.
            if (result == SEARCH_EVENT_FOUND) {
                TraceOut("\n set reply result 4 dropped");
                break;
            }
            if (cb) cb(result, &params, pUser);
            break;
        }
        default:
            break;
    }
    return REPLY_HANDLED;
}
