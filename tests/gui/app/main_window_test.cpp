#include <dirent.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "base/app_messages.h"
#include "base/clock.h"
#include "base/fixed_field.h"
#include "gui/app/zarvon_dlg.h"
#include "gui/pages/general_page.h"
#include "gui/pages/others_page.h"
#include "gui/upgrade/smart_upgrade_page.h"
#include "gui_fixture.h"
#include "i18n/string_table.h"
#include "qt_app_env.h"

namespace {

const auto* const g_net = ::testing::AddGlobalTestEnvironment(new CPrivateNetworkEnv);

int ProcessThreads() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/task")) {
        while (dirent* e = readdir(d)) n += e->d_name[0] != '.';
        closedir(d);
    }
    return n;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        SetLanguage(0);
        zv::SetTimeScale(1);
    }
    void TearDown() override { zv::SetTimeScale(1); }

    std::unique_ptr<CZarvonDlg> Open(IAdapterSource* src = nullptr) {
        auto dlg = std::make_unique<CZarvonDlg>(nullptr, src ? src : &lo);
        list = dlg->CameraListView();
        return dlg;
    }
    template <class T>
    T* Child(CZarvonDlg& dlg, const char* name) {
        T* w = dlg.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString CountText(CZarvonDlg& dlg) { return Child<QLabel>(dlg, "lbl1019_count")->text(); }
    int Rows() const { return list->model()->rowCount(); }
    QString Text(int r, int c) const { return list->model()->index(r, c).data().toString(); }
    int RowOfIp(const std::string& ip) {
        for (int r = 0; r < Rows(); ++r)
            if (Text(r, 2) == QString::fromStdString(ip)) return r;
        return -1;
    }
    void ClickRow(int r) {
        const QRect rc = list->visualRect(list->model()->index(r, 1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rc.center());
    }
    bool ButtonsEnabled(CZarvonDlg& dlg) {
        return Child<QPushButton>(dlg, "btn1_apply")->isEnabled() &&
               Child<QPushButton>(dlg, "btn1021_onekey")->isEnabled();
    }
    bool ButtonsDisabled(CZarvonDlg& dlg) {
        return !Child<QPushButton>(dlg, "btn1_apply")->isEnabled() &&
               !Child<QPushButton>(dlg, "btn1021_onekey")->isEnabled();
    }

    CRecordingBoxes boxes;
    CFakeAdapters lo{{{"Loopback adapter", "127.0.0.1"}}};
    QTableView* list = nullptr;
};

TEST_F(MainWindowTest, LayoutFollowsTheControlTableInDialogUnits) {
    auto dlg = Open();
    const CDialogUnits& du = dlg->Units();
    EXPECT_EQ(dlg->size(), du.Size(419, 274));
    for (const DlgControl& c : kMainDlgControls) {
        QWidget* w = Child<QWidget>(*dlg, c.szName);
        if (!w) continue;
        const QRect want = du.Rect(c.x, c.y, c.cx, c.cy);
        EXPECT_EQ(w->pos(), want.topLeft()) << c.szName;
        EXPECT_EQ(w->width(), want.width()) << c.szName;
        if (c.kind != DlgKind::ComboBox) {
            EXPECT_EQ(w->height(), want.height()) << c.szName;
        }
    }
    // Column widths: W = (width - 6) / 4, then W-30, W+20, W+30, W-20.
    const int w = (list->width() - 6) / 4;
    const int want[4] = {w - 30, w + 20, w + 30, w - 20};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(list->columnWidth(i), want[i]) << i;
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(list->showGrid());
    EXPECT_TRUE(list->horizontalHeader()->sectionsMovable());
    auto* tab = Child<QTabWidget>(*dlg, "tab1022_pages");
    ASSERT_EQ(tab->count(), 3);
    EXPECT_EQ(tab->tabText(2), "Smart Upgrade");
    EXPECT_EQ(tab->widget(0), dlg->PageGeneral());
    EXPECT_EQ(dlg->PageOthers()->m_pMainDlg, dlg.get());
    EXPECT_EQ(dlg->PageSmart()->m_pMainDlg, dlg.get());
}

TEST_F(MainWindowTest, FleetIsListedWithinOnePass) {
    SimFleet sim(6);
    auto dlg = Open();
    EXPECT_EQ(CountText(*dlg), "Count:0");
    EXPECT_FALSE(Child<QPushButton>(*dlg, "btn1018_export")->isEnabled());
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 6; }, 1500));
    EXPECT_EQ(sim.responder->SearchRequests(), 1u) << "one search pass went out";
    EXPECT_EQ(CountText(*dlg), "Count:6");
    EXPECT_TRUE(Child<QPushButton>(*dlg, "btn1018_export")->isEnabled());
    for (const camsim::SimCamera& c : sim.cams) {
        const int r = RowOfIp(c.ip);
        ASSERT_GE(r, 0) << c.ip;
        EXPECT_EQ(Text(r, 1), QString::fromStdString(c.name));
        EXPECT_EQ(Text(r, 3), QString::number(c.httpPort));
        EXPECT_FALSE(Text(r, 0).isEmpty());
    }
    EXPECT_TRUE(ButtonsDisabled(*dlg));
    EXPECT_EQ(dlg->PageGeneral()->ShownCamera(), nullptr);

    // Find searches at once instead of at the next 2-second turn.
    dlg->OnFind();
    EXPECT_TRUE(WaitUntil([&] { return sim.responder->SearchRequests() == 2; }, 1000));
    // While another walker holds the list, Find does nothing.
    ASSERT_TRUE(dlg->Cameras().TryLock());
    dlg->OnFind();
    Pump(300);
    dlg->Cameras().Unlock();
    EXPECT_EQ(sim.responder->SearchRequests(), 2u);
}

TEST_F(MainWindowTest, SilentCameraGoesAtTheSecondPruneAndRenamedOneIsRefreshedInPlace) {
    zv::SetTimeScale(10);  // a pass every 200 ms, a prune every 400 ms
    SimFleet sim(4);
    auto dlg = Open();
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 4; }, 3000));
    const int renamedRow = RowOfIp(sim.cams[1].ip);
    sim.Rename(1, "Renamed camera");
    const uint64_t searchesAtSilence = sim.responder->SearchRequests();
    sim.SetSilent(2, true);
    ASSERT_TRUE(WaitUntil([&] { return RowOfIp(sim.cams[2].ip) < 0; }, 5000));
    // Gone after two prunes at most, i.e. within four passes of falling silent.
    EXPECT_LE(sim.responder->SearchRequests() - searchesAtSilence, 5u);
    EXPECT_GE(sim.responder->SearchRequests() - searchesAtSilence, 1u);
    EXPECT_EQ(CountText(*dlg), "Count:3");
    ASSERT_TRUE(WaitUntil(
        [&] {
            return RowOfIp(sim.cams[1].ip) >= 0 &&
                   Text(RowOfIp(sim.cams[1].ip), 1) == "Renamed camera";
        },
        3000));
    EXPECT_EQ(RowOfIp(sim.cams[1].ip), renamedRow) << "the renamed camera keeps its row";
    EXPECT_EQ(Rows(), 3);
}

TEST_F(MainWindowTest, SelectionByClickOnlyAndPrunedSelectionClearsThePages) {
    zv::SetTimeScale(10);
    SimFleet sim(3);
    auto dlg = Open();
    dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 3; }, 3000));
    const int r = RowOfIp(sim.cams[1].ip);
    ClickRow(r);
    ASSERT_NE(dlg->PageGeneral()->ShownCamera(), nullptr);
    EXPECT_EQ(std::string(dlg->PageOthers()->ShownCamera()->params.szIP), sim.cams[1].ip);
    EXPECT_NE(dlg->PageSmart()->ShownCamera(), nullptr);
    EXPECT_EQ(dlg->Cameras().CurSel(), r);
    EXPECT_TRUE(ButtonsEnabled(*dlg));

    // The keyboard moves the highlight, not the selection.
    list->setFocus();
    QTest::keyClick(list, r == 0 ? Qt::Key_Down : Qt::Key_Up);
    EXPECT_NE(list->currentIndex().row(), r);
    EXPECT_EQ(dlg->Cameras().CurSel(), r);
    EXPECT_EQ(std::string(dlg->PageGeneral()->ShownCamera()->params.szIP), sim.cams[1].ip);
    ClickRow(r);

    sim.SetSilent(1, true);
    ASSERT_TRUE(WaitUntil([&] { return RowOfIp(sim.cams[1].ip) < 0; }, 5000));
    EXPECT_EQ(dlg->PageGeneral()->ShownCamera(), nullptr);
    EXPECT_EQ(dlg->PageOthers()->ShownCamera(), nullptr);
    EXPECT_EQ(dlg->PageSmart()->ShownCamera(), nullptr);
    EXPECT_EQ(dlg->Cameras().CurSel(), -1);
    EXPECT_TRUE(ButtonsDisabled(*dlg));
}

TEST_F(MainWindowTest, MassPruneReloadsTheViewAndKeepsTheSelectedCameraHighlighted) {
    zv::SetTimeScale(10);
    SimFleet sim(50);
    auto dlg = Open();
    dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 50; }, 3000));
    const std::string kept = sim.cams[45].ip;
    list->scrollTo(list->model()->index(RowOfIp(kept), 0));
    ClickRow(RowOfIp(kept));
    ASSERT_TRUE(ButtonsEnabled(*dlg));
    for (size_t i = 0; i < 35; ++i) sim.SetSilent(i, true);  // more than one reload's worth
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 15; }, 5000));
    for (int r = 0; r < Rows(); ++r)
        EXPECT_EQ(Text(r, 2), QString::fromStdString(sim.cams[size_t(35 + r)].ip)) << r;
    const QModelIndexList sel = list->selectionModel()->selectedRows();
    ASSERT_EQ(sel.size(), 1);
    EXPECT_EQ(Text(sel.front().row(), 2), QString::fromStdString(kept));
    EXPECT_EQ(dlg->Cameras().CurSel(), sel.front().row());
    EXPECT_EQ(std::string(dlg->PageGeneral()->ShownCamera()->params.szIP), kept);
    EXPECT_TRUE(ButtonsEnabled(*dlg));
    EXPECT_EQ(CountText(*dlg), "Count:15");
}

TEST_F(MainWindowTest, AdapterSwitchEmptiesTheListAtOnceAndSearchesTheNewAdapter) {
    SimFleet sim(3);
    CFakeAdapters two{{{"Loopback adapter", "127.0.0.1"}, {"Second adapter", "127.0.0.2"}}};
    auto dlg = Open(&two);
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 3; }, 2000));
    ClickRow(0);
    // Still queued at the switch: a camera and a prune of the old search, which belong to
    // the old adapter, and a settings result, which the user should still see.
    auto* stale = new CameraEntry{};
    zv::CopyToField(stale->params.szIP, "127.0.99.99");
    stale->bSeen = 1;
    dlg->PostMessage(WM_SEARCH_RESULT, SEARCH_EVENT_FOUND, reinterpret_cast<zv::LPARAM>(stale));
    dlg->PostMessage(WM_SEARCH_PRUNE, 0, 0);
    dlg->PostMessage(WM_SEARCH_RESULT, SET_RESULT_OK, 0);
    auto* cbo = Child<QComboBox>(*dlg, "cbo1008_adapter");
    ASSERT_EQ(cbo->count(), 2);
    EXPECT_EQ(cbo->itemText(1), "Second adapter");
    cbo->setCurrentIndex(1);
    emit cbo->activated(1);
    EXPECT_EQ(dlg->PendingMessages(), 1u) << "only the settings result is left";
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(CountText(*dlg), "Count:0");
    EXPECT_FALSE(Child<QPushButton>(*dlg, "btn1018_export")->isEnabled());
    EXPECT_TRUE(ButtonsDisabled(*dlg));
    EXPECT_EQ(dlg->PageGeneral()->ShownCamera(), nullptr);
    EXPECT_EQ(Child<QLineEdit>(*dlg, "edt1003_ip")->text(), "127.0.0.2");
    EXPECT_EQ(dlg->Finder().m_strBindIP, L"127.0.0.2");
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 3; }, 2000));
    EXPECT_EQ(CountText(*dlg), "Count:3");
    EXPECT_LT(RowOfIp("127.0.99.99"), 0);
    EXPECT_EQ(boxes.Count(L"Set success"), 1);
}

TEST_F(MainWindowTest, NoAdapterShowsBox118OnceAndDoesNotSearch) {
    CFakeAdapters none{{}};
    auto dlg = Open(&none);
    dlg->OnFind();
    Pump(100);
    ASSERT_EQ(boxes.m_boxes.size(), 1u);
    EXPECT_EQ(boxes.m_boxes[0].text, "No network card information");
    EXPECT_EQ(boxes.m_boxes[0].caption, "Prompt");
    EXPECT_EQ(boxes.m_boxes[0].kind, BoxKind::Information);
    EXPECT_FALSE(dlg->IsSearching());
    EXPECT_FALSE(dlg->UpdateThread().m_hThread.joinable());
    EXPECT_EQ(CountText(*dlg), "Count:0");
}

TEST_F(MainWindowTest, LanguageSwitchKeepsCountAndExportAndRetitlesEverything) {
    SimFleet sim(2);
    auto dlg = Open();
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 2; }, 2000));
    auto* lang = Child<QComboBox>(*dlg, "cbo1000_language");
    ASSERT_EQ(lang->count(), 4);
    EXPECT_EQ(lang->itemText(1), QString::fromUtf8("简体中文"));
    struct Case {
        int nIndex;
        const char* title;
        const char* count;
        const char* find;
        const char* adapterLabel;
        const char* tab1;
        const char* column0;
    };
    const Case cases[] = {
        {1, "Zarvon V1.0.0.9", "共有摄像机:2", "查找", "网卡:", "其他信息", "类型"},
        {3, "Norvik Wyszukaj kamerę V1.0.0.9", "Znaleziono2", "Znajdź", "Karta sieciowa", "Inne",
         "Tryb"},
        {0, "Zarvon V1.0.0.9", "Count:2", "Find", "Network Adapter:", "Others", "Mode"},
    };
    for (const Case& c : cases) {
        lang->setCurrentIndex(c.nIndex);
        emit lang->activated(c.nIndex);
        EXPECT_EQ(GetLanguage(), c.nIndex);
        EXPECT_EQ(dlg->windowTitle(), QString::fromUtf8(c.title));
        EXPECT_EQ(CountText(*dlg), QString::fromUtf8(c.count));
        EXPECT_TRUE(Child<QPushButton>(*dlg, "btn1018_export")->isEnabled());
        EXPECT_EQ(Child<QPushButton>(*dlg, "btn1020_find")->text(), QString::fromUtf8(c.find));
        EXPECT_EQ(Child<QLabel>(*dlg, "lbl1009_adapter")->text(),
                  QString::fromUtf8(c.adapterLabel));
        EXPECT_EQ(Child<QTabWidget>(*dlg, "tab1022_pages")->tabText(1), QString::fromUtf8(c.tab1));
        EXPECT_EQ(list->model()->headerData(0, Qt::Horizontal).toString(),
                  QString::fromUtf8(c.column0));
        EXPECT_EQ(Child<QGroupBox>(*dlg, "grp1015_cameras")->title(),
                  QString::fromStdWString(LoadStrId(109)));
        // The General page took the new language too.
        EXPECT_EQ(dlg->PageGeneral()->findChild<QLabel*>("lbl1037_name")->text(),
                  QString::fromStdWString(LoadStrId(132)));
    }
    EXPECT_EQ(Rows(), 2);
}

TEST_F(MainWindowTest, SendFailureShowsBox122AndSettingsRepliesTheirBoxes) {
    zv::SetTimeScale(10);
    // Bound to no particular address, a limited broadcast has no route here: every
    // search pass fails to send and the scheduler reports it.
    CFakeAdapters unrouted{{{"Unrouted adapter", "0.0.0.0"}}};
    auto dlg = Open(&unrouted);
    const std::wstring k122 = L"Search send failure, please check the network connection.";
    ASSERT_TRUE(WaitUntil([&] { return boxes.Count(k122) >= 2; }, 3000));
    EXPECT_EQ(boxes.m_boxes.back().caption, "Prompt");
    EXPECT_EQ(boxes.m_boxes.back().kind, BoxKind::Information);
    dlg->done(0);  // no more passes
    boxes.m_boxes.clear();
    auto dlg2 = Open();
    // The settings replies' results, as the callback posts them.
    dlg2->PostMessage(WM_SEARCH_RESULT, SET_RESULT_OK, 0);
    dlg2->PostMessage(WM_SEARCH_RESULT, SET_RESULT_BAD_AUTH, 0);
    dlg2->PostMessage(WM_SEARCH_RESULT, SET_RESULT_NO_RIGHT, 0);
    dlg2->PostMessage(WM_SEARCH_RESULT, 1, 0);
    Pump(50);
    EXPECT_EQ(boxes.Count(L"Set success"), 1);
    EXPECT_EQ(boxes.Count(L"ERROR Incorrect username or password"), 1);
    EXPECT_EQ(boxes.Count(L"Lack of user rights  Lack"), 1);
    EXPECT_EQ(boxes.m_boxes.size(), 3u) << "result 1 shows nothing";
}

TEST_F(MainWindowTest, CloseDuringASearchLeavesNoThreadRunning) {
    {
        // The toolkit starts threads of its own when a first window shows.
        CFakeAdapters none{{}};
        auto warmUp = Open(&none);
        warmUp->show();
        Pump(50);
    }
    const int threadsBefore = ProcessThreads();
    zv::SetTimeScale(10);
    {
        SimFleet sim(3);
        auto dlg = Open();
        dlg->show();
        ASSERT_TRUE(WaitUntil([&] { return Rows() == 3; }, 2000));
        ASSERT_TRUE(dlg->IsSearching());
        // A found camera still queued when the window goes: its block goes with it.
        auto* block = new CameraEntry{};
        ASSERT_TRUE(dlg->PostMessage(WM_SEARCH_RESULT, SEARCH_EVENT_FOUND,
                                     reinterpret_cast<zv::LPARAM>(block)));
        dlg->close();
        EXPECT_FALSE(dlg->IsSearching());
        EXPECT_FALSE(dlg->UpdateThread().m_hThread.joinable());
        EXPECT_FALSE(dlg->Finder().m_hThread.joinable());
        EXPECT_EQ(dlg->PageGeneral(), nullptr) << "pages go after the search stopped";
        EXPECT_FALSE(dlg->PostMessage(WM_SEARCH_PRUNE, 0, 0)) << "a closed window takes nothing";
        Pump(50);
        EXPECT_EQ(Rows(), 3);
    }
    EXPECT_LE(ProcessThreads(), threadsBefore);
}

}  // namespace
