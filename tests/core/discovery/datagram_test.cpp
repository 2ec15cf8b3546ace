// The discovery datagrams byte by byte, the reply handler over plain buffers, and the
// mode class of a version text.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "base/fixed_field.h"
#include "camsim/fleet.h"
#include "discovery/datagrams.h"
#include "discovery/mode_class.h"
#include "test_support.h"

namespace {

using disc_test::Collector;

CameraParams SampleParams() {
    return camsim::ParamsOf(camsim::MakeFleet(3)[2]);  // non-zero reserved bytes
}

TEST(Datagrams, SearchRequestIsTheFourHeaderBytes) {
    uint8_t buf[SEARCH_REQ_SIZE];
    ASSERT_EQ(BuildSearchRequest(buf), 4u);
    EXPECT_EQ(std::vector<uint8_t>(buf, buf + 4), (std::vector<uint8_t>{0x44, 0x48, 0x01, 0x01}));
}

TEST(Datagrams, SetRequestIsHeaderThenTheBlockUnchanged) {
    CameraParams p = SampleParams();
    p.nHttpPort = 0x1F90;
    uint8_t buf[SET_REQ_SIZE];
    ASSERT_EQ(BuildSetRequest(p, buf), 324u);
    EXPECT_EQ(std::vector<uint8_t>(buf, buf + 4), (std::vector<uint8_t>{0x44, 0x48, 0x02, 0x01}));
    EXPECT_EQ(std::memcmp(buf + 4, &p, 320), 0);
    EXPECT_EQ(buf[4 + 86], 0x90);  // port 8080, little-endian
    EXPECT_EQ(buf[4 + 87], 0x1F);
    EXPECT_EQ(buf[4 + 296], p.byReserved1);
    EXPECT_NE(p.byReserved2[0], 0);
    EXPECT_EQ(std::memcmp(buf + 4 + 298, p.byReserved2, 22), 0);
}

std::vector<uint8_t> Header(uint16_t cmd, size_t size, uint16_t magic = DISCOVERY_MAGIC) {
    std::vector<uint8_t> b(size, 0);
    b[0] = magic & 0xFF;
    b[1] = magic >> 8;
    b[2] = cmd & 0xFF;
    b[3] = cmd >> 8;
    return b;
}

TEST(ReplyHandler, SearchReplyBecomesAnEntryWithModeAndSeenFlag) {
    camsim::SimCamera cam = camsim::MakeFleet(2)[1];  // version 1.7.15.x: class 2
    std::vector<uint8_t> b = Header(CMD_SEARCH_RESP, SEARCH_RESP_SIZE);
    CameraParams p = camsim::ParamsOf(cam);
    std::memcpy(b.data() + 4, &p, 320);
    std::memcpy(b.data() + 324, cam.extra.data(), 192);
    Collector c;
    EXPECT_EQ(HandleReplyDatagram(b.data(), b.size(), Collector::Callback, &c), REPLY_HANDLED);
    ASSERT_EQ(c.found.size(), 1u);
    const CameraEntry& e = c.found[0];
    EXPECT_EQ(std::memcmp(&e.params, b.data() + 4, 320), 0);
    EXPECT_EQ(std::memcmp(&e.extra, b.data() + 324, 192), 0);
    EXPECT_EQ(e.bSeen, 1);
    EXPECT_EQ(e.nMode, 2);
    EXPECT_STREQ(e.extra.szDdnsPwd, "ddns1");
}

TEST(ReplyHandler, ShortSearchReplyReadsMissingBytesAsZero) {
    std::vector<uint8_t> b = Header(CMD_SEARCH_RESP, 4);
    Collector c;
    HandleReplyDatagram(b.data(), b.size(), Collector::Callback, &c);
    ASSERT_EQ(c.found.size(), 1u);
    CameraEntry zero{};
    EXPECT_EQ(std::memcmp(&c.found[0].params, &zero.params, 320), 0);
    EXPECT_EQ(c.found[0].bSeen, 1);
    EXPECT_EQ(c.found[0].nMode, 5);

    // Cut inside the extra block: what came is kept, the rest is zero.
    b = Header(CMD_SEARCH_RESP, 400);
    std::memset(b.data() + 4, 0x41, 396);
    c.found.clear();
    HandleReplyDatagram(b.data(), b.size(), Collector::Callback, &c);
    ASSERT_EQ(c.found.size(), 1u);
    const uint8_t* extra = reinterpret_cast<const uint8_t*>(&c.found[0].extra);
    EXPECT_EQ(extra[75], 0x41);
    EXPECT_EQ(extra[76], 0);
}

TEST(ReplyHandler, SettingsReplyPassesItsResultCodeAndBlock) {
    struct Case {
        size_t size;
        int32_t code;
        int32_t expected;
    } cases[] = {
        {SET_RESP_SIZE, SET_RESULT_OK, SET_RESULT_OK},
        {SET_RESP_SIZE, SET_RESULT_BAD_AUTH, SET_RESULT_BAD_AUTH},
        {SET_RESP_SIZE, SET_RESULT_NO_RIGHT, SET_RESULT_NO_RIGHT},
        {SET_RESP_SIZE, -7, -7},
        {324, SET_RESULT_BAD_AUTH, 0},  // code missing: reads as 0
        {326, 0x12348001, 0x8001},      // half a code: the upper half reads 0
    };
    CameraParams p = SampleParams();
    for (const Case& k : cases) {
        std::vector<uint8_t> b = Header(CMD_SET_RESP, SET_RESP_SIZE);
        std::memcpy(b.data() + 4, &p, 320);
        std::memcpy(b.data() + 324, &k.code, 4);
        Collector c;
        HandleReplyDatagram(b.data(), k.size, Collector::Callback, &c);
        ASSERT_EQ(c.others.size(), 1u) << k.size;
        EXPECT_EQ(c.others[0].first, k.expected) << k.size;
        EXPECT_EQ(std::memcmp(&c.others[0].second, &p, 320), 0);
        EXPECT_TRUE(c.found.empty());
    }
}

TEST(ReplyHandler, DropsWhatIsNotAReplyWithoutCallback) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int result;
    } cases[] = {
        {"foreign magic", Header(CMD_SEARCH_RESP, SEARCH_RESP_SIZE, 0x4845), REPLY_BAD_MAGIC},
        {"swapped magic", Header(CMD_SEARCH_RESP, SEARCH_RESP_SIZE, 0x4448), REPLY_BAD_MAGIC},
        {"unknown command", Header(0x0901, SEARCH_RESP_SIZE), REPLY_HANDLED},
        {"our own search request", Header(CMD_SEARCH_REQ, 4), REPLY_HANDLED},
        {"our own settings request", Header(CMD_SET_REQ, SET_REQ_SIZE), REPLY_HANDLED},
        {"empty", {}, REPLY_BAD_MAGIC},
        {"one byte", {0x44}, REPLY_BAD_MAGIC},
        {"longer than the buffer", Header(CMD_SEARCH_RESP, 1025), REPLY_RECV_ERROR},
        {"settings reply with code 4", Header(CMD_SET_RESP, SET_RESP_SIZE), REPLY_HANDLED},
    };
    cases[8].bytes[324] = 4;
    for (const Case& k : cases) {
        Collector c;
        EXPECT_EQ(HandleReplyDatagram(k.bytes.data(), k.bytes.size(), Collector::Callback, &c),
                  k.result)
            << k.what;
        EXPECT_TRUE(c.found.empty()) << k.what;
        EXPECT_TRUE(c.others.empty()) << k.what;
    }
    // Exactly 1024 bytes still fits the buffer.
    std::vector<uint8_t> full = Header(CMD_SEARCH_RESP, 1024);
    Collector c;
    EXPECT_EQ(HandleReplyDatagram(full.data(), full.size(), Collector::Callback, &c),
              REPLY_HANDLED);
    EXPECT_EQ(c.found.size(), 1u);
    // No callback registered: received and dropped.
    EXPECT_EQ(HandleReplyDatagram(full.data(), full.size(), nullptr, nullptr), REPLY_HANDLED);
}

TEST(ModeClass, VersionTable) {
    struct Case {
        const char* version;
        int mode;
    } cases[] = {
        {"1.2.3.4", 1},    {"1.7.15.0", 2},
        {"1.7.20.0", 4},   {"1.7.60.1", 3},
        {"1.7.30.1", 5},   {"1.7.15", 5},
        {"1. 0 .9.9", 1},  {"", 5},
        {"1", 5},          {"1.", 5},
        {"1.7", 5},        {"1.7.", 5},
        {"x.0.99.1", 1},   {"1.3.", 1},
        {"1.6.0.0", 1},    {"1.5.9.9", 1},
        {"1.4.19.0", 2},   {"1.4.10.0", 2},
        {"1.4.9.0", 5},    {"1.4.21.0", 5},
        {"1.4.59.0", 5},   {"1.4.99999999999.0", 3},
        {"1.7..0", 5},     {"1..15.0", 1},
        {"1.7. 15 .0", 2}, {"1.7.15a.0", 2},
        {"1.-2.60.0", 3},  {"1.7.60.1.2", 3},
    };
    for (const Case& k : cases)
        EXPECT_EQ(ModeClassOf(k.version), k.mode) << '"' << k.version << '"';
    EXPECT_EQ(ModeClassOf(nullptr), 5);
}

TEST(ModeClass, FullWidthFieldWithoutTerminatorIsReadWithinIt) {
    char field[40];
    std::memset(field, '7', sizeof field);
    std::memcpy(field, "1.4.", 4);
    field[32] = '.';                       // just past a 32-byte field
    EXPECT_EQ(ModeClassOf(field, 32), 5);  // no third '.' inside the field: C = -1
    EXPECT_EQ(ModeClassOf(field, 33), 3);  // the byte past it would have changed the class
}

TEST(ModeClass, Letters) {
    const char* letters[] = {"Other", "T", "F", "C", "G", "Other", "Other"};
    for (int m = 0; m <= 6; ++m) EXPECT_STREQ(ModeLetter(m), letters[m]) << m;
    EXPECT_STREQ(ModeLetter(-1), "Other");
}

TEST(SimFleet, CamerasAreDistinctAndCoverEveryModeClass) {
    std::vector<camsim::SimCamera> cams = camsim::MakeFleet(600);
    std::set<std::string> macs, uids, names, ips;
    std::set<int> modes;
    bool nonAscii = false, dhcp = false, fixed = false;
    for (const auto& c : cams) {
        macs.insert(std::string(c.mac.begin(), c.mac.end()));
        uids.insert(c.uid);
        names.insert(c.name);
        ips.insert(c.ip);
        CameraParams p = camsim::ParamsOf(c);
        modes.insert(ModeClassOf(p.szVersion, sizeof p.szVersion));
        for (unsigned char ch : c.name) nonAscii |= ch >= 0x80;
        (c.dhcp ? dhcp : fixed) = true;
    }
    EXPECT_EQ(macs.size(), 600u);
    EXPECT_EQ(uids.size(), 600u);
    EXPECT_EQ(names.size(), 600u);
    EXPECT_EQ(ips.size(), 600u);
    EXPECT_EQ(modes, (std::set<int>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(nonAscii && dhcp && fixed);
    EXPECT_EQ(cams[0].ip, "127.0.10.1");
    EXPECT_EQ(cams[253].ip, "127.0.10.254");
    EXPECT_EQ(cams[254].ip, "127.0.11.1");
}

TEST(SimFleet, ParamsOfCutsLongTextsInsideTheirFields) {
    camsim::SimCamera cam = camsim::MakeFleet(1)[0];
    cam.uid = std::string(40, 'U');
    cam.name = std::string(78, 'n') + "\xC3\xA9";  // 80 bytes, the last character split
    cam.ip = "255.255.255.255x";
    CameraParams p = camsim::ParamsOf(cam);
    EXPECT_EQ(zv::FieldText(p.szUid), std::string(31, 'U'));
    EXPECT_EQ(zv::FieldText(p.szName), std::string(78, 'n'));  // no half character
    EXPECT_EQ(zv::FieldText(p.szIP), "255.255.255.255");
    EXPECT_EQ(p.szMask[0], '2');  // the next field is untouched
}

}  // namespace
