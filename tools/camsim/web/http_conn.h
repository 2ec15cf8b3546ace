// Server side of one HTTP/1.x exchange: reading a request head and its body, and
// writing a reply, optionally in one of the faulty ways a camera may answer.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace camsim {

// Ways a simulated server can misbehave (SimCamera::webFault, CatalogueServer::SetFault).
enum WebFault {
    kFaultNone = 0,
    kFaultShortReply,     // the reply is cut to its first shortBytes (164) bytes
    kFaultNoLength,       // no Content-Length header; the connection end marks the body end
    kFaultChunked,        // reply in several pieces with a pause before each further one
    kFaultLargeBody,      // body padded past 10 KiB
    kFaultRefuse,         // no listener: connections refused
    kFaultSilent,         // request read, then no answer at all
    kFaultCloseMidReply,  // header and half of the body, then the connection closes
};

struct FaultSpec {
    int fault = kFaultNone;
    int chunks = 3;
    int delayMs = 100;
    int shortBytes = 164;  // length a kFaultShortReply reply is cut to
};

struct HttpRequest {
    std::string method;
    std::string path;                            // without the query
    std::string query;                           // after "?", as sent
    std::map<std::string, std::string> headers;  // names in lower case
    std::string pending;                         // body bytes that arrived with the head
};

// Reads the request head (up to 16 KiB). False when the peer closed or sent garbage.
bool ReadRequestHead(int fd, HttpRequest& req);
// Hands exactly n body bytes to sink in pieces; false when the peer ended early.
bool ReadBody(int fd, HttpRequest& req, uint64_t n,
              const std::function<void(const char*, size_t)>& sink);
// "a=1&b=2" into a map. %XX is decoded as a camera's web server does; a "%" that does
// not start two hex digits stays as it is, so that unencoded texts still arrive whole.
std::map<std::string, std::string> ParseQuery(std::string_view query);
std::string PercentDecode(std::string_view text);

// Writes a complete reply; status 200 or 404. Waits (in steps, ending on stop) where the
// fault asks for pauses. A silent fault returns at once without writing.
void SendReply(int fd, int status, const std::string& contentType, const std::string& body,
               const FaultSpec& fault, const std::function<bool()>& stopping);

// Sleeps ms of program time in short steps; false when stopping() became true.
bool SleepUnlessStopping(int ms, const std::function<bool()>& stopping);

// True when the peer has bytes beyond what was read (waits briefly for them).
bool HasExtraBytes(int fd);

}  // namespace camsim
