#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTest>
#include <atomic>
#include <thread>

#include "base/clock.h"
#include "camsim/discovery_responder.h"
#include "gui/app/zarvon_dlg.h"
#include "gui/controls/xp_button.h"
#include "gui/upgrade/job_text.h"
#include "gui/upgrade/smart_upgrade_page.h"
#include "gui_fixture.h"
#include "i18n/string_table.h"
#include "upgrade_ui_fixture.h"

namespace {

QString Str(int nId) { return QString::fromStdWString(LoadStrId(nId)); }

class SmartUpgradeTest : public UpgradeUiTest {
protected:
    std::unique_ptr<CDlgSmartUpgd> MakePage(size_t cam) {
        auto page = std::make_unique<CDlgSmartUpgd>(nullptr, kCatalogueIp);
        CameraEntry e = EntryOf(cam);
        page->ShowCamera(&e);
        page->findChild<QLineEdit*>("edt1068_password")->setText("123456");
        return page;
    }
    // Clicks Upgrade Firmware and runs the event loop until the page is ready again;
    // calls onTick with the log after every turn.
    bool RunJob(CDlgSmartUpgd& page, const std::function<void()>& onTurn = {}, int ms = 30000) {
        QTest::mouseClick(page.UpgradeButton(), Qt::LeftButton);
        EXPECT_TRUE(page.IsBusy());
        EXPECT_FALSE(page.UpgradeButton()->isEnabled());
        return WaitUntil(
            [&] {
                if (onTurn) onTurn();
                return !page.IsBusy();
            },
            ms);
    }
    QString LastLine(CDlgSmartUpgd& page) {
        QListWidget* l = page.LogList();
        return l->count() ? l->item(l->count() - 1)->text() : QString();
    }
};

TEST_F(SmartUpgradeTest, CreatedWithDefaultsAndNoCamera) {
    CDlgSmartUpgd page;
    EXPECT_EQ(page.findChild<QLineEdit*>("edt1067_account")->text(), "admin");
    EXPECT_EQ(page.findChild<QLineEdit*>("edt1068_password")->text(), "402613");
    EXPECT_EQ(page.findChild<QLineEdit*>("edt1068_password")->echoMode(), QLineEdit::Normal);
    EXPECT_FALSE(page.UpgradeButton()->isEnabled());
    EXPECT_EQ(page.UpgradeButton()->text(), Str(182));
    EXPECT_EQ(page.LogList()->palette().color(QPalette::Text), QColor(0, 0, 255));
    EXPECT_EQ(page.ShownCamera(), nullptr);
    // Enter on the button (enabled by a camera) is dropped: no job starts.
    const CameraEntry e{};
    page.ShowCamera(&e);
    page.UpgradeButton()->setFocus();
    QTest::keyClick(page.UpgradeButton(), Qt::Key_Return);
    EXPECT_FALSE(page.IsBusy());
}

// A newer firmware: one line per status, the version texts, the counting line rewritten
// in place with a growing number, then the completed line.
TEST_F(SmartUpgradeTest, NewerVersionLogsEachStepAndCountsInPlace) {
    StartFleet(1);
    StartCatalogue("48.3.16.25", "48.3.16.26");
    auto page = MakePage(0);
    std::vector<int> counts36;
    int rows36 = -1;
    bool rowsGrewWhileCounting = false;
    ASSERT_TRUE(RunJob(*page, [&] {
        const std::vector<int> st = LogStatuses(*page->LogList());
        if (st.empty() || st.back() != 36) return;
        if (rows36 >= 0 && int(st.size()) != rows36) rowsGrewWhileCounting = true;
        rows36 = int(st.size());
        const int n = TrailingNumber(LastLine(*page));
        if (counts36.empty() || counts36.back() != n) counts36.push_back(n);
    }));
    const std::vector<int> st = LogStatuses(*page->LogList());
    ASSERT_GE(st.size(), 6u);
    EXPECT_EQ(std::vector<int>(st.begin(), st.begin() + 4), (std::vector<int>{-1, 10, 29, 31}));
    EXPECT_EQ(st.back(), 38);
    EXPECT_NE(std::find(st.begin(), st.end(), 36), st.end());
    for (size_t i = 1; i < st.size(); ++i) EXPECT_NE(st[i], st[i - 1]) << "line " << i;
    QListWidget* log = page->LogList();
    EXPECT_TRUE(log->item(0)->text().endsWith(Str(188)));
    EXPECT_TRUE(log->item(2)->text().endsWith(Str(185) + " 48.3.16.25"));
    EXPECT_TRUE(log->item(3)->text().endsWith(Str(186) + " 48.3.16.26"));
    EXPECT_TRUE(LastLine(*page).endsWith(Str(176)));
    // "2026-12-11 12:34:56: " before every text.
    const QRegularExpression stamp("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}: ");
    for (int i = 0; i < log->count(); ++i)
        EXPECT_TRUE(stamp.match(log->item(i)->text()).hasMatch());
    ASSERT_GE(counts36.size(), 3u);
    EXPECT_TRUE(std::is_sorted(counts36.begin(), counts36.end()));
    EXPECT_FALSE(rowsGrewWhileCounting);
    EXPECT_EQ(Cam(0).downloadOrders.size(), 1u);
    EXPECT_TRUE(page->UpgradeButton()->isEnabled());
}

// The camera runs the newest version: the question, and the user's answer decides.
TEST_F(SmartUpgradeTest, SameVersionAsksAndTheAnswerDecides) {
    StartFleet(1);
    StartCatalogue("48.3.16.25", "48.3.16.25");
    for (bool bOk : {false, true}) {
        SCOPED_TRACE(bOk ? "OK" : "Cancel");
        CHeldBoxes boxes;
        boxes.m_bAnswer = bOk;
        const size_t ordersBefore = Cam(0).downloadOrders.size();
        auto page = MakePage(0);
        ASSERT_TRUE(RunJob(*page));
        ASSERT_EQ(boxes.m_boxes.size(), 1u);
        EXPECT_EQ(boxes.m_boxes[0].first, BoxKind::Question);
        EXPECT_EQ(boxes.m_boxes[0].second, Str(190));
        const std::vector<int> st = LogStatuses(*page->LogList());
        ASSERT_GE(st.size(), 5u);
        EXPECT_EQ(std::vector<int>(st.begin(), st.begin() + 4), (std::vector<int>{-1, 10, 29, 31}));
        EXPECT_EQ(st.back(), bOk ? 38 : 28);
        if (!bOk) {
            EXPECT_TRUE(LastLine(*page).endsWith(Str(189)));
        }
        EXPECT_EQ(Cam(0).downloadOrders.size(), ordersBefore + (bOk ? 1 : 0));
    }
}

// Failures end the job with their line; the page is ready again.
TEST_F(SmartUpgradeTest, FailuresEndWithTheirLine) {
    StartFleet(1);
    struct Case {
        const char* name;
        bool bCatalogue;
        const char* password;
        bool bReachable;
        std::vector<int> statuses;
        int nText;
    } cases[] = {
        {"catalogue down", false, "123456", true, {-1, 10, 29, 30}, 187},
        {"wrong password", true, "wrong", true, {-1, 3}, 124},
        {"unreachable", true, "123456", false, {-1}, 169},
    };
    StartCatalogue("48.3.16.25", "48.3.16.26");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.bCatalogue) catalogue->Stop();
        auto page = MakePage(0);
        page->findChild<QLineEdit*>("edt1068_password")->setText(c.password);
        if (!c.bReachable) {
            CameraEntry e = EntryOf(0);
            std::snprintf(e.params.szIP, sizeof e.params.szIP, "127.0.10.250");
            page->ShowCamera(&e);
        }
        ASSERT_TRUE(RunJob(*page));
        std::vector<int> st = LogStatuses(*page->LogList());
        const int last = st.empty() ? 0 : st.back();
        if (!c.bReachable) {
            EXPECT_TRUE(last == 7 || last == 9) << last;
            st.pop_back();
        } else {
        }
        EXPECT_EQ(st, c.statuses);
        EXPECT_TRUE(LastLine(*page).endsWith(Str(c.nText))) << LastLine(*page).toStdString();
        EXPECT_TRUE(page->UpgradeButton()->isEnabled());
        if (!c.bCatalogue) {
            ASSERT_TRUE(catalogue->Start());
        }
    }
    EXPECT_TRUE(Cam(0).downloadOrders.empty());
}

// Another camera selected while a job runs: the job keeps its target, the button stays
// disabled until the end, then follows the selection.
TEST_F(SmartUpgradeTest, SelectionChangeDuringAJobLeavesItsTarget) {
    StartFleet(2);
    StartCatalogue("48.3.16.25", "48.3.16.26");
    for (bool bClear : {false, true}) {
        SCOPED_TRACE(bClear ? "cleared" : "other camera");
        auto page = MakePage(0);
        QTest::mouseClick(page->UpgradeButton(), Qt::LeftButton);
        CameraEntry other = EntryOf(1);
        page->ShowCamera(bClear ? nullptr : &other);
        EXPECT_FALSE(page->UpgradeButton()->isEnabled());
        ASSERT_TRUE(WaitUntil([&] { return !page->IsBusy(); }, 30000));
        EXPECT_EQ(std::string(page->Upgrade().Target().szHost), Cam(0).ip);
        EXPECT_EQ(LogStatuses(*page->LogList()).back(), 38);
        EXPECT_EQ(page->UpgradeButton()->isEnabled(), !bClear);
        if (!bClear) {
            EXPECT_EQ(std::string(page->ShownCamera()->params.szIP), Cam(1).ip);
        }
        Change(0, [](camsim::SimCamera& c) { c.version = "48.3.16.25"; });  // as catalogued
    }
    EXPECT_TRUE(Cam(1).downloadOrders.empty());
}

// A DHCP camera that restarts at another address is found again by its MAC through the
// main window's live list; the job's polling goes to the new address.
TEST_F(SmartUpgradeTest, DhcpCameraIsFollowedByMac) {
    StartFleet(1, [](size_t, camsim::SimCamera& c) {
        c.dhcp = 1;
        c.dhcpNextIp = "127.0.12.7";
    });
    auto responder = std::make_unique<camsim::DiscoveryResponder>(fleet);
    ASSERT_EQ(responder->Start("0.0.0.0", 8600), 1);
    StartCatalogue("48.3.16.25", "48.3.16.26");
    CFakeAdapters lo{{{"Loopback", "127.0.0.1"}}};
    CZarvonDlg dlg(nullptr, &lo);
    std::wstring ip;
    int port = 0;
    const std::wstring mac = upgui::MacText(EntryOf(0).params);
    ASSERT_TRUE(WaitUntil([&] { return dlg.FindCameraByMac(mac, ip, port) != 0; }, 10000));
    auto page = MakePage(0);
    page->m_pMainDlg = &dlg;
    ASSERT_TRUE(RunJob(*page));
    EXPECT_EQ(LogStatuses(*page->LogList()).back(), 38);
    EXPECT_EQ(std::string(page->Upgrade().Target().szHost), "127.0.12.7");
    responder->Stop();
    dlg.done(0);
}

// Closing while the worker waits for the question: the wait ends as "stop", the job is
// aborted, and no thread is left.
TEST_F(SmartUpgradeTest, DestroyedWhileTheQuestionIsOpen) {
    StartFleet(1);
    StartCatalogue("48.3.16.25", "48.3.16.25");
    const int threadsBefore = ProcessThreads();
    CHeldBoxes boxes;
    boxes.m_holdKinds = {BoxKind::Question};
    auto page = MakePage(0);
    bool bDestroyed = false;
    boxes.m_onShow = [&] {
        Pump(50);  // the timer goes on writing while the question is open
        page.reset();
        bDestroyed = true;
        boxes.Release(true);  // answered after the page went: nothing happens
    };
    QTest::mouseClick(page->UpgradeButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return bDestroyed; }, 20000));
    Pump(100);
    EXPECT_TRUE(Cam(0).downloadOrders.empty());
    EXPECT_TRUE(WaitUntil([&] { return ProcessThreads() <= threadsBefore; }, 5000));
}

// Closing while the timer waits for a log update the UI thread has not carried out yet.
TEST_F(SmartUpgradeTest, DestroyedWhileALogUpdateIsQueued) {
    StartFleet(1, [](size_t, camsim::SimCamera& c) {
        c.webFault = camsim::kFaultChunked;  // a slow status reply keeps the job running
        c.faultChunks = 2;
        c.faultDelayMs = 3000;
    });
    StartCatalogue("48.3.16.25", "48.3.16.26");
    zv::SetTimeScale(1);
    const int threadsBefore = ProcessThreads();
    auto page = MakePage(0);
    QTest::mouseClick(page->UpgradeButton(), Qt::LeftButton);
    // The UI thread handles nothing for over a timer period: the timer's update waits.
    std::this_thread::sleep_for(std::chrono::milliseconds(1300));
    const auto t0 = std::chrono::steady_clock::now();
    page.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
    Pump(50);  // the update left queued must not touch the page that went
    EXPECT_TRUE(WaitUntil([&] { return ProcessThreads() <= threadsBefore; }, 5000));
}

}  // namespace

namespace {

// A log update cancelled while still queued stays dropped when the next job's Reset comes
// before the UI thread gets to it: a line of the old job must not land in the new log.
TEST(UiCallReset, WorkCancelledWhileQueuedNeverRuns) {
    QObject ctx;
    CUiCall call(&ctx);
    std::atomic<bool> bRan{false};
    std::atomic<int> nResult{-2};
    std::thread worker([&] {
        nResult = call.Call(
            [&] {
                bRan = true;
                return 5;
            },
            -1);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // queued, not yet run
    call.Cancel();
    worker.join();
    call.Reset();
    Pump(50);
    EXPECT_EQ(nResult, -1);
    EXPECT_FALSE(bRan);
}

}  // namespace
