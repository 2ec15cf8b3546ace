// zarvon-cli end to end against the simulated fleet: the test process moves into a
// network namespace of its own (only loopback, up), runs the fleet's discovery responder
// there and the command line as a child process, which inherits the namespace.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <json/json.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "base/text_conv.h"
#include "camlist/camera_list.h"
#include "camsim/discovery_responder.h"
#include "camsim/fleet.h"
#include "cli_runner.h"
#include "discovery/mode_class.h"

namespace {

const std::string kPwd = "123456";
const std::vector<std::string> kEnv = {"LC_ALL=C.UTF-8"};

std::vector<std::string> EnvWith(const std::string& extra) {
    std::vector<std::string> env = kEnv;
    env.push_back(extra);
    return env;
}

// A camera that answers searches but never a settings request.
class MuteCamera {
public:
    static constexpr uint8_t kMac[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x77};
    bool Start() {
        m_sock = socket(AF_INET, SOCK_DGRAM, 0);
        int on = 1;
        setsockopt(m_sock, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(DISCOVERY_CAMERA_PORT);
        if (bind(m_sock, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return false;
        m_thread = std::thread([this] { Run(); });
        return true;
    }
    ~MuteCamera() {
        m_bStop = true;
        if (m_thread.joinable()) m_thread.join();
        if (m_sock >= 0) close(m_sock);
    }

private:
    void Run() {
        CameraParams p{};
        std::strcpy(p.szIP, "127.0.10.77");
        std::strcpy(p.szUid, "MUTE0001");
        std::strcpy(p.szVersion, "1.2.3.4");
        std::memcpy(p.byMacAddr, kMac, 6);
        p.nHttpPort = 80;
        uint8_t reply[SEARCH_RESP_SIZE] = {0x44, 0x48, 0x01, 0x08};
        std::memcpy(reply + 4, &p, sizeof p);
        while (!m_bStop) {
            pollfd fd{m_sock, POLLIN, 0};
            if (poll(&fd, 1, 50) <= 0) continue;
            uint8_t buf[1024];
            sockaddr_in from{};
            socklen_t len = sizeof from;
            ssize_t n =
                recvfrom(m_sock, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
            if (n == SEARCH_REQ_SIZE && buf[2] == 0x01 && buf[3] == 0x01)
                sendto(m_sock, reply, sizeof reply, 0, reinterpret_cast<sockaddr*>(&from), len);
        }
    }
    int m_sock = -1;
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};

class CliAgainstFleet : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_bNamespace = unshare(CLONE_NEWNET) == 0 && std::system("ip link set lo up") == 0;
    }
    void SetUp() override {
        if (!s_bNamespace) GTEST_SKIP() << "needs root for a private network namespace";
        std::vector<camsim::SimCamera> cams = camsim::MakeFleet(4, kPwd);
        cams[0].reserved1 = 0x5A;
        for (size_t i = 0; i < cams[0].reserved2.size(); ++i)
            cams[0].reserved2[i] = static_cast<uint8_t>(0xA0 + i);
        cams[0].dns2 = "127.0.0.54";
        for (auto& c : cams) m_fleet.Add(c);
        m_original = cams;
        ASSERT_EQ(m_responder.Start("0.0.0.0", DISCOVERY_CAMERA_PORT), 1);
    }
    void TearDown() override { m_responder.Stop(); }

    camsim::SimCamera Camera(size_t i) {
        return m_fleet.With([i](std::vector<camsim::SimCamera>& c) { return c[i]; });
    }
    static std::string Mac(const camsim::SimCamera& c) {
        return zv::WideToUtf8(MacText(*reinterpret_cast<const uint8_t(*)[6]>(c.mac.data())));
    }

    static inline bool s_bNamespace = false;
    camsim::Fleet m_fleet;
    camsim::DiscoveryResponder m_responder{m_fleet};
    std::vector<camsim::SimCamera> m_original;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) out.push_back(line + "\n");
    return out;
}

TEST_F(CliAgainstFleet, SearchPrintsEveryCameraAsExportLines) {
    CliRun r = RunCli({"search", "--seconds", "1.5"}, kEnv);
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    std::vector<std::string> lines = Lines(r.strOut);
    ASSERT_EQ(lines.size(), 4u) << r.strOut;
    std::set<std::string> seen;
    for (size_t k = 0; k < lines.size(); ++k) {
        for (const camsim::SimCamera& c : m_original) {
            if (lines[k].find(Mac(c)) == std::string::npos) continue;
            CameraEntry e{};
            e.params = camsim::ParamsOf(c);
            e.nMode = ModeClassOf(e.params.szVersion, sizeof e.params.szVersion);
            EXPECT_EQ(lines[k], ExportLine(static_cast<int>(k) + 1, e));
            seen.insert(Mac(c));
        }
    }
    EXPECT_EQ(seen.size(), 4u);
    EXPECT_NE(r.strErr.find("Count:4"), std::string::npos);
}

TEST_F(CliAgainstFleet, SearchJsonCarriesEveryField) {
    CliRun r = RunCli({"search", "--seconds", "1.5", "--json"}, kEnv);
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    Json::Value arr;
    ASSERT_TRUE(Json::Reader().parse(r.strOut, arr)) << r.strOut;
    ASSERT_TRUE(arr.isArray());
    ASSERT_EQ(arr.size(), 4u);
    const std::set<std::string> keys = {"mode",    "name", "ip",   "port",    "mac",  "uid",
                                        "version", "dhcp", "mask", "gateway", "dns1", "dns2"};
    const char* const letters[] = {"T", "F", "C", "G"};  // the fleet cycles through the classes
    for (const Json::Value& v : arr) {
        std::vector<std::string> names = v.getMemberNames();
        EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), keys);
        size_t i = 0;
        while (i < 4 && Mac(m_original[i]) != v["mac"].asString()) ++i;
        ASSERT_LT(i, 4u) << v["mac"].asString();
        const camsim::SimCamera& c = m_original[i];
        EXPECT_EQ(v["mode"].asString(), letters[i]);
        EXPECT_EQ(v["name"].asString(), c.name);
        EXPECT_EQ(v["ip"].asString(), c.ip);
        EXPECT_EQ(v["port"].asInt(), c.httpPort);
        EXPECT_EQ(v["uid"].asString(), c.uid);
        EXPECT_EQ(v["version"].asString(), c.version);
        EXPECT_EQ(v["dhcp"].asInt(), c.dhcp);
        EXPECT_EQ(v["mask"].asString(), c.mask);
        EXPECT_EQ(v["gateway"].asString(), c.gateway);
        EXPECT_EQ(v["dns1"].asString(), c.dns1);
        EXPECT_EQ(v["dns2"].asString(), c.dns2);
    }
}

TEST_F(CliAgainstFleet, SetReplacesOnlyTheGivenFields) {
    const camsim::SimCamera before = m_original[0];
    // Lower-case MAC accepted; Chinese messages with UTF-8 output.
    std::string mac = Mac(before);
    for (char& ch : mac) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    CliRun r = RunCli({"set", mac, "--name", "Hall 1", "--port", "8090", "--password-stdin"},
                      {"LC_CTYPE=C.UTF-8", "LC_MESSAGES=zh_CN.UTF-8"}, kPwd + "\n");
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "设置成功\n");
    camsim::SimCamera after = Camera(0);
    EXPECT_EQ(after.name, "Hall 1");
    EXPECT_EQ(after.httpPort, 8090);
    ASSERT_EQ(after.lastSetBlock.size(), sizeof(CameraParams));
    CameraParams sent;
    std::memcpy(&sent, after.lastSetBlock.data(), sizeof sent);
    CameraParams expect = camsim::ParamsOf(before);
    std::memset(expect.szName, 0, sizeof expect.szName);
    std::strcpy(expect.szName, "Hall 1");
    expect.nHttpPort = 8090;
    std::strcpy(expect.szUser, "admin");
    std::strcpy(expect.szPwd, kPwd.c_str());
    EXPECT_EQ(std::memcmp(&sent, &expect, sizeof sent), 0);
    // Other cameras are untouched.
    EXPECT_TRUE(Camera(1).lastSetBlock.empty());
}

TEST_F(CliAgainstFleet, RefusalsAndSilenceFail) {
    MuteCamera mute;
    ASSERT_TRUE(mute.Start());
    const std::string target = Mac(m_original[1]);
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> env;
        std::string strStdin;
        std::string strErr;
    } kCases[] = {
        {{"set", target, "--port", "1", "--password-stdin"},
         kEnv,
         "wrong\n",
         "zarvon-cli: ERROR Incorrect username or password\n"},
        {{"set", target, "--port", "1", "--user", "guest"},
         EnvWith("ZARVON_PASSWORD=guest"),
         "",
         "zarvon-cli: Lack of user rights  Lack\n"},
        {{"set", target, "--port", "1", "--password-stdin"},
         {"LC_CTYPE=C.UTF-8", "LANG=pl_PL.UTF-8"},
         "bad\n",
         "zarvon-cli: BŁĄD! Nieprawidłowa nazwa użytkownika lub hasło\n"},
        {{"set", "02:00:00:00:00:77", "--port", "1", "--timeout", "1.5"},
         EnvWith("ZARVON_PASSWORD=x"),
         "",
         "zarvon-cli: no answer from camera 02:00:00:00:00:77 within 1.5 s\n"},
    };
    for (const auto& c : kCases) {
        CliRun r = RunCli(c.args, c.env, c.strStdin);
        EXPECT_EQ(r.nExit, 1) << c.strErr;
        EXPECT_EQ(r.strErr, c.strErr);
        EXPECT_EQ(r.strOut, "");
    }
    EXPECT_EQ(Camera(1).httpPort, m_original[1].httpPort);
}

TEST_F(CliAgainstFleet, PasswordPromptOnATerminalDoesNotEcho) {
    CliRun r = RunCliOnTerminal({"set", Mac(m_original[2]), "--port", "8082"}, kEnv,
                                "Password: ", kPwd + "\n");
    EXPECT_EQ(r.nExit, 0) << r.strOut;
    EXPECT_NE(r.strOut.find("Set success"), std::string::npos) << r.strOut;
    EXPECT_EQ(r.strOut.find(kPwd), std::string::npos) << r.strOut;
    EXPECT_EQ(Camera(2).httpPort, 8082);
}

TEST_F(CliAgainstFleet, OneKeyRefusesDhcpAndMovesAFixedCamera) {
    // Camera 3 is in DHCP mode: refused before anything is sent.
    ASSERT_EQ(m_original[3].dhcp, 1);
    CliRun r = RunCli({"onekey", Mac(m_original[3]), "--yes"}, EnvWith("ZARVON_PASSWORD=" + kPwd));
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr,
              "zarvon-cli: The network is not \"Fixed IP\", this operation could not be done.\n");
    // Declined at the question: nothing is sent either.
    r = RunCli({"onekey", Mac(m_original[1]), "--password-stdin"}, kEnv, "n\n" + kPwd + "\n");
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(m_responder.SetRequests(), 0u);
    // Adapter lo (127.0.0.1, 255.0.0.0) and camera 127.0.10.2: the camera goes to 127.0.0.2.
    r = RunCli({"onekey", Mac(m_original[1]), "--password-stdin"}, kEnv, "y\n" + kPwd + "\n");
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strOut.substr(0, r.strOut.find('\n')), "IP:             127.0.0.2");
    EXPECT_NE(r.strOut.find("Set success\n"), std::string::npos);
    camsim::SimCamera moved = Camera(1);
    EXPECT_EQ(moved.ip, "127.0.0.2");
    EXPECT_EQ(moved.mask, "255.0.0.0");
    EXPECT_EQ(moved.name, m_original[1].name);
    EXPECT_EQ(moved.httpPort, m_original[1].httpPort);
}

TEST_F(CliAgainstFleet, UsageNotFoundAndNoAdapterExitCodes) {
    const struct {
        std::vector<std::string> args;
        int nExit;
    } kCases[] = {
        {{"search", "--adapter", "7", "--seconds", "0"}, 4},
        {{"search", "--bind", "999.1.1.1"}, 2},
        {{"search", "--seconds", "x"}, 2},
        {{"set", "not-a-mac"}, 2},
        {{"set", "02:5A:56:00:00:00", "--ip", "1.2.3"}, 2},
        {{"set", "02:5A:56:00:00:00", "--dhcp", "2"}, 2},
        {{"set", "02:5A:56:00:00:99", "--seconds", "1"}, 3},
        {{"set", "02:5A:56:00:00:00", "--name", std::string(80, 'n')}, 2},
        {{"set", "02:5A:56:00:00:00", "--user", std::string(32, 'u')}, 2},
        {{"frobnicate"}, 2},
        {{}, 2},
    };
    for (const auto& c : kCases) {
        CliRun r = RunCli(c.args, EnvWith("ZARVON_PASSWORD=" + kPwd));
        std::string joined;
        for (const auto& a : c.args) joined += a + " ";
        EXPECT_EQ(r.nExit, c.nExit) << joined << "\n" << r.strErr;
        EXPECT_EQ(std::count(r.strErr.begin(), r.strErr.end(), '\n'), 1) << joined << r.strErr;
    }
    // No password from anywhere and no terminal: a usage error, nothing sent.
    CliRun r = RunCli({"set", "02:5A:56:00:00:00", "--port", "81"}, kEnv);
    EXPECT_EQ(r.nExit, 2);
    EXPECT_EQ(m_responder.SetRequests(), 0u);
}

TEST_F(CliAgainstFleet, AdaptersAndTheBindAddress) {
    CliRun r = RunCli({"adapters", "--json"}, kEnv);
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    Json::Value arr;
    ASSERT_TRUE(Json::Reader().parse(r.strOut, arr)) << r.strOut;
    ASSERT_EQ(arr.size(), 1u);  // the namespace has loopback only
    EXPECT_EQ(arr[0]["description"].asString(), "lo");
    EXPECT_EQ(arr[0]["ip"].asString(), "127.0.0.1");
    EXPECT_EQ(arr[0]["mask"].asString(), "255.0.0.0");
    EXPECT_EQ(arr[0]["mac"].asString(), "000000000000");
    // An explicit local address searches like the adapter; one this machine does not
    // have cannot be bound, which is a failure, not an empty list.
    r = RunCli({"search", "--bind", "127.0.0.1", "--seconds", "1"}, kEnv);
    EXPECT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(Lines(r.strOut).size(), 4u);
    r = RunCli({"search", "--bind", "10.1.2.3", "--seconds", "1"}, kEnv);
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "zarvon-cli: cannot search from 10.1.2.3: the address cannot be bound\n");
    EXPECT_EQ(r.strOut, "");
}

TEST_F(CliAgainstFleet, ExportWritesTheSearchTable) {
    char path[] = "/tmp/cli-exportXXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    CliRun r = RunCli({"export", path, "--seconds", "1.5"}, kEnv);
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    std::ifstream in(path, std::ios::binary);
    std::stringstream file;
    file << in.rdbuf();
    unlink(path);
    EXPECT_EQ(Lines(file.str()).size(), 4u);
    EXPECT_EQ(file.str().find("\r\n"), 84u + 0);  // first line: 84 columns, then CR LF
}

}  // namespace
