#include "camlist/camera_list.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <random>
#include <thread>

#include "camera_fixture.h"
#include "i18n/string_table.h"

namespace {

// A list view that applies the reported row changes in order, as the window does.
struct ShadowView {
    std::vector<CameraRow> rows;
    void Apply(const CCameraList& list, const std::vector<RowChange>& changes) {
        for (const RowChange& c : changes) {
            switch (c.nKind) {
                case RowChange::kInsert:
                    rows.insert(rows.begin() + c.nRow, list.Rows()[c.nRow]);
                    break;
                case RowChange::kDelete:
                    rows.erase(rows.begin() + c.nRow);
                    break;
                case RowChange::kRefresh:
                    rows[c.nRow] = list.Rows()[c.nRow];
                    break;
            }
        }
    }
    void Apply(const CCameraList& list, const AddResult& r) {
        if (r.nResult == ADD_INSERTED) Apply(list, {{RowChange::kInsert, r.nRow}});
    }
};

std::vector<std::string> Addresses(const CCameraList& list) {
    std::vector<std::string> out;
    for (const CameraEntry& e : list.Cameras()) out.push_back(zv::FieldText(e.params.szIP));
    return out;
}

class CameraListBoth : public ::testing::TestWithParam<bool> {};

TEST_P(CameraListBoth, MergeKeysOnMacAndAddress) {
    CCameraList list(GetParam());
    EXPECT_EQ(list.AddCamera(MakeCamera(1, "10.0.0.5")).nResult, ADD_INSERTED);
    // Same MAC, another address: a second row.
    AddResult r = list.AddCamera(MakeCamera(1, "10.0.0.6"));
    EXPECT_EQ(r.nResult, ADD_INSERTED);
    EXPECT_EQ(r.nRow, 1);
    // Same address, another MAC: a third row.
    EXPECT_EQ(list.AddCamera(MakeCamera(2, "10.0.0.5")).nRow, 2);
    // Same key again: the entry is overwritten, the row keeps its old texts.
    r = list.AddCamera(MakeCamera(1, "10.0.0.6", "renamed", 8080));
    EXPECT_EQ(r.nResult, ADD_UPDATED);
    EXPECT_EQ(r.nRow, 1);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(zv::FieldText(list.Cameras()[1].params.szName), "renamed");
    EXPECT_EQ(list.Rows()[1].strName, L"cam");
    EXPECT_EQ(list.Rows()[1].strPort, L"80");
    EXPECT_EQ(list.Rows()[0], (CameraRow{L"T", L"cam", L"10.0.0.5", L"80"}));
}

TEST_P(CameraListBoth, SilentCameraGoesAtTheSecondPruneAfterItsLastReply) {
    CCameraList list(GetParam());
    list.AddCamera(MakeCamera(1, "10.0.0.5"));
    list.AddCamera(MakeCamera(2, "10.0.0.6"));
    PruneResult p = list.Prune();  // both seen: nothing goes
    EXPECT_TRUE(p.bDone);
    EXPECT_TRUE(p.vecChanges.empty());
    list.AddCamera(MakeCamera(2, "10.0.0.6"));  // only camera 2 answers
    p = list.Prune();
    EXPECT_EQ(p.vecChanges, (std::vector<RowChange>{{RowChange::kDelete, 0}}));
    EXPECT_EQ(Addresses(list), std::vector<std::string>{"10.0.0.6"});
}

TEST_P(CameraListBoth, CameraThatChangesAddressGetsANewRowAndLosesTheOld) {
    CCameraList list(GetParam());
    list.AddCamera(MakeCamera(1, "10.0.0.5"));
    list.Prune();
    EXPECT_EQ(list.AddCamera(MakeCamera(1, "192.168.1.5")).nResult, ADD_INSERTED);
    EXPECT_EQ(list.Count(), 2);
    PruneResult p = list.Prune();
    EXPECT_EQ(p.vecChanges, (std::vector<RowChange>{{RowChange::kDelete, 0}}));
    EXPECT_EQ(Addresses(list), std::vector<std::string>{"192.168.1.5"});
    // The old key is gone from the lookup too: it comes back as a new row.
    EXPECT_EQ(list.AddCamera(MakeCamera(1, "10.0.0.5")).nRow, 1);
}

TEST_P(CameraListBoth, ChangedTextsRefreshTheRowInPlaceAtThePrune) {
    CCameraList list(GetParam());
    list.AddCamera(MakeCamera(1, "10.0.0.5", "front"));
    list.AddCamera(MakeCamera(2, "10.0.0.6", "back"));
    list.AddCamera(MakeCamera(3, "10.0.0.7", "yard"));
    list.AddCamera(MakeCamera(2, "10.0.0.6", "garage", 81));
    // Blanks around a text do not count as a change.
    list.AddCamera(MakeCamera(3, "10.0.0.7", "yard "));
    PruneResult p = list.Prune();
    EXPECT_EQ(p.vecChanges, (std::vector<RowChange>{{RowChange::kRefresh, 1}}));
    EXPECT_EQ(list.Rows()[1], (CameraRow{L"T", L"garage", L"10.0.0.6", L"81"}));
    EXPECT_EQ(list.Rows()[2].strName, L"yard");
    // New firmware of another class: the mode letter is renewed as well.
    list.AddCamera(MakeCamera(1, "10.0.0.5", "front", 80, 2));
    list.AddCamera(MakeCamera(2, "10.0.0.6", "garage", 81));
    list.AddCamera(MakeCamera(3, "10.0.0.7", "yard "));
    p = list.Prune();
    EXPECT_EQ(p.vecChanges, (std::vector<RowChange>{{RowChange::kRefresh, 0}}));
    EXPECT_EQ(list.Rows()[0].strMode, L"F");
}

TEST_P(CameraListBoth, SelectedCameraPrunedClearsTheSelection) {
    CCameraList list(GetParam());
    list.AddCamera(MakeCamera(1, "10.0.0.5"));
    list.AddCamera(MakeCamera(2, "10.0.0.6"));
    ASSERT_TRUE(list.Select(1));
    list.Prune();
    list.AddCamera(MakeCamera(1, "10.0.0.5"));
    PruneResult p = list.Prune();
    EXPECT_TRUE(p.bSelectionCleared);
    EXPECT_EQ(list.CurSel(), -1);
    // Nothing selected any more: a later prune has no selection to clear.
    EXPECT_FALSE(list.Prune().bSelectionCleared);
}

TEST_P(CameraListBoth, PruneAboveTheSelectionKeepsNamingTheSameCamera) {
    CCameraList list(GetParam());
    for (uint8_t i = 1; i <= 5; ++i) list.AddCamera(MakeCamera(i, "10.0.0." + std::to_string(i)));
    ASSERT_TRUE(list.Select(3));  // 10.0.0.4
    list.Prune();
    // Cameras 1, 3 (above) and 5 (below) fall silent.
    for (uint8_t i : {2, 4}) list.AddCamera(MakeCamera(i, "10.0.0." + std::to_string(i)));
    PruneResult p = list.Prune();
    EXPECT_FALSE(p.bSelectionCleared);
    EXPECT_EQ(p.vecChanges,
              (std::vector<RowChange>{
                  {RowChange::kDelete, 0}, {RowChange::kDelete, 1}, {RowChange::kDelete, 2}}));
    ASSERT_EQ(list.CurSel(), 1);
    EXPECT_EQ(zv::FieldText(list.Cameras()[list.CurSel()].params.szIP), "10.0.0.4");
}

TEST_P(CameraListBoth, EmptiedListClearsTheSelection) {
    CCameraList list(GetParam());
    list.AddCamera(MakeCamera(1, "10.0.0.5"));
    list.Select(0);
    list.Prune();
    PruneResult p = list.Prune();
    EXPECT_TRUE(p.bSelectionCleared);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.CurSel(), -1);
}

TEST_P(CameraListBoth, BusyListDropsAddsAndSkipsWalkers) {
    CCameraList list(GetParam());
    list.AddCamera(MakeCamera(1, "10.0.0.5"));
    ASSERT_TRUE(list.TryLock());
    EXPECT_FALSE(list.TryLock());
    EXPECT_EQ(list.AddCamera(MakeCamera(2, "10.0.0.6")).nResult, ADD_DROPPED);
    EXPECT_FALSE(list.Prune().bDone);
    std::wstring ip;
    int port = 0;
    EXPECT_EQ(list.FindCameraByMac(L"00:1A:2B:3C:4D:01", ip, port), 0);
    std::string text = "x";
    EXPECT_FALSE(list.BuildExport(text));
    list.Unlock();
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.FindCameraByMac(L"00:1A:2B:3C:4D:01", ip, port), 1);
}

TEST_P(CameraListBoth, FindCameraByMacMatchesTheExactUpperCaseText) {
    CCameraList list(GetParam());
    CameraEntry a = MakeCamera(0xAB, " 10.0.0.5 ", "a", 8080);
    list.AddCamera(a);
    list.AddCamera(MakeCamera(0xAB, "10.0.0.9", "b", 81));
    std::wstring ip = L"unchanged";
    int port = -1;
    EXPECT_EQ(list.FindCameraByMac(L"00:1a:2b:3c:4d:ab", ip, port), 0);
    EXPECT_EQ(list.FindCameraByMac(L"001A2B3C4DAB", ip, port), 0);
    EXPECT_EQ(ip, L"unchanged");
    EXPECT_EQ(port, -1);
    EXPECT_EQ(list.FindCameraByMac(L"00:1A:2B:3C:4D:AB", ip, port), 1);
    EXPECT_EQ(ip, L"10.0.0.5");  // the first in row order, trimmed
    EXPECT_EQ(port, 8080);
}

TEST_P(CameraListBoth, SelectCopiesTheEntryAndClearEmptiesEverything) {
    CCameraList list(GetParam());
    list.AddCamera(MakeCamera(1, "10.0.0.5", "one"));
    list.AddCamera(MakeCamera(2, "10.0.0.6", "two"));
    EXPECT_TRUE(list.Select(1));
    EXPECT_EQ(zv::FieldText(list.CurEntry().params.szName), "two");
    EXPECT_FALSE(list.Select(5));
    EXPECT_EQ(list.CurSel(), -1);
    EXPECT_EQ(list.CurEntry().params.nHttpPort, 0);
    list.Select(0);
    EXPECT_EQ(list.Clear(), 2);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(list.Rows().empty());
    EXPECT_EQ(list.CurSel(), -1);
    EXPECT_EQ(list.AddCamera(MakeCamera(2, "10.0.0.6")).nRow, 0);
}

// Random replies, silences and prunes: the indexed list, the plain walk and a view
// applying the reported changes must agree at every step.
TEST(CameraList, IndexedMergeMatchesTheInOrderWalkAndTheViewMirrorsIt) {
    std::mt19937 rng(12345);
    CCameraList indexed(true), walked(false);
    ShadowView view;
    for (int step = 0; step < 4000; ++step) {
        if (rng() % 10 == 0) {
            PruneResult a = indexed.Prune();
            PruneResult b = walked.Prune();
            ASSERT_EQ(a.vecChanges, b.vecChanges);
            ASSERT_EQ(a.bSelectionCleared, b.bSelectionCleared);
            view.Apply(indexed, a.vecChanges);
            // A selection that survives still names the camera that was clicked.
            if (indexed.CurSel() >= 0) {
                const CameraParams& sel = indexed.Cameras()[indexed.CurSel()].params;
                ASSERT_EQ(std::memcmp(sel.byMacAddr, indexed.CurEntry().params.byMacAddr, 6), 0);
                ASSERT_STREQ(sel.szIP, indexed.CurEntry().params.szIP);
            }
        } else if (rng() % 10 == 0 && indexed.Count() > 0) {
            int row = static_cast<int>(rng() % static_cast<unsigned>(indexed.Count()));
            indexed.Select(row);
            walked.Select(row);
        } else {
            uint8_t mac = static_cast<uint8_t>(rng() % 8);
            std::string ip = "10.0.0." + std::to_string(rng() % 6);
            std::string name = "n" + std::to_string(rng() % 3);
            CameraEntry e = MakeCamera(mac, ip, name, static_cast<uint16_t>(80 + rng() % 2));
            AddResult a = indexed.AddCamera(e);
            AddResult b = walked.AddCamera(e);
            ASSERT_EQ(a.nResult, b.nResult);
            ASSERT_EQ(a.nRow, b.nRow);
            view.Apply(indexed, a);
        }
        ASSERT_EQ(Addresses(indexed), Addresses(walked));
        ASSERT_EQ(indexed.Rows(), walked.Rows());
        ASSERT_EQ(view.rows, indexed.Rows()) << "step " << step;
        ASSERT_EQ(indexed.CurSel(), walked.CurSel());
    }
}

TEST(CameraList, ClearWaitsForAWalkerOnAnotherThread) {
    CCameraList list;
    list.AddCamera(MakeCamera(1, "10.0.0.5"));
    ASSERT_TRUE(list.TryLock());
    std::atomic<bool> bCleared{false};
    std::thread t([&] {
        list.Clear();
        bCleared = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(bCleared);
    EXPECT_EQ(list.Count(), 1);
    list.Unlock();
    t.join();
    EXPECT_TRUE(bCleared);
    EXPECT_EQ(list.Count(), 0);
}

TEST(CameraList, CountTextFollowsTheLanguage) {
    EXPECT_EQ(CountText(3), L"Count:3");
    SetLanguage(1);
    EXPECT_EQ(CountText(0), L"共有摄像机:0");
    SetLanguage(0);
}

INSTANTIATE_TEST_SUITE_P(IndexAndWalk, CameraListBoth, ::testing::Bool());

}  // namespace
