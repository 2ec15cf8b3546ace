// CZarvonDlg, the program's only top-level window: the PC's adapters and the cameras
// found on the chosen adapter's network on the left, three tab pages about the selected
// camera on the right. It owns the search engine, the search scheduler, the adapter list,
// the camera list and the pages.
//
// The scheduler and the engine's listener reach the window only through its message
// sink (zv::IMessageSink): each message becomes a Qt event posted to the window and is
// handled on the UI thread.
#pragma once
#include <QDialog>
#include <QEvent>
#include <QIcon>
#include <atomic>
#include <memory>
#include <vector>

#include "base/message.h"
#include "camlist/camera_list.h"
#include "discovery/search_engine.h"
#include "discovery/search_scheduler.h"
#include "gui/app/dialog_units.h"
#include "gui/app/sink_queue.h"
#include "netinfo/net_card_info.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTableView;
class CCameraListModel;
class QTabWidget;
class CXPButton;
class CCameraPage;
class CDlgBasicInfo;
class CDlgOtherInfo;
class CDlgSmartUpgd;

// The main window's controls: id, kind, caption string, position in dialog units.
extern const DlgControl kMainDlgControls[24];
constexpr int kMainDlgWidthDu = 419;
constexpr int kMainDlgHeightDu = 274;
// The system-menu command of the About box; commands 16-31 all open it.
constexpr int IDM_ABOUTBOX = 0x0010;

class CZarvonDlg : public QDialog, public zv::IMessageSink {
    Q_OBJECT
public:
    // pSource: where the adapters come from (null: this PC's adapters).
    explicit CZarvonDlg(QWidget* parent = nullptr, IAdapterSource* pSource = nullptr);
    ~CZarvonDlg() override;

    // zv::IMessageSink: any thread. False once the window is going away; the sender then
    // keeps (and frees) what it meant to hand over.
    bool PostMessage(uint32_t message, zv::WPARAM wParam, zv::LPARAM lParam) override;

    // For the upgrade pages (any thread): address and port of the listed camera whose MAC
    // text ("%02X:..") equals strMac exactly; 0 when none matches or the list is busy.
    int FindCameraByMac(std::wstring_view strMac, std::wstring& strIP, int& nPort);

    // Ends the window: the search stops and the pages go before the dialog ends.
    void done(int r) override;

    // System command nID (16-31 open the About box); true when it was handled here.
    bool OnSysCommand(int nID);
    // The window's system-menu items, offered as the background's context menu where the
    // window system has no system menu.
    std::unique_ptr<QMenu> MakeSystemMenu();

    // Handlers, public so that tests drive them as the toolkit would.
    void OnSelchangeNetCard();
    void OnSelchangeLanguage();
    void OnClickListCamera();
    void OnFind();
    // The commands on the selected camera and the list (main_commands.cpp).
    void OnApply();
    void OnOneKeySet();
    void OnExport();
    void OnDblclkListCamera();

    // The window's parts, for the pages and the tests.
    CCameraList& Cameras() { return m_cameras; }
    const std::vector<NetCardEntry>& NetCards() const { return m_vecNetCard; }
    COstrel& Finder() { return m_finder; }
    CUpdateThread& UpdateThread() { return m_updateThread; }
    CDlgBasicInfo* PageGeneral() const { return m_pageGeneral; }
    CDlgOtherInfo* PageOthers() const { return m_pageOthers; }
    CDlgSmartUpgd* PageSmart() const { return m_pageSmart; }
    QTableView* CameraListView() const { return m_listCamera; }
    const CDialogUnits& Units() const { return m_units; }
    // Whether a search (listener and scheduler) is running.
    bool IsSearching() const { return m_bSearching; }

    // The event that makes the window handle its queued sink messages.
    static const QEvent::Type kDrainEvent;
    // Longest slice of queued messages handled before the event loop gets its turn.
    static constexpr int kDrainSliceMs = 5;
    // A prune with more row changes than this reloads the view in one go.
    static constexpr size_t kReloadChanges = 32;
    size_t PendingMessages() { return m_inbox.Size(); }

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
#ifdef _WIN32
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

private:
    void OnInitDialog();
    void AppendSystemMenuItem();
    void CreateControls();
    void RefreshNetCardPanel();
    void ShowNetCard(int i);
    void ApplyCaptions();
    void CreatePages();
    int StartSearch(const std::wstring& strIP);
    void StopSearch();
    void OnDestroy();

    void OnDrain();
    void OnSinkMessage(uint32_t message, zv::WPARAM wParam, CameraEntry* pBlock);
    void OnSearchResult(zv::WPARAM wParam, CameraEntry* pBlock);
    void OnSearchPrune();
    void AddCamera(const CameraEntry& entry);
    void ApplyPruneToView(const std::vector<RowChange>& vecChanges);
    void ShowCount(int n);
    void ClearSelection();
    void ShowCameraOnPages(const CameraEntry* pEntry);
    void EnableCameraButtons(bool bEnable);
    void SetColumnWidths();
    void PostSettings(const CameraEntry& entry);

    static void SearchCallbackProc(int32_t nEvent, void* pData, void* pUser);

    QIcon m_hIcon;
    CDialogUnits m_units;
    QComboBox* m_cboLanguage = nullptr;
    CDlgBasicInfo* m_pageGeneral = nullptr;
    CDlgOtherInfo* m_pageOthers = nullptr;
    CDlgSmartUpgd* m_pageSmart = nullptr;
    std::vector<NetCardEntry> m_vecNetCard;
    CUpdateThread m_updateThread;
    COstrel m_finder;
    // m_vecCamera, m_curEntry, m_nCurSel and the m_bBusy try-lock live in the list model,
    // which the command-line tool shares.
    CCameraList m_cameras;
    QComboBox* m_cboNetCard = nullptr;
    QTableView* m_listCamera = nullptr;
    CCameraListModel* m_pListModel = nullptr;
    CXPButton* m_btnExport = nullptr;
    CXPButton* m_btnApply = nullptr;
    CXPButton* m_btnClose = nullptr;
    CXPButton* m_btnFind = nullptr;
    CXPButton* m_btnOneKey = nullptr;
    QTabWidget* m_tab = nullptr;

    QLineEdit* m_edtAddr[5] = {};  // 1003-1007
    QLabel* m_lblCount = nullptr;
    std::vector<std::pair<QWidget*, int>> m_vecCaptioned;  // widget, caption string id
    IAdapterSource* m_pSource;
    bool m_bSearching = false;
    bool m_bDestroyed = false;
    std::atomic<bool> m_bAccepting{true};
    CSinkQueue m_inbox;
};
