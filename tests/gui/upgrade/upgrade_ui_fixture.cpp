#include "upgrade_ui_fixture.h"

#include <dirent.h>
#include <unistd.h>

#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <random>

#include "base/clock.h"
#include "gui_fixture.h"
#include "i18n/string_table.h"
#include "qt_app_env.h"
#include "web/md5.h"

namespace {

const auto* const g_net = ::testing::AddGlobalTestEnvironment(new CPrivateNetworkEnv);

}  // namespace

bool CHeldBoxes::Show(BoxKind kind, const QString& caption, const QString& text) {
    EXPECT_EQ(caption, QString::fromStdWString(LoadStrId(117)));
    m_boxes.push_back({kind, text});
    if (std::find(m_holdKinds.begin(), m_holdKinds.end(), kind) == m_holdKinds.end())
        return m_bAnswer;
    ++m_nOpen;
    m_bReleased = false;
    if (m_onShow) QTimer::singleShot(0, m_onShow);
    QEventLoop loop;
    while (!m_bReleased) {
        loop.processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    --m_nOpen;
    return m_bHeldAnswer;
}

void CHeldBoxes::Release(bool bAnswer) {
    m_bHeldAnswer = bAnswer;
    m_bReleased = true;
}

std::vector<QString> CHeldBoxes::Texts() const {
    std::vector<QString> v;
    for (const auto& b : m_boxes) v.push_back(b.second);
    return v;
}

void UpgradeUiTest::SetUp() {
    TestApp();
    SetLanguage(0);
    zv::SetTimeScale(kFastClock);
}

void UpgradeUiTest::TearDown() {
    if (web) web->Stop();
    if (catalogue) catalogue->Stop();
    for (const std::string& f : m_files) std::remove(f.c_str());
    zv::SetTimeScale(1);
}

void UpgradeUiTest::StartFleet(size_t n,
                               const std::function<void(size_t, camsim::SimCamera&)>& adjust) {
    std::vector<camsim::SimCamera> cams = camsim::MakeFleet(n, "123456");
    for (size_t i = 0; i < cams.size(); ++i) {
        cams[i].dhcp = 0;
        cams[i].restartMs = 300;
        cams[i].version = "48.3.16.25";
        if (adjust) adjust(i, cams[i]);
        fleet.Add(cams[i]);
    }
    web = std::make_unique<camsim::WebServers>(fleet);
    ASSERT_TRUE(web->Start());
}

void UpgradeUiTest::StartCatalogue(const std::string& version, const std::string& name) {
    catalogue = std::make_unique<camsim::CatalogueServer>(kCatalogueIp, 808);
    catalogue->AddEntry(version, name, kCatalogueIp, "/firmware/" + name + ".bin", false);
    ASSERT_TRUE(catalogue->Start());
}

camsim::SimCamera UpgradeUiTest::Cam(size_t i) {
    return fleet.With([&](std::vector<camsim::SimCamera>& c) { return c[i]; });
}

CameraEntry UpgradeUiTest::EntryOf(size_t i) {
    CameraEntry e{};
    e.params = camsim::ParamsOf(Cam(i));
    return e;
}

std::string UpgradeUiTest::MakeFile(size_t n, std::string& md5) {
    char tmpl[] = "/tmp/zarvon-upui-fw-XXXXXX.bin";
    const int fd = mkstemps(tmpl, 4);
    close(fd);
    std::string bytes(n, '\0');
    std::mt19937 rng(static_cast<unsigned>(n));
    for (char& c : bytes) c = static_cast<char>(rng());
    std::ofstream(tmpl, std::ios::binary) << bytes;
    camsim::Md5 m;
    m.Update(bytes.data(), bytes.size());
    md5 = m.HexDigest();
    m_files.push_back(tmpl);
    return tmpl;
}

std::vector<int> LogStatuses(const QListWidget& list) {
    std::vector<int> v;
    for (int i = 0; i < list.count(); ++i) v.push_back(list.item(i)->data(Qt::UserRole).toInt());
    return v;
}

int ProcessThreads() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/task")) {
        while (dirent* e = readdir(d)) n += e->d_name[0] != '.';
        closedir(d);
    }
    return n;
}

int TrailingNumber(const QString& text) {
    int i = int(text.size());
    while (i > 0 && text[i - 1].isDigit()) --i;
    return i == text.size() ? -1 : text.mid(i).toInt();
}
