#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "base/clock.h"
#include "base/fixed_field.h"
#include "camsim/fleet.h"
#include "discovery/search_scheduler.h"
#include "gui/app/zarvon_dlg.h"
#include "gui/controls/ipv4_edit.h"
#include "gui/controls/limit_edit.h"
#include "gui/pages/general_page.h"
#include "gui/pages/login_dialog.h"
#include "gui/services/file_dialog.h"
#include "gui/services/url_opener.h"
#include "gui_fixture.h"
#include "i18n/string_table.h"
#include "qt_app_env.h"

namespace {

class PrivateNetwork : public ::testing::Environment {
public:
    void SetUp() override {
        // Before the first socket thread: every thread started later inherits it.
        if (!EnterPrivateNetworkNamespace()) {
            std::fprintf(stderr, "note: no private namespace; One Key Set cases skipped\n");
            return;
        }
        // The PC addresses of the One Key Set cases, on this namespace's loopback only.
        bHaveAddresses = true;
        for (const char* a : {"192.168.1.10", "192.168.1.55", "192.168.1.255"}) {
            const std::string cmd = std::string("ip addr add ") + a + "/32 dev lo 2>/dev/null";
            bHaveAddresses = std::system(cmd.c_str()) == 0 && bHaveAddresses;
        }
    }
    static inline bool bHaveAddresses = false;
};
const auto* const g_net = ::testing::AddGlobalTestEnvironment(new PrivateNetwork);

// Adapters with every address given by the test.
class CPlannedAdapters : public IAdapterSource {
public:
    explicit CPlannedAdapters(std::vector<std::string> ips) : m_ips(std::move(ips)) {}
    int QueryAdapters(std::vector<AdapterRecord>& out) override {
        uint32_t index = 1;
        for (const std::string& ip : m_ips) {
            AdapterRecord r;
            r.strAdapterName = "{card" + std::to_string(index) + "}";
            r.strDescription = "Card " + ip;
            r.bHaveCurrent = true;
            r.strCurrentIP = ip;
            r.strCurrentMask = "255.255.255.0";
            r.nIndex = index;
            r.nType = 6;
            r.vecIPMask = {{ip, "255.255.255.0"}};
            r.vecGateway = {"192.168.1.1"};
            r.byAddress[5] = static_cast<uint8_t>(index++);
            r.nAddressLength = 6;
            out.push_back(r);
        }
        return 0;
    }
    int QueryDns(uint32_t, std::vector<std::string>& out) override {
        out = {"192.168.1.2", "192.168.1.3"};
        return 0;
    }

private:
    std::vector<std::string> m_ips;
};

class RecordingUrls : public IUrlOpener {
public:
    RecordingUrls() { SetUrlOpener(this); }
    ~RecordingUrls() override { SetUrlOpener(nullptr); }
    bool OpenUrl(const QString& url) override {
        urls << url;
        return true;
    }
    QStringList urls;
};

class ChosenFile : public IFileDialogService {
public:
    explicit ChosenFile(QString path) : m_path(std::move(path)) { SetFileDialogService(this); }
    ~ChosenFile() override { SetFileDialogService(nullptr); }
    QString GetSaveFileName(QWidget*, const QString& proposed, const QString& filter) override {
        m_proposed = proposed;
        m_filter = filter;
        return m_path;
    }
    QString GetOpenFileName(QWidget*, const QString&) override { return QString(); }
    QString m_path, m_proposed, m_filter;
};

// Answers every login dialog that opens: fills both fields, then OK or Cancel. onShown
// sees the window while the dialog is up.
class LoginAnswer {
public:
    LoginAnswer(QString user, QString pwd, bool bOk) : m_user(user), m_pwd(pwd), m_bOk(bOk) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start(5);
    }
    std::function<void()> onShown;
    int shown = 0;

private:
    void Poll() {
        auto* dlg = qobject_cast<CDlgLogin*>(QApplication::activeModalWidget());
        if (!dlg || dlg->property("answered").toBool()) return;
        dlg->setProperty("answered", true);
        ++shown;
        if (onShown) onShown();
        dlg->findChild<QLineEdit*>("edt1055_account")->setText(m_user);
        dlg->findChild<QLineEdit*>("edt1056_password")->setText(m_pwd);
        dlg->findChild<QPushButton*>(m_bOk ? "btn1_ok" : "btn2_cancel")->click();
    }
    QString m_user, m_pwd;
    bool m_bOk;
    QTimer m_timer;
};

std::vector<uint8_t> Bytes(const CameraParams& p) {
    const auto* b = reinterpret_cast<const uint8_t*>(&p);
    return std::vector<uint8_t>(b, b + sizeof p);
}

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        SetLanguage(0);
        zv::SetTimeScale(10);
    }
    void TearDown() override { zv::SetTimeScale(1); }

    void Open(IAdapterSource* src = nullptr) {
        dlg = std::make_unique<CZarvonDlg>(nullptr, src ? src : &lo);
        list = dlg->CameraListView();
        dlg->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
    }
    int Rows() const { return list->model()->rowCount(); }
    QString Text(int r, int c) const { return list->model()->index(r, c).data().toString(); }
    int RowOf(const std::string& ip) {
        for (int r = 0; r < Rows(); ++r)
            if (Text(r, 2) == QString::fromStdString(ip)) return r;
        return -1;
    }
    bool Select(const std::string& ip) {
        if (!WaitUntil([&] { return RowOf(ip) >= 0; }, 3000)) return false;
        const QRect rc = list->visualRect(list->model()->index(RowOf(ip), 1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rc.center());
        return dlg->Cameras().CurSel() == RowOf(ip);
    }
    camsim::SimCamera Cam(SimFleet& sim, size_t i) {
        return sim.fleet.With([&](std::vector<camsim::SimCamera>& v) { return v[i]; });
    }
    void Press(const char* name) {
        QTest::mouseClick(dlg->findChild<QPushButton*>(name), Qt::LeftButton);
    }
    CDlgBasicInfo& Page() { return *dlg->PageGeneral(); }

    CRecordingBoxes boxes;
    CFakeAdapters lo{{{"Loopback adapter", "127.0.0.1"}}};
    std::unique_ptr<CZarvonDlg> dlg;
    QTableView* list = nullptr;
};

TEST_F(CommandsTest, ApplySendsThePageValuesAndTheCameraShowsThemAtTheNextSearch) {
    SimFleet sim(3);
    Open();
    const camsim::SimCamera before = Cam(sim, 1);
    ASSERT_TRUE(Select(before.ip));
    const QString newName = QString::fromUtf8("Wejście główne 入口");
    Page().findChild<QLineEdit*>("edt1025_name")->setText(newName);
    Page().m_editPort->setText("8081");
    Page().SetAddressFields(L"127.0.10.77", L"255.255.0.0", L"127.0.0.1", L"127.0.0.2",
                            L"127.0.0.3");
    LoginAnswer login(" admin ", "123456", true);
    Press("btn1_apply");
    ASSERT_EQ(login.shown, 1);
    ASSERT_TRUE(WaitUntil([&] { return boxes.Count(L"Set success") == 1; }, 3000));

    // The request: the camera's own block with the eight page values and the credentials;
    // the MAC, UID, version and the reserved bytes go back as the camera sent them.
    CameraParams want = camsim::ParamsOf(before);
    zv::CopyUtf8ToField(want.szName, newName.toStdString());
    want.nHttpPort = 8081;
    want.bDhcp = 0;
    const char* addrs[5] = {"127.0.10.77", "255.255.0.0", "127.0.0.1", "127.0.0.2", "127.0.0.3"};
    char* fields[5] = {want.szIP, want.szMask, want.szGateway, want.szDns1, want.szDns2};
    for (int i = 0; i < 5; ++i) zv::CopyToField(fields[i], 16, addrs[i]);
    zv::CopyToField(want.szUser, "admin");
    zv::CopyToField(want.szPwd, "123456");
    const camsim::SimCamera after = Cam(sim, 1);
    EXPECT_EQ(after.lastSetBlock, Bytes(want));
    EXPECT_EQ(after.reserved1, before.reserved1);
    EXPECT_EQ(after.reserved2, before.reserved2);
    EXPECT_EQ(sim.responder->SetRequests(), 1u);

    ASSERT_TRUE(WaitUntil([&] { return RowOf("127.0.10.77") >= 0; }, 3000));
    const int r = RowOf("127.0.10.77");
    EXPECT_EQ(Text(r, 1), newName) << "a non-ASCII name survives Apply";
    EXPECT_EQ(Text(r, 3), "8081");
}

TEST_F(CommandsTest, RefusedLoginsShowTheirBoxAndChangeNothing) {
    SimFleet sim(2);
    Open();
    struct Case {
        const char* user;
        const char* pwd;
        const wchar_t* box;
    };
    const Case cases[] = {{"admin", "wrong", L"ERROR Incorrect username or password"},
                          {"guest", "guest", L"Lack of user rights  Lack"}};
    const camsim::SimCamera before = Cam(sim, 0);
    for (const Case& c : cases) {
        ASSERT_TRUE(Select(before.ip));
        Page().m_editPort->setText("9000");
        LoginAnswer login(c.user, c.pwd, true);
        Press("btn1_apply");
        ASSERT_TRUE(WaitUntil([&] { return boxes.Count(c.box) == 1; }, 3000)) << c.user;
        const camsim::SimCamera now = Cam(sim, 0);
        EXPECT_EQ(now.httpPort, before.httpPort);
        EXPECT_TRUE(now.lastSetBlock.empty());
    }
    EXPECT_EQ(boxes.Count(L"Set success"), 0);
}

TEST_F(CommandsTest, ApplySendsNothingWhenTheCameraWasPrunedDuringTheLogin) {
    SimFleet sim(2);
    Open();
    ASSERT_TRUE(Select(sim.cams[0].ip));
    LoginAnswer login("admin", "123456", true);
    bool bPruned = false;
    login.onShown = [&] {
        // Silent long enough to be pruned (the page is cleared), then back, so that a
        // request carrying the cleared page would be applied.
        sim.SetSilent(0, true);
        bPruned = WaitUntil([&] { return RowOf(sim.cams[0].ip) < 0; }, 5000);
        sim.SetSilent(0, false);
    };
    Press("btn1_apply");
    ASSERT_TRUE(bPruned);
    EXPECT_EQ(dlg->PageGeneral()->ShownCamera(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return RowOf(sim.cams[0].ip) >= 0; }, 3000));
    EXPECT_EQ(sim.responder->SetRequests(), 0u);
    EXPECT_TRUE(Cam(sim, 0).lastSetBlock.empty());
}

TEST_F(CommandsTest, CancelledOrRefusedCommandsSendNothing) {
    SimFleet sim(4);  // camera 3 is in DHCP mode
    Open();
    // Apply, Cancel at the login.
    ASSERT_TRUE(Select(sim.cams[0].ip));
    {
        LoginAnswer login("admin", "123456", false);
        Press("btn1_apply");
        EXPECT_EQ(login.shown, 1);
    }
    // One Key Set on a DHCP camera: warning 151 before anything is asked.
    ASSERT_TRUE(Select(sim.cams[3].ip));
    {
        LoginAnswer login("admin", "123456", true);
        Press("btn1021_onekey");
        EXPECT_EQ(login.shown, 0);
    }
    ASSERT_EQ(boxes.m_boxes.size(), 1u);
    EXPECT_EQ(boxes.m_boxes[0].kind, BoxKind::Warning);
    EXPECT_EQ(boxes.m_boxes[0].text.toStdWString(), LoadStrId(151));
    // One Key Set, Cancel at the question.
    ASSERT_TRUE(Select(sim.cams[0].ip));
    boxes.m_bAnswer = false;
    {
        LoginAnswer login("admin", "123456", true);
        Press("btn1021_onekey");
        EXPECT_EQ(login.shown, 0);
    }
    EXPECT_EQ(boxes.m_boxes.back().kind, BoxKind::Question);
    EXPECT_EQ(boxes.m_boxes.back().text.toStdWString(), LoadStrId(152));
    // One Key Set, Cancel at the login: the plan was shown, nothing went out.
    boxes.m_bAnswer = true;
    {
        LoginAnswer login("admin", "123456", false);
        QString shownIP;
        login.onShown = [&] { shownIP = Page().m_ipAddr->Text(); };
        Press("btn1021_onekey");
        EXPECT_EQ(login.shown, 1);
        EXPECT_EQ(shownIP, "127.0.0.2") << "the PC's 127.0.0 and the camera's own last number 1 "
                                           "equal to the PC's, so one more";
    }
    Pump(300);  // a few search passes: any request would have arrived
    EXPECT_EQ(sim.responder->SetRequests(), 0u);
    EXPECT_EQ(SettingsEntriesLive(), 0);
}

TEST_F(CommandsTest, OneKeySetMovesTheCameraIntoTheSelectedAdaptersNetwork) {
    if (!PrivateNetwork::bHaveAddresses) GTEST_SKIP() << "no private addresses";
    SimFleet sim(3);
    const char* camIps[3] = {"127.0.10.55", "127.0.11.55", "127.0.10.255"};
    sim.fleet.With([&](std::vector<camsim::SimCamera>& v) {
        for (size_t i = 0; i < 3; ++i) {
            v[i].ip = camIps[i];
            v[i].dhcp = 0;
        }
    });
    CPlannedAdapters cards({"192.168.1.10", "192.168.1.55", "192.168.1.255"});
    Open(&cards);
    struct Case {
        int card;
        size_t cam;
        const char* newIp;
    };
    const Case cases[] = {{0, 0, "192.168.1.55"}, {1, 1, "192.168.1.56"}, {2, 2, "192.168.1.188"}};
    auto* cbo = dlg->findChild<QComboBox*>("cbo1008_adapter");
    for (const Case& c : cases) {
        cbo->setCurrentIndex(c.card);
        emit cbo->activated(c.card);
        const camsim::SimCamera before = Cam(sim, c.cam);
        ASSERT_TRUE(Select(before.ip)) << before.ip;
        Page().m_editPort->setText("1234");  // the page's edits are not read
        LoginAnswer login("admin", "123456", true);
        QString shownIP;
        login.onShown = [&] { shownIP = Page().m_ipAddr->Text(); };
        Press("btn1021_onekey");
        EXPECT_EQ(shownIP, c.newIp) << "the plan shows before the login";
        ASSERT_TRUE(WaitUntil([&] { return !Cam(sim, c.cam).lastSetBlock.empty(); }, 3000));
        CameraParams want = camsim::ParamsOf(before);
        const char* addrs[5] = {c.newIp, "255.255.255.0", "192.168.1.1", "192.168.1.2",
                                "192.168.1.3"};
        char* fields[5] = {want.szIP, want.szMask, want.szGateway, want.szDns1, want.szDns2};
        for (int i = 0; i < 5; ++i) zv::CopyToField(fields[i], 16, addrs[i]);
        zv::CopyToField(want.szUser, "admin");
        zv::CopyToField(want.szPwd, "123456");
        EXPECT_EQ(Cam(sim, c.cam).lastSetBlock, Bytes(want)) << c.newIp;
    }
}

TEST_F(CommandsTest, ExportWritesTheFixtureByteForByte) {
    SimFleet sim(3);
    const char* names[3] = {"Camera 1", "Garden with a very long name", "Hall"};
    sim.fleet.With([&](std::vector<camsim::SimCamera>& v) {
        for (size_t i = 0; i < 3; ++i) v[i].name = names[i];
    });
    Open();
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 3; }, 3000));
    QTemporaryDir tmp;
    const QString path = QDir(tmp.path()).filePath("out.txt");
    {
        QFile stale(path);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write(QByteArray(4000, 'x'));  // an existing file is truncated
    }
    ChosenFile chosen(path);
    Press("btn1018_export");
    EXPECT_EQ(chosen.m_proposed, "ipcam.txt");
    EXPECT_EQ(chosen.m_filter, "*.txt");
    QFile out(path), fixture(EXPORT_FIXTURE);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    QByteArray got = out.readAll();
    // The fixture lists the cameras in address order; rows come in arrival order.
    QList<QByteArray> lines = got.split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(got.size(), fixture.size());
    QByteArray want = fixture.readAll();
    for (int i = 0; i < 3; ++i) {
        const int r = RowOf(sim.cams[size_t(i)].ip);
        ASSERT_GE(r, 0);
        QByteArray line = lines[r].mid(8) + "\n";  // the number is the row's
        QByteArray wantLine = want.split('\n')[i].mid(8) + "\n";
        EXPECT_EQ(line, wantLine) << i;
        EXPECT_EQ(lines[r].left(8), QByteArray::number(r + 1).leftJustified(8));
    }
    // While another walker holds the list, the file is created empty.
    ASSERT_TRUE(dlg->Cameras().TryLock());
    Press("btn1018_export");
    dlg->Cameras().Unlock();
    EXPECT_EQ(QFileInfo(path).size(), 0);
    // Cancelled: no file written.
    ChosenFile none{QString()};
    QFile::remove(path);
    Press("btn1018_export");
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(CommandsTest, DoubleClickOpensTheWebPageWithThePortUnless80) {
    SimFleet sim(2);
    sim.fleet.With([](std::vector<camsim::SimCamera>& v) {
        v[0].httpPort = 80;
        v[1].httpPort = 8080;
    });
    Open();
    RecordingUrls urls;
    for (size_t i : {0u, 1u}) {
        ASSERT_TRUE(Select(sim.cams[i].ip));
        const QRect rc = list->visualRect(list->model()->index(RowOf(sim.cams[i].ip), 2));
        // A double click as the window system delivers it: press, release, then the
        // second press as a double click.
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, rc.center());
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, rc.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rc.center());
    }
    EXPECT_EQ(urls.urls, (QStringList{"http://127.0.10.1", "http://127.0.10.2:8080"}));
}

}  // namespace
