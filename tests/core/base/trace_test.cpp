#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "diag/trace.h"

namespace {

// A viewer bound to one of the two names, read without blocking.
class Viewer {
public:
    explicit Viewer(const char* name) {
        fd_ = socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::string p = zv::TraceSocketPath(name);
        unlink(p.c_str());
        std::strcpy(a.sun_path, p.c_str());
        EXPECT_EQ(bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        path_ = p;
    }
    ~Viewer() {
        close(fd_);
        unlink(path_.c_str());
    }
    // Returns the packet, or "" when none waits.
    std::string Take() {
        char buf[4096];
        ssize_t n = recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
        return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
    }

private:
    int fd_;
    std::string path_;
};

class TraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zarvon-trace-test-XXXXXX";
        dir_ = mkdtemp(tmpl);
        zv::SetTraceDirectory(dir_);
    }
    void TearDown() override { rmdir(dir_.c_str()); }
    std::string dir_;
};

uint32_t LE32(const std::string& s, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
    return v;
}

TEST_F(TraceTest, NoViewerReturnsAtOnce) { TraceOut("\n initsocket"); }

TEST_F(TraceTest, PacketIsTagCountBytes) {
    Viewer v(TRACE_VIEWER_SECONDARY);
    TraceOut("\n SetBindIPAddr ip=%s", "127.0.0.1");
    std::string p = v.Take();
    ASSERT_GE(p.size(), 8u);
    EXPECT_EQ(p.substr(0, 4), "twin");
    EXPECT_EQ(LE32(p, 0), TRACE_COPYDATA_TAG);
    EXPECT_EQ(LE32(p, 4), p.size() - 8);
    EXPECT_EQ(p.substr(8), "\n SetBindIPAddr ip=127.0.0.1");
}

TEST_F(TraceTest, PrimaryViewerTakesPrecedence) {
    Viewer second(TRACE_VIEWER_SECONDARY);
    Viewer first(TRACE_VIEWER_PRIMARY);
    TraceOut("\n uninitsocket");
    EXPECT_EQ(first.Take().substr(8), "\n uninitsocket");
    EXPECT_EQ(second.Take(), "");
}

TEST_F(TraceTest, LongLineCutAt1023Bytes) {
    Viewer v(TRACE_VIEWER_PRIMARY);
    std::string big(2000, 'x');
    TraceOut("%s", big.c_str());
    std::string p = v.Take();
    EXPECT_EQ(LE32(p, 4), 1023u);
    EXPECT_EQ(p.substr(8), std::string(1023, 'x'));
}

}  // namespace
