#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "camera_fixture.h"
#include "camlist/camera_list.h"
#include "camlist/web_address.h"

namespace {

// The 8-bit texts are read in the locale's charset: make it UTF-8 before the first
// conversion of this process.
const bool kUtf8Locale = (setenv("LC_ALL", "C.UTF-8", 1), true);

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void AddThree(CCameraList& list) {
    CameraEntry a = MakeCamera(0, "192.168.1.20", "Lobby", 80, 1);
    const uint8_t macA[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::memcpy(a.params.byMacAddr, macA, 6);
    CameraEntry b = MakeCamera(0, "10.0.0.7", "A very long camera name here", 8080, 5);
    const uint8_t macB[6] = {0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45};
    std::memcpy(b.params.byMacAddr, macB, 6);
    CameraEntry c = MakeCamera(0, "172.16.0.100", "", 65535, 3);
    std::memset(c.params.byMacAddr, 0xFF, 6);
    list.AddCamera(a);
    list.AddCamera(b);
    list.AddCamera(c);
}

class ExportFile : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[] = "/tmp/camlist-exportXXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        m_dir = dir;
        m_path = m_dir + "/ipcam.txt";
    }
    void TearDown() override {
        unlink(m_path.c_str());
        rmdir(m_dir.c_str());
    }
    std::string m_dir, m_path;
};

TEST_F(ExportFile, ThreeCamerasMatchTheFixtureByteForByte) {
    ASSERT_TRUE(kUtf8Locale);
    CCameraList list;
    AddThree(list);
    {
        std::ofstream(m_path) << "old contents that must go away, longer than the export itself "
                              << std::string(400, 'x');
    }
    ASSERT_EQ(list.ExportToFile(m_path), EXPORT_OK);
    std::string got = ReadAll(m_path);
    EXPECT_EQ(got, ReadAll(CAMLIST_FIXTURES "/export_three.txt"));
    // Each line holds at least the 84 columns before its CR LF.
    std::istringstream lines(got);
    std::string line;
    int n = 0;
    while (std::getline(lines, line)) {
        ++n;
        EXPECT_GE(line.size(), 85u);
        EXPECT_EQ(line.back(), '\r');
        EXPECT_EQ(line.substr(0, 8), std::to_string(n) + std::string(7, ' '));
    }
    EXPECT_EQ(n, 3);
}

TEST_F(ExportFile, BusyListLeavesTheFileEmptyAndABadPathFails) {
    CCameraList list;
    AddThree(list);
    ASSERT_TRUE(list.TryLock());
    EXPECT_EQ(list.ExportToFile(m_path), EXPORT_BUSY);
    list.Unlock();
    EXPECT_EQ(ReadAll(m_path), "");
    EXPECT_EQ(list.ExportToFile(m_dir + "/no/such/dir/ipcam.txt"), EXPORT_OPEN_FAILED);
}

TEST(ExportLine, WidthsCountCharactersAndLongFieldsPush) {
    // A two-character name takes 2 of its 20 columns; the bytes are UTF-8.
    CameraEntry e = MakeCamera(1, "10.0.0.5", "前门", 80, 4);
    std::string line = ExportLine(12, e);
    EXPECT_EQ(line, "12      G       前门" + std::string(18, ' ') + "10.0.0.5            " +
                        "80      00:1A:2B:3C:4D:01   \r\n");
    // A 79-byte name is written whole and pushes the address right.
    CameraEntry full = MakeCamera(1, "1.2.3.4", std::string(79, 'n'), 1, 9);
    line = ExportLine(123456789, full);
    EXPECT_EQ(line.substr(0, 17), "123456789Other   ");
    EXPECT_EQ(line.substr(17, 79), std::string(79, 'n'));
    EXPECT_EQ(line.substr(96, 20), "1.2.3.4             ");
}

TEST(WebAddress, PortEightyLeavesThePortOut) {
    const struct {
        const wchar_t *pszIP, *pszPort, *pszUrl;
    } kCases[] = {
        {L"192.168.1.20", L"80", L"http://192.168.1.20"},
        {L" 192.168.1.20 ", L" 80 ", L"http://192.168.1.20"},
        {L"192.168.1.20", L"8080", L"http://192.168.1.20:8080"},
        {L"10.0.0.1", L"080", L"http://10.0.0.1"},
        {L"10.0.0.1", L"", L"http://10.0.0.1:"},
    };
    for (const auto& c : kCases) EXPECT_EQ(WebAddress(c.pszIP, c.pszPort), c.pszUrl) << c.pszIP;
    EXPECT_EQ(WebAddressForShell(std::wstring(200, L'a'), L"81").size(), 127u);
    EXPECT_EQ(WebAddressForShell(L"10.0.0.1", L"81"), "http://10.0.0.1:81");
}

}  // namespace
