// The trace channel: printf-style diagnostic lines handed to an outside viewer, if one
// is listening. The viewer is a process bound to one of two well-known UNIX datagram
// socket names, tried in order; the first that takes the line gets it, and with none
// listening the line is dropped at once. Lines are 8-bit text, cut at 1023 bytes.
//
// Each datagram is: the tag 0x6E697774 (little-endian, the bytes "twin"), the byte count
// (32-bit little-endian), then the bytes of the line without a terminating zero.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

constexpr uint32_t TRACE_COPYDATA_TAG = 0x6E697774;
constexpr size_t TRACE_MAX_TEXT = 1023;

// The two viewer names, in the order they are tried.
constexpr const char* TRACE_VIEWER_PRIMARY = "TraceWin TRACE Window";
constexpr const char* TRACE_VIEWER_SECONDARY = "MfxTraceWindow";

void TraceOut(const char* format, ...) __attribute__((format(printf, 1, 2)));

namespace zv {

// Folder holding the viewers' sockets ("/tmp/.zarvon-trace" unless changed; tests point
// it at a folder of their own).
void SetTraceDirectory(const std::string& dir);
std::string TraceDirectory();
// Full socket path of a viewer name.
std::string TraceSocketPath(const char* viewerName);

}  // namespace zv
