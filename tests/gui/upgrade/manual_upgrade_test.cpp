#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <thread>

#include "base/clock.h"
#include "gui/controls/xp_button.h"
#include "gui/upgrade/manual_upgrade_dialog.h"
#include "gui_fixture.h"
#include "i18n/string_table.h"
#include "upgrade_ui_fixture.h"

namespace {

QString Str(int nId) { return QString::fromStdWString(LoadStrId(nId)); }

class ManualUpgradeTest : public UpgradeUiTest {
protected:
    std::unique_ptr<CManualUpgd> MakeDialog(size_t cam) {
        auto dlg = std::make_unique<CManualUpgd>();
        dlg->m_entry = EntryOf(cam);
        dlg->m_strUser = L"admin";
        dlg->m_strPwd = L"123456";
        QObject::connect(dlg.get(), &QDialog::finished, [this](int r) { m_nResult = r; });
        dlg->show();
        return dlg;
    }
    void Choose(CManualUpgd& dlg, const std::string& path, int kind) {
        CChosenFile chosen(QString::fromStdString(path));
        QTest::mouseClick(dlg.findChild<CXPButton*>("btn1062_open"), Qt::LeftButton);
        EXPECT_EQ(chosen.m_filter, "Firmware(*.bin)");
        QTest::mouseClick(dlg.findChild<QRadioButton*>(kind ? "rad1060_system" : "rad1059_web"),
                          Qt::LeftButton);
        EXPECT_EQ(dlg.m_nFirmwareKind, kind);
    }
    int m_nResult = -1;
};

// Both kinds: the file arrives byte for byte through its CGI, the status line counts the
// upload and then the restart, the result box says done and the dialog closes with OK.
TEST_F(ManualUpgradeTest, UploadArrivesAndTheDialogReportsAndCloses) {
    StartFleet(1, [](size_t, camsim::SimCamera& c) { c.httpPort = 8081; });
    struct Case {
        int kind;
        const char* cgi;
        int nUploading, nRebooting;
    } cases[] = {{0, "upgrade_htmls.cgi", 170, 171}, {1, "upgrade_firmware.cgi", 173, 174}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cgi);
        CHeldBoxes boxes;
        std::string md5;
        const std::string path = MakeFile(300 * 1024 + c.kind, md5);
        auto dlg = MakeDialog(0);
        EXPECT_EQ(dlg->windowTitle(), Str(161));
        EXPECT_TRUE(dlg->StatusLine()->text().isEmpty());
        Choose(*dlg, path, c.kind);
        EXPECT_EQ(dlg->findChild<QLineEdit*>("edt1061_file")->text().toStdString(), path);
        m_nResult = -1;
        QTest::mouseClick(dlg->findChild<CXPButton*>("btn1_upgrade"), Qt::LeftButton);
        EXPECT_FALSE(dlg->findChild<CXPButton*>("btn1_upgrade")->isEnabled());
        std::vector<int> rebootCounts;
        ASSERT_TRUE(WaitUntil(
            [&] {
                const QString line = dlg->StatusLine()->text();
                if (line.startsWith(Str(c.nRebooting))) {
                    const int n = TrailingNumber(line);
                    if (rebootCounts.empty() || rebootCounts.back() != n) rebootCounts.push_back(n);
                }
                return m_nResult != -1;
            },
            30000));
        EXPECT_EQ(m_nResult, QDialog::Accepted);
        EXPECT_EQ(boxes.Texts(), std::vector<QString>{Str(176)});
        ASSERT_GE(rebootCounts.size(), 3u);
        EXPECT_TRUE(std::is_sorted(rebootCounts.begin(), rebootCounts.end()));
        const camsim::SimCamera cam = Cam(0);
        EXPECT_EQ(cam.uploadCgi, c.cgi);
        EXPECT_EQ(cam.uploadSize, 300u * 1024 + c.kind);
        EXPECT_EQ(cam.uploadMd5, md5);
    }
}

TEST_F(ManualUpgradeTest, NoFileShowsBoxAndSendsNothing) {
    StartFleet(1);
    CHeldBoxes boxes;
    auto dlg = MakeDialog(0);
    QTest::mouseClick(dlg->findChild<CXPButton*>("btn1_upgrade"), Qt::LeftButton);
    EXPECT_EQ(boxes.Texts(), std::vector<QString>{Str(168)});
    Pump(200);
    EXPECT_FALSE(dlg->IsRunning());
    EXPECT_FALSE(dlg->Upgrade().IsJobRunning());
    EXPECT_TRUE(dlg->findChild<CXPButton*>("btn1_upgrade")->isEnabled());
    EXPECT_TRUE(Cam(0).uploadCgi.empty());
    EXPECT_EQ(m_nResult, -1);
}

// Enter on the focused Upgrade button and Escape on the dialog are dropped: no job, no
// box, the dialog stays open.
TEST_F(ManualUpgradeTest, EnterAndEscapeDoNothing) {
    StartFleet(1);
    CHeldBoxes boxes;
    auto dlg = MakeDialog(0);
    auto* upgrade = dlg->findChild<CXPButton*>("btn1_upgrade");
    upgrade->setFocus();
    QTest::keyClick(upgrade, Qt::Key_Return);
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    QTest::keyClick(dlg->findChild<QLineEdit*>("edt1061_file"), Qt::Key_Enter);
    EXPECT_TRUE(boxes.m_boxes.empty());
    EXPECT_EQ(m_nResult, -1);
    EXPECT_TRUE(dlg->isVisible());
}

TEST_F(ManualUpgradeTest, WrongPasswordReportsAndCloses) {
    StartFleet(1);
    CHeldBoxes boxes;
    std::string md5;
    const std::string path = MakeFile(4096, md5);
    auto dlg = MakeDialog(0);
    dlg->m_strPwd = L"wrong";
    Choose(*dlg, path, 1);
    QTest::mouseClick(dlg->findChild<CXPButton*>("btn1_upgrade"), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return m_nResult != -1; }, 20000));
    EXPECT_EQ(boxes.Texts(), std::vector<QString>{Str(124)});
    EXPECT_TRUE(Cam(0).uploadCgi.empty());
}

// Exit while the upload's request runs: the request is aborted at once, no box, no
// thread left.
TEST_F(ManualUpgradeTest, ExitDuringTheUploadAborts) {
    StartFleet(1);
    zv::SetTimeScale(1);
    CHeldBoxes boxes;
    std::string md5;
    const std::string path = MakeFile(64 * 1024, md5);
    const int threadsBefore = ProcessThreads();
    auto dlg = MakeDialog(0);
    Choose(*dlg, path, 0);
    // The answer to the upload comes slowly: the request is still running when Exit comes.
    Change(0, [](camsim::SimCamera& c) {
        c.webFault = camsim::kFaultChunked;
        c.faultChunks = 2;
        c.faultDelayMs = 4000;
    });
    QTest::mouseClick(dlg->findChild<CXPButton*>("btn1_upgrade"), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return dlg->Upgrade().m_nStatus == 32; }, 15000));
    Pump(300);
    const auto t0 = std::chrono::steady_clock::now();
    QTest::mouseClick(dlg->findChild<CXPButton*>("btn2_exit"), Qt::LeftButton);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(2500));
    EXPECT_EQ(m_nResult, QDialog::Rejected);
    EXPECT_FALSE(dlg->Upgrade().IsJobRunning());
    EXPECT_EQ(dlg->Upgrade().m_nStatus, 34);  // the aborted upload ends as failed
    dlg.reset();
    Pump(100);
    EXPECT_TRUE(boxes.m_boxes.empty());
    EXPECT_TRUE(WaitUntil([&] { return ProcessThreads() <= threadsBefore; }, 5000));
}

// Exit while the result box is open: the timer's wait ends, the dialog ends with the
// cancel result and the late answer of the box changes nothing.
TEST_F(ManualUpgradeTest, ExitWhileTheResultBoxIsOpen) {
    StartFleet(1);
    CHeldBoxes boxes;
    boxes.m_holdKinds = {BoxKind::Information};
    std::string md5;
    const std::string path = MakeFile(4096, md5);
    const int threadsBefore = ProcessThreads();
    auto dlg = MakeDialog(0);
    dlg->m_strPwd = L"wrong";  // a quick final status
    Choose(*dlg, path, 0);
    bool bClosed = false;
    boxes.m_onShow = [&] {
        dlg->reject();
        bClosed = true;
        boxes.Release(true);  // the late answer, after the dialog ended
    };
    QTest::mouseClick(dlg->findChild<CXPButton*>("btn1_upgrade"), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return bClosed; }, 20000));
    EXPECT_EQ(m_nResult, QDialog::Rejected);
    EXPECT_FALSE(dlg->IsRunning());
    Pump(100);
    EXPECT_EQ(m_nResult, QDialog::Rejected);  // no late close message turned it into OK
    dlg.reset();
    EXPECT_TRUE(WaitUntil([&] { return ProcessThreads() <= threadsBefore; }, 5000));
}

// Destroyed while the timer waits for a status-line update the UI thread has not done.
TEST_F(ManualUpgradeTest, DestroyedWhileAStatusUpdateIsQueued) {
    StartFleet(1, [](size_t, camsim::SimCamera& c) {
        c.webFault = camsim::kFaultChunked;
        c.faultChunks = 2;
        c.faultDelayMs = 3000;
    });
    zv::SetTimeScale(1);
    std::string md5;
    const std::string path = MakeFile(4096, md5);
    const int threadsBefore = ProcessThreads();
    auto dlg = MakeDialog(0);
    Choose(*dlg, path, 0);
    QTest::mouseClick(dlg->findChild<CXPButton*>("btn1_upgrade"), Qt::LeftButton);
    std::this_thread::sleep_for(std::chrono::milliseconds(1300));
    const auto t0 = std::chrono::steady_clock::now();
    dlg.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
    Pump(50);
    EXPECT_TRUE(WaitUntil([&] { return ProcessThreads() <= threadsBefore; }, 5000));
}

}  // namespace
