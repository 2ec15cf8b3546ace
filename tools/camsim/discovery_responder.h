// The simulated cameras' discovery side: one UDP socket on port 8600 answers for every
// camera of a Fleet. Each camera's search reply goes, after that camera's delay, unicast
// to the requester and from the camera's own loopback address (IP_PKTINFO), so the
// replies of thousands of cameras need no socket per camera.
#pragma once
#include <netinet/in.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <queue>
#include <string>
#include <thread>
#include <vector>

#include "camsim/fleet.h"

namespace camsim {

// Misbehaviour sent to the requester before the replies to every search request.
struct ResponderFaults {
    int foreignMagic = 0;    // 516-byte datagrams whose magic is not 0x4844
    int unknownCommand = 0;  // right magic, command 0x0901
    int shortReplies = 0;    // search replies cut to 40 bytes
    int zeroLength = 0;      // empty datagrams
    int garbage = 0;         // random bytes, random lengths 0..1500
};

class DiscoveryResponder {
public:
    explicit DiscoveryResponder(Fleet& fleet);
    ~DiscoveryResponder();
    DiscoveryResponder(const DiscoveryResponder&) = delete;
    DiscoveryResponder& operator=(const DiscoveryResponder&) = delete;

    // Binds bindIp:port (SO_REUSEADDR, SO_BROADCAST) and starts answering. 1 / 0.
    int Start(const std::string& bindIp = "0.0.0.0", uint16_t port = 8600);
    void Stop();
    void SetFaults(const ResponderFaults& faults);

    // Counters, for tests and the command line's summary.
    uint64_t SearchRequests() const { return m_nSearches; }
    uint64_t SetRequests() const { return m_nSets; }
    uint64_t RepliesSent() const { return m_nSent; }
    uint64_t SendErrors() const { return m_nSendErrors; }

private:
    struct Pending {
        int64_t dueUs;   // steady clock, microseconds
        uint64_t seq;    // keeps equal due times in arrival order
        in_addr from;    // the camera's address (source of the reply)
        sockaddr_in to;  // the requester
        std::vector<uint8_t> bytes;
        bool operator>(const Pending& o) const {
            return dueUs != o.dueUs ? dueUs > o.dueUs : seq > o.seq;
        }
    };

    void ReceiveLoop();
    void SendLoop();
    void OnDatagram(const uint8_t* data, size_t len, const sockaddr_in& from);
    void OnSearch(const sockaddr_in& from);
    void OnSetRequest(const uint8_t* data, size_t len, const sockaddr_in& from);
    void SendFaults(const sockaddr_in& to);
    void Queue(std::vector<Pending>&& items);
    void SendBatch(std::vector<Pending>& batch);

    Fleet& m_fleet;
    int m_sock = -1;
    int m_wakeFd = -1;
    std::atomic<bool> m_bStop{false};
    std::thread m_recvThread;
    std::thread m_sendThread;

    std::mutex m_mu;  // guards m_queue, m_faults, m_seq
    std::condition_variable m_cv;
    std::priority_queue<Pending, std::vector<Pending>, std::greater<Pending>> m_queue;
    ResponderFaults m_faults;
    uint64_t m_seq = 0;

    std::atomic<uint64_t> m_nSearches{0}, m_nSets{0}, m_nSent{0}, m_nSendErrors{0};
};

}  // namespace camsim
