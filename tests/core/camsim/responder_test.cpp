// The simulated cameras' discovery side, watched by a plain socket: who answers, from
// which address, to which port, when, and what a settings request does.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <map>

#include "base/fixed_field.h"
#include "camsim/discovery_responder.h"
#include "camsim/fleet.h"
#include "discovery/datagrams.h"
#include "test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

// A requester on 127.0.0.1 at a port of the system's choice.
class Requester {
public:
    struct Reply {
        std::string from;
        std::vector<uint8_t> bytes;
        double ms;  // after the request went out
    };
    Requester() {
        m_sock = socket(AF_INET, SOCK_DGRAM, 0);
        int one = 1;
        setsockopt(m_sock, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
        timeval tv{0, 450000};
        setsockopt(m_sock, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_sock, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    ~Requester() { close(m_sock); }
    void Send(const uint8_t* data, size_t len) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(DISCOVERY_CAMERA_PORT);
        to.sin_addr.s_addr = htonl(INADDR_BROADCAST);
        m_t0 = Clock::now();
        sendto(m_sock, data, len, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    void Search() {
        uint8_t b[SEARCH_REQ_SIZE];
        Send(b, BuildSearchRequest(b));
    }
    // Everything that arrives until the line has been quiet for 450 ms.
    std::vector<Reply> Collect() {
        std::vector<Reply> out;
        for (;;) {
            uint8_t buf[2048];
            sockaddr_in from{};
            socklen_t fl = sizeof from;
            ssize_t n =
                recvfrom(m_sock, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &fl);
            if (n < 0) return out;
            char ip[INET_ADDRSTRLEN];
            inet_ntop(AF_INET, &from.sin_addr, ip, sizeof ip);
            out.push_back({ip, std::vector<uint8_t>(buf, buf + n),
                           std::chrono::duration<double, std::milli>(Clock::now() - m_t0).count()});
        }
    }

private:
    int m_sock = -1;
    Clock::time_point m_t0;
};

class ResponderTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_NAMESPACE();
        auto cams = camsim::MakeFleet(4);
        cams[1].replyDelayMs = 300;
        cams[2].silent = true;
        for (auto& c : cams) fleet.Add(c);
        ASSERT_EQ(responder.Start(), 1);
    }
    camsim::Fleet fleet;
    camsim::DiscoveryResponder responder{fleet};
    Requester req;
};

TEST_F(ResponderTest, EachCameraAnswersFromItsOwnAddressAfterItsDelay) {
    req.Search();
    std::vector<Requester::Reply> r = req.Collect();
    ASSERT_EQ(r.size(), 3u);  // the silent one says nothing
    std::map<std::string, Requester::Reply> by;
    for (auto& x : r) by[x.from] = x;
    auto cams = camsim::MakeFleet(4);
    for (int i : {0, 1, 3}) {
        ASSERT_TRUE(by.count(cams[i].ip)) << cams[i].ip;
        const auto& b = by[cams[i].ip].bytes;
        ASSERT_EQ(b.size(), SEARCH_RESP_SIZE);
        EXPECT_EQ(b[0], 0x44);
        EXPECT_EQ(b[2], 0x01);
        EXPECT_EQ(b[3], 0x08);
        CameraParams p = camsim::ParamsOf(cams[i]);
        EXPECT_EQ(std::memcmp(b.data() + 4, &p, 320), 0);
        EXPECT_EQ(std::memcmp(b.data() + 324, cams[i].extra.data(), 192), 0);
    }
    EXPECT_LT(by[cams[0].ip].ms, 150.0);
    EXPECT_GE(by[cams[1].ip].ms, 295.0);
}

TEST_F(ResponderTest, SettingsRequestNeedsMacUidAndAccount) {
    CameraParams p = camsim::ParamsOf(camsim::MakeFleet(4)[3]);
    zv::CopyToField(p.szUser, "admin");
    zv::CopyToField(p.szPwd, "123456");
    zv::CopyToField(p.szIP, "192.168.7.50");  // re-addressed out of loopback
    struct Case {
        const char* what;
        CameraParams params;
        size_t replies;
        int32_t result;
    } cases[] = {
        {"other MAC", p, 0, 0},
        {"other UID", p, 0, 0},
        {"bad password", p, 1, SET_RESULT_BAD_AUTH},
        {"low rights", p, 1, SET_RESULT_NO_RIGHT},
        {"right account", p, 1, SET_RESULT_OK},
    };
    cases[0].params.byMacAddr[5] ^= 1;
    cases[1].params.szUid[0] = 'X';
    zv::CopyToField(cases[2].params.szPwd, "12345");
    zv::CopyToField(cases[3].params.szUser, "guest");
    zv::CopyToField(cases[3].params.szPwd, "guest");
    for (const Case& k : cases) {
        uint8_t b[SET_REQ_SIZE];
        req.Send(b, BuildSetRequest(k.params, b));
        std::vector<Requester::Reply> r = req.Collect();
        ASSERT_EQ(r.size(), k.replies) << k.what;
        if (!k.replies) continue;
        ASSERT_EQ(r[0].bytes.size(), SET_RESP_SIZE) << k.what;
        int32_t code;
        std::memcpy(&code, r[0].bytes.data() + 324, 4);
        EXPECT_EQ(code, k.result) << k.what;
        EXPECT_EQ(r[0].from, "127.0.10.4") << k.what;  // answers from where it was asked
    }
    // The applied camera answers the next search from outside loopback's addresses, so
    // its reply leaves from the responder's own address, showing the new settings.
    req.Search();
    std::vector<Requester::Reply> r = req.Collect();
    ASSERT_EQ(r.size(), 3u);
    bool seen = false;
    for (auto& x : r) {
        CameraParams q;
        std::memcpy(&q, x.bytes.data() + 4, sizeof q);
        if (zv::FieldText(q.szIP) == "192.168.7.50") {
            seen = true;
            EXPECT_EQ(std::memcmp(q.byMacAddr, p.byMacAddr, 6), 0);
            EXPECT_EQ(q.szUser[0], 0);  // the account is never shown in a reply
        }
    }
    EXPECT_TRUE(seen);
    EXPECT_EQ(responder.SendErrors(), 0u);
}

TEST_F(ResponderTest, IgnoresWhatIsNoRequest) {
    std::vector<std::vector<uint8_t>> junk = {
        {},
        {0x44},
        {0x44, 0x48, 0x01},
        {0x48, 0x44, 0x01, 0x01},
        {0x44, 0x48, 0x01, 0x08},
        {0x44, 0x48, 0x02, 0x01, 0x00},  // a settings request cut short
    };
    for (auto& j : junk) req.Send(j.data(), j.size());
    EXPECT_TRUE(req.Collect().empty());
    EXPECT_EQ(responder.SearchRequests(), 0u);
}

}  // namespace
