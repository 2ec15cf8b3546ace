// Every test binary that opens sockets moves into a network namespace of its own before
// its first test, with only loopback up: parallel test binaries then never share an
// address, and nothing can leave the machine.
#pragma once
#include <gtest/gtest.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

class PrivateNetworkEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_EQ(unshare(CLONE_NEWNET), 0) << "needs root (CAP_SYS_ADMIN)";
        int s = socket(AF_INET, SOCK_DGRAM, 0);
        ASSERT_GE(s, 0);
        ifreq ifr{};
        std::strncpy(ifr.ifr_name, "lo", IFNAMSIZ - 1);
        bool ok = ioctl(s, SIOCGIFFLAGS, &ifr) == 0;
        ifr.ifr_flags |= IFF_UP;
        ok = ok && ioctl(s, SIOCSIFFLAGS, &ifr) == 0;
        close(s);
        ASSERT_TRUE(ok) << "loopback cannot be brought up";
    }
};

inline ::testing::Environment* const g_privateNetwork =
    ::testing::AddGlobalTestEnvironment(new PrivateNetworkEnvironment);
