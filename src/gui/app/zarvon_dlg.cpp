#include "gui/app/zarvon_dlg.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>

#ifdef _WIN32
#include <windows.h>
#undef PostMessage  // the sink's method, not the Win32 macro
#endif

#include "base/app_messages.h"
#include "base/message_queue.h"
#include "diag/trace.h"
#include "gui/app/about_dlg.h"
#include "gui/app/app_icon.h"
#include "gui/app/camera_list_model.h"
#include "gui/controls/xp_button.h"
#include "gui/pages/general_page.h"
#include "gui/pages/others_page.h"
#include "gui/services/message_box.h"
#include "gui/upgrade/smart_upgrade_page.h"
#include "i18n/string_table.h"

const DlgControl kMainDlgControls[24] = {
    {1002, DlgKind::GroupBox, 102, 2, 3, 187, 109, "grp1002_computer"},
    {1009, DlgKind::Label, 103, 7, 16, 64, 8, "lbl1009_adapter"},
    {1008, DlgKind::ComboBox, 0, 75, 13, 106, 107, "cbo1008_adapter"},
    {1010, DlgKind::Label, 104, 7, 32, 64, 8, "lbl1010_ip"},
    {1003, DlgKind::ReadOnlyEdit, 0, 75, 28, 106, 14, "edt1003_ip"},
    {1011, DlgKind::Label, 105, 7, 48, 64, 8, "lbl1011_mask"},
    {1004, DlgKind::ReadOnlyEdit, 0, 75, 44, 106, 14, "edt1004_mask"},
    {1012, DlgKind::Label, 106, 7, 64, 64, 8, "lbl1012_gateway"},
    {1005, DlgKind::ReadOnlyEdit, 0, 75, 60, 106, 14, "edt1005_gateway"},
    {1013, DlgKind::Label, 107, 7, 80, 64, 8, "lbl1013_dns1"},
    {1006, DlgKind::ReadOnlyEdit, 0, 75, 76, 106, 14, "edt1006_dns1"},
    {1014, DlgKind::Label, 108, 7, 96, 64, 8, "lbl1014_dns2"},
    {1007, DlgKind::ReadOnlyEdit, 0, 75, 92, 106, 14, "edt1007_dns2"},
    {1015, DlgKind::GroupBox, 109, 2, 112, 187, 139, "grp1015_cameras"},
    {1017, DlgKind::ListView, 0, 5, 122, 181, 110, "lst1017_cameras"},
    {1019, DlgKind::Label, 115, 8, 237, 99, 8, "lbl1019_count"},
    {1018, DlgKind::Button, 116, 130, 234, 50, 14, "btn1018_export"},
    {1021, DlgKind::Button, 127, 130, 256, 50, 14, "btn1021_onekey"},
    {1016, DlgKind::GroupBox, 110, 192, 3, 224, 248, "grp1016_camera_info"},
    {1000, DlgKind::ComboBox, 0, 337, 1, 77, 133, "cbo1000_language"},
    {1022, DlgKind::Tab, 0, 195, 21, 219, 226, "tab1022_pages"},
    {1020, DlgKind::Button, 126, 218, 256, 50, 14, "btn1020_find"},
    {1, DlgKind::Button, 128, 279, 256, 50, 14, "btn1_apply"},
    {2, DlgKind::Button, 129, 340, 256, 50, 14, "btn2_close"},
};

namespace {

constexpr const wchar_t* kVersionSuffix = L" V1.0.0.9";

QString Str(int nId) { return QString::fromStdWString(LoadStrId(nId)); }

bool IsSearchMessage(uint32_t message, zv::WPARAM wParam) {
    return message == WM_SEARCH_PRUNE ||
           (message == WM_SEARCH_RESULT && wParam == zv::WPARAM(SEARCH_EVENT_FOUND));
}

}  // namespace

const QEvent::Type CZarvonDlg::kDrainEvent = QEvent::Type(QEvent::registerEventType());

CZarvonDlg::CZarvonDlg(QWidget* parent, IAdapterSource* pSource)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_hIcon(AppIcon()),
      m_units(DialogFont()),
      m_pSource(pSource) {
    setObjectName("dlg102_main");
    setFont(DialogFont());
    setFixedSize(m_units.Size(kMainDlgWidthDu, kMainDlgHeightDu));
    CreateControls();
    // Enter and Escape are taken before any control of this window sees them.
    qApp->installEventFilter(this);
    OnInitDialog();
}

CZarvonDlg::~CZarvonDlg() {
    qApp->removeEventFilter(this);
    OnDestroy();
}

void CZarvonDlg::CreateControls() {
    for (const DlgControl& c : kMainDlgControls) {
        const QRect rc = m_units.Rect(c.x, c.y, c.cx, c.cy);
        QWidget* w = nullptr;
        switch (c.kind) {
            case DlgKind::GroupBox:
                w = new QGroupBox(this);
                break;
            case DlgKind::Label:
                w = new QLabel(this);
                break;
            case DlgKind::ComboBox: {
                auto* cbo = new QComboBox(this);
                w = cbo;
                (c.nId == 1000 ? m_cboLanguage : m_cboNetCard) = cbo;
                break;
            }
            case DlgKind::ReadOnlyEdit:
            case DlgKind::Edit: {
                auto* edt = new QLineEdit(this);
                edt->setReadOnly(c.kind == DlgKind::ReadOnlyEdit);
                if (c.nId >= 1003 && c.nId < 1003 + 5) m_edtAddr[c.nId - 1003] = edt;
                w = edt;
                break;
            }
            case DlgKind::ListView:
                w = m_listCamera = new QTableView(this);
                break;
            case DlgKind::Tab:
                w = m_tab = new QTabWidget(this);
                break;
            case DlgKind::Button: {
                auto* btn = new CXPButton(this);
                btn->setAutoDefault(false);
                w = btn;
                if (c.nId == 1018) m_btnExport = btn;
                if (c.nId == 1021) m_btnOneKey = btn;
                if (c.nId == 1020) m_btnFind = btn;
                if (c.nId == 1) m_btnApply = btn;
                if (c.nId == 2) m_btnClose = btn;
                break;
            }
        }
        w->setObjectName(c.szName);
        QRect place = rc;
        // A drop-down list's template height includes its open list; closed, it is as
        // tall as the toolkit draws it.
        if (c.kind == DlgKind::ComboBox) place.setHeight(w->sizeHint().height());
        w->setGeometry(place);
        if (c.nCaption) m_vecCaptioned.emplace_back(w, c.nCaption);
        if (c.nId == 1019) m_lblCount = static_cast<QLabel*>(w);
    }
    // The language box sits on the frame of the information group: keep it on top.
    m_cboLanguage->raise();

    m_pListModel = new CCameraListModel(m_cameras, this);
    m_listCamera->setModel(m_pListModel);
    m_listCamera->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listCamera->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listCamera->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listCamera->setShowGrid(true);
    m_listCamera->setWordWrap(false);
    m_listCamera->verticalHeader()->hide();
    m_listCamera->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
    m_listCamera->horizontalHeader()->setSectionsMovable(true);
    m_listCamera->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_listCamera->horizontalHeader()->setHighlightSections(false);
    m_listCamera->viewport()->installEventFilter(this);

    connect(m_cboNetCard, &QComboBox::activated, this, [this] { OnSelchangeNetCard(); });
    connect(m_cboLanguage, &QComboBox::activated, this, [this] { OnSelchangeLanguage(); });
    connect(m_btnFind, &QPushButton::clicked, this, [this] { OnFind(); });
    connect(m_btnClose, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
    connect(m_btnApply, &QPushButton::clicked, this, [this] { OnApply(); });
    connect(m_btnOneKey, &QPushButton::clicked, this, [this] { OnOneKeySet(); });
    connect(m_btnExport, &QPushButton::clicked, this, [this] { OnExport(); });
    connect(m_listCamera, &QAbstractItemView::doubleClicked, this,
            [this] { OnDblclkListCamera(); });
}

void CZarvonDlg::OnInitDialog() {
    AppendSystemMenuItem();
    setWindowIcon(m_hIcon);
    RefreshNetCardPanel();

    for (int i = 0; i < kLanguageCount; ++i)
        m_cboLanguage->addItem(QString::fromWCharArray(LanguageLabel(i)), i);
    m_cboLanguage->setCurrentIndex(
        GetLanguage() >= 0 && GetLanguage() < kLanguageCount ? GetLanguage() : 0);
    SetColumnWidths();
    CreatePages();
    m_tab->setCurrentIndex(0);
    ApplyCaptions();

    if (m_cboNetCard->currentIndex() < 0)
        InfoBox(LoadStrId(118));
    else
        StartSearch(m_vecNetCard[0].strIP);

    ShowCameraOnPages(nullptr);
    EnableCameraButtons(false);
}

void CZarvonDlg::SetColumnWidths() {
    const int w = (m_listCamera->width() - 6) / 4;
    const int widths[4] = {w - 30, w + 20, w + 30, w - 20};
    for (int i = 0; i < 4; ++i) m_listCamera->setColumnWidth(i, widths[i]);
}

void CZarvonDlg::CreatePages() {
    m_pageGeneral = new CDlgBasicInfo;
    m_pageOthers = new CDlgOtherInfo;
    m_pageSmart = new CDlgSmartUpgd;
    m_pageGeneral->setObjectName("page129_general");
    m_pageOthers->setObjectName("page130_others");
    m_pageSmart->setObjectName("page132_smart");
    m_pageOthers->m_pMainDlg = this;
    m_pageSmart->m_pMainDlg = this;
    m_tab->addTab(m_pageGeneral, QString());
    m_tab->addTab(m_pageOthers, QString());
    m_tab->addTab(m_pageSmart, QString());
}

void CZarvonDlg::RefreshNetCardPanel() {
    m_vecNetCard.clear();
    if (m_pSource) {
        CNetCardInfo(*m_pSource).GetNetCardList(m_vecNetCard);
    } else {
        CNetCardInfo().GetNetCardList(m_vecNetCard);
    }
    m_cboNetCard->clear();
    for (size_t i = 0; i < m_vecNetCard.size(); ++i)
        m_cboNetCard->addItem(QString::fromStdWString(m_vecNetCard[i].strDesc), int(i));
    if (!m_vecNetCard.empty()) {
        ShowNetCard(0);
        m_cboNetCard->setCurrentIndex(0);
    }
}

void CZarvonDlg::ShowNetCard(int i) {
    const NetCardEntry& card = m_vecNetCard[size_t(i)];
    const std::wstring* texts[5] = {&card.strIP, &card.strMask, &card.strGateway, &card.strDns1,
                                    &card.strDns2};
    for (int k = 0; k < 5; ++k) m_edtAddr[k]->setText(QString::fromStdWString(*texts[k]));
}

void CZarvonDlg::ApplyCaptions() {
    setWindowTitle(QString::fromStdWString(LoadStrId(158) + kVersionSuffix));
    for (auto& [w, nId] : m_vecCaptioned) {
        if (w == m_lblCount) continue;
        if (auto* grp = qobject_cast<QGroupBox*>(w))
            grp->setTitle(Str(nId));
        else if (auto* lbl = qobject_cast<QLabel*>(w))
            lbl->setText(Str(nId));
        else if (auto* btn = qobject_cast<QPushButton*>(w))
            btn->setText(Str(nId));
    }
    ShowCount(m_pListModel->rowCount());
    m_pListModel->SetHeaders({Str(111), Str(112), Str(113), Str(114)});
    const int tabs[3] = {130, 131, 160};
    for (int i = 0; i < 3 && i < m_tab->count(); ++i) m_tab->setTabText(i, Str(tabs[i]));
    CCameraPage* pages[3] = {m_pageGeneral, m_pageOthers, m_pageSmart};
    for (CCameraPage* p : pages)
        if (p) p->SetCaptions();
}

int CZarvonDlg::StartSearch(const std::wstring& strIP) {
    m_finder.SetBindIPAddr(strIP);
    if (!m_finder.OpenListenThread(&CZarvonDlg::SearchCallbackProc, this)) {
        InfoBox(LoadStrId(119));
        return 0;
    }
    m_bSearching = true;  // the listener runs; stopping it is due from here on
    TraceOut("\n OpenListenThread");
    if (!m_updateThread.Start(this, &m_finder)) {
        InfoBox(LoadStrId(120));
        return 0;
    }
    return 1;
}

void CZarvonDlg::StopSearch() {
    // Scheduler first, so that nothing is sent on the closing socket.
    m_updateThread.ReleaseUpdateThread();
    m_finder.m_bSearchOk = 0;
    m_finder.uninitsocket();
    m_finder.m_pfnCallback = nullptr;
    m_finder.m_pUser = nullptr;
    m_finder.CloseListenThread();
    m_bSearching = false;
    // Cameras and prunes of the stopped search still queued belong to the old adapter.
    m_inbox.RemoveIf([](const SinkMessage& m) { return IsSearchMessage(m.message, m.wParam); });
}

void CZarvonDlg::OnDestroy() {
    if (m_bDestroyed) return;
    m_bDestroyed = true;
    StopSearch();
    m_bAccepting = false;
    // Each page stops its own job as it goes.
    delete m_pageGeneral;
    delete m_pageOthers;
    delete m_pageSmart;
    m_pageGeneral = nullptr;
    m_pageOthers = nullptr;
    m_pageSmart = nullptr;
    m_inbox.RemoveIf([](const SinkMessage&) { return true; });
}

void CZarvonDlg::done(int r) {
    OnDestroy();
    QDialog::done(r);
}

bool CZarvonDlg::PostMessage(uint32_t message, zv::WPARAM wParam, zv::LPARAM lParam) {
    if (!m_bAccepting) return false;
    SinkMessage msg{message, wParam, nullptr};
    if (message == WM_SEARCH_RESULT && wParam == zv::WPARAM(SEARCH_EVENT_FOUND))
        msg.pBlock.reset(reinterpret_cast<CameraEntry*>(lParam));
    if (m_inbox.Push(std::move(msg))) QCoreApplication::postEvent(this, new QEvent(kDrainEvent));
    return true;
}

void CZarvonDlg::SearchCallbackProc(int32_t nEvent, void* pData, void* pUser) {
    if (!pUser) return;
    auto* self = static_cast<CZarvonDlg*>(pUser);
    if (nEvent == SEARCH_EVENT_FOUND && pData) {
        auto* block = new CameraEntry(*static_cast<const CameraEntry*>(pData));
        if (!self->PostMessage(WM_SEARCH_RESULT, zv::WPARAM(SEARCH_EVENT_FOUND),
                               reinterpret_cast<zv::LPARAM>(block)))
            delete block;
    } else if ((nEvent == SET_RESULT_OK || nEvent == SET_RESULT_BAD_AUTH ||
                nEvent == SET_RESULT_NO_RIGHT) &&
               pData) {
        self->PostMessage(WM_SEARCH_RESULT, zv::WPARAM(nEvent), 0);
    }
}

bool CZarvonDlg::event(QEvent* e) {
    if (e->type() == kDrainEvent) {
        OnDrain();
        return true;
    }
    return QDialog::event(e);
}

void CZarvonDlg::OnDrain() {
    // A box opened by one message runs its own event loop; messages arriving meanwhile
    // get a drain of their own there, as boxes pile up on the original platform.
    m_inbox.BeginDrain();
    QElapsedTimer slice;
    slice.start();
    SinkMessage msg;
    while (m_inbox.Pop(msg)) {
        OnSinkMessage(msg.message, msg.wParam, msg.pBlock.get());
        msg.pBlock.reset();
        if (slice.elapsed() >= kDrainSliceMs) break;
    }
    if (m_inbox.NeedsDrain()) QCoreApplication::postEvent(this, new QEvent(kDrainEvent));
}

void CZarvonDlg::OnSinkMessage(uint32_t message, zv::WPARAM wParam, CameraEntry* pBlock) {
    if (m_bDestroyed) return;
    if (message == WM_SEARCH_RESULT) OnSearchResult(wParam, pBlock);
    if (message == WM_SEARCH_PRUNE) OnSearchPrune();
}

void CZarvonDlg::OnSearchResult(zv::WPARAM wParam, CameraEntry* pBlock) {
    switch (wParam) {
        case 2:
            InfoBox(LoadStrId(122));
            break;
        case zv::WPARAM(SEARCH_EVENT_FOUND):
            if (pBlock) AddCamera(*pBlock);
            break;
        case zv::WPARAM(SET_RESULT_OK):
            InfoBox(LoadStrId(123));
            break;
        case zv::WPARAM(SET_RESULT_BAD_AUTH):
            InfoBox(LoadStrId(124));
            break;
        case zv::WPARAM(SET_RESULT_NO_RIGHT):
            InfoBox(LoadStrId(125));
            break;
        default:
            break;
    }
}

void CZarvonDlg::AddCamera(const CameraEntry& entry) {
    const AddResult r = m_cameras.AddCamera(entry);
    if (r.nResult == ADD_DROPPED) return;
    if (r.nResult == ADD_INSERTED) m_pListModel->RowInserted(r.nRow);
    ShowCount(m_cameras.Count());
    if (r.bSelectionCleared || m_pListModel->rowCount() == 0) ClearSelection();
}

void CZarvonDlg::OnSearchPrune() {
    const PruneResult r = m_cameras.Prune();
    if (!r.bDone) return;
    ApplyPruneToView(r.vecChanges);
    if (r.bSelectionCleared) ClearSelection();
    ShowCount(m_cameras.Count());
    if (m_pListModel->rowCount() == 0) ClearSelection();
}

void CZarvonDlg::ApplyPruneToView(const std::vector<RowChange>& vecChanges) {
    if (vecChanges.size() <= kReloadChanges) {
        for (const RowChange& c : vecChanges) {
            if (c.nKind == RowChange::kInsert) m_pListModel->RowInserted(c.nRow);
            if (c.nKind == RowChange::kDelete) m_pListModel->RowRemoved(c.nRow);
            if (c.nKind == RowChange::kRefresh) m_pListModel->RowRefreshed(c.nRow);
        }
        return;
    }
    // Many rows at once (a fleet fell silent): one reload is far cheaper than thousands
    // of single removals. The highlighted row is followed through the changes and kept.
    QItemSelectionModel* sel = m_listCamera->selectionModel();
    const QModelIndexList rows = sel->selectedRows();
    int nHighlight = rows.isEmpty() ? -1 : rows.front().row();
    for (const RowChange& c : vecChanges) {
        if (nHighlight < 0) break;
        if (c.nKind == RowChange::kDelete && c.nRow == nHighlight)
            nHighlight = -1;
        else if (c.nKind == RowChange::kDelete && c.nRow < nHighlight)
            --nHighlight;
        else if (c.nKind == RowChange::kInsert && c.nRow <= nHighlight)
            ++nHighlight;
    }
    m_pListModel->Reload();
    if (nHighlight >= 0) {
        const QModelIndex at = m_pListModel->index(nHighlight, 0);
        sel->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
}

void CZarvonDlg::ShowCount(int n) {
    m_lblCount->setText(QString::fromStdWString(CountText(n)));
    m_btnExport->setEnabled(n > 0);
}

void CZarvonDlg::ClearSelection() {
    m_cameras.ClearSelection();
    ShowCameraOnPages(nullptr);
    EnableCameraButtons(false);
}

void CZarvonDlg::ShowCameraOnPages(const CameraEntry* pEntry) {
    CCameraPage* pages[3] = {m_pageGeneral, m_pageOthers, m_pageSmart};
    for (CCameraPage* p : pages)
        if (p) p->ShowCamera(pEntry);
}

void CZarvonDlg::EnableCameraButtons(bool bEnable) {
    m_btnOneKey->setEnabled(bEnable);
    m_btnApply->setEnabled(bEnable);
}

void CZarvonDlg::OnClickListCamera() {
    const QModelIndexList rows = m_listCamera->selectionModel()->selectedRows();
    int s = -1;
    for (const QModelIndex& i : rows)
        if (s < 0 || i.row() < s) s = i.row();
    const bool bSelected = m_cameras.Select(s);
    ShowCameraOnPages(bSelected ? &m_cameras.CurEntry() : nullptr);
    EnableCameraButtons(bSelected);
}

void CZarvonDlg::OnSelchangeNetCard() {
    const int i = m_cboNetCard->currentData().isValid() ? m_cboNetCard->currentData().toInt() : -1;
    if (i < 0 || size_t(i) >= m_vecNetCard.size()) return;
    ShowNetCard(i);
    StopSearch();
    m_cameras.Clear();
    m_pListModel->Reload();
    ShowCount(0);
    ShowCameraOnPages(nullptr);
    EnableCameraButtons(false);
    StartSearch(m_vecNetCard[size_t(i)].strIP);
}

void CZarvonDlg::OnSelchangeLanguage() {
    const int nIndex = m_cboLanguage->currentData().toInt();
    SetLanguage(nIndex);
    ApplyCaptions();
    m_tab->update();
}

void CZarvonDlg::OnFind() {
    if (!m_cameras.TryLock()) return;
    if (m_updateThread.m_nThreadId)
        zv::PostThreadMessage(m_updateThread.m_nThreadId, WM_SEARCH_NOW, 0, 0);
    m_cameras.Unlock();
}

int CZarvonDlg::FindCameraByMac(std::wstring_view strMac, std::wstring& strIP, int& nPort) {
    return m_cameras.FindCameraByMac(strMac, strIP, nPort);
}

bool CZarvonDlg::OnSysCommand(int nID) {
    if ((nID & 0xFFF0) != IDM_ABOUTBOX) return false;
    CAboutDlg dlg;
    dlg.exec();
    return true;
}

std::unique_ptr<QMenu> CZarvonDlg::MakeSystemMenu() {
    auto menu = std::make_unique<QMenu>(this);
    const QString text = Str(101);
    if (!text.isEmpty()) {
        QAction* about = menu->addAction(text);
        connect(about, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
    }
    return menu;
}

#ifdef _WIN32
void CZarvonDlg::AppendSystemMenuItem() {
    const std::wstring text = LoadStrId(101);
    if (text.empty()) return;
    HMENU hMenu = ::GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE);
    if (!hMenu) return;
    ::AppendMenuW(hMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(hMenu, MF_STRING, IDM_ABOUTBOX, text.c_str());
}

bool CZarvonDlg::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_SYSCOMMAND && OnSysCommand(int(msg->wParam & 0xFFFF))) {
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#else
// Without a system menu the same item is offered on the window's background.
void CZarvonDlg::AppendSystemMenuItem() {}
#endif

void CZarvonDlg::contextMenuEvent(QContextMenuEvent* e) {
#ifdef _WIN32
    QDialog::contextMenuEvent(e);  // the real system menu holds the item
#else
    // Only the window's background (and its frames and labels) stands for the title bar.
    QWidget* child = childAt(e->pos());
    if (child && !qobject_cast<QGroupBox*>(child) && !qobject_cast<QLabel*>(child)) return;
    std::unique_ptr<QMenu> menu = MakeSystemMenu();
    if (!menu->isEmpty()) menu->exec(e->globalPos());
#endif
}

bool CZarvonDlg::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) return true;
    }
    if (watched == m_listCamera->viewport() && e->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        // Only a mouse click selects a camera; the keyboard moves the highlight alone.
        OnClickListCamera();
    }
    return QDialog::eventFilter(watched, e);
}
