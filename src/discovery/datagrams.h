// Building the two requests of the discovery protocol and handling one received reply.
// Nothing here touches a socket, so tests and the fuzzer drive it with plain buffers.
#pragma once
#include <cstddef>
#include <cstdint>

#include "discovery/camera_types.h"

// Writes the 4-byte search request into out; returns SEARCH_REQ_SIZE.
size_t BuildSearchRequest(uint8_t (&out)[SEARCH_REQ_SIZE]);
// Writes the 324-byte settings request carrying params unchanged; returns SET_REQ_SIZE.
size_t BuildSetRequest(const CameraParams& params, uint8_t (&out)[SET_REQ_SIZE]);

// Reply handler results.
constexpr int REPLY_HANDLED = 0;     // handled, ignored or deliberately dropped
constexpr int REPLY_RECV_ERROR = 1;  // the receive failed (socket side only)
constexpr int REPLY_BAD_MAGIC = 2;   // not a discovery datagram

// Handles one received datagram of len bytes. It is read as if received into a
// zero-filled 1024-byte buffer: bytes a short datagram lacks read as zero; more than
// 1024 bytes are not a datagram the engine accepts (REPLY_RECV_ERROR).
// A search reply reaches cb as SEARCH_EVENT_FOUND with a CameraEntry; a settings reply
// with its result code and its CameraParams, except result code 4, which would be taken
// for a found camera and is dropped. cb may be null.
int HandleReplyDatagram(const uint8_t* data, size_t len, SearchCallback cb, void* pUser);
