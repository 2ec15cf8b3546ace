#include "gui/upgrade/smart_upgrade_page.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "base/app_messages.h"
#include "base/fixed_field.h"
#include "base/text_conv.h"
#include "diag/trace.h"
#include "gui/app/dialog_units.h"
#include "gui/controls/xp_button.h"
#include "gui/pages/page_font.h"
#include "gui/services/message_box.h"
#include "gui/upgrade/job_text.h"
#include "i18n/string_table.h"
#include "upgrade/upgrade_status.h"
#include "upgrade/upgrade_target.h"

namespace {

// Template 132's controls.
const DlgControl kSmartControls[] = {
    {1065, DlgKind::Label, 178, 1, 0, 253, 34, "lbl1065_intro"},
    {1066, DlgKind::Label, 179, 1, 40, 253, 34, "lbl1066_hint"},
    {0, DlgKind::GroupBox, 0, 1, 76, 253, 40, "grp_account"},
    {1070, DlgKind::Label, 180, 5, 86, 72, 8, "lbl1070_account"},
    {1067, DlgKind::Edit, 0, 84, 83, 82, 14, "edt1067_account"},
    {1071, DlgKind::Label, 181, 5, 101, 72, 8, "lbl1071_password"},
    {1068, DlgKind::Edit, 0, 84, 99, 82, 14, "edt1068_password"},
    {1069, DlgKind::Button, 182, 171, 90, 78, 16, "btn1069_upgrade"},
    {1072, DlgKind::GroupBox, 183, 1, 116, 253, 114, "grp1072_log"},
    {1073, DlgKind::ListView, 0, 3, 126, 250, 102, "lst1073_log"},
};

const QColor kBlue(0, 0, 255);

QString Str(int nId) { return QString::fromStdWString(LoadStrId(nId)); }

template <class W>
W* Place(QWidget* parent, const CDialogUnits& units, int nId) {
    return PlaceControl<W>(parent, units, *FindControl(kSmartControls, nId));
}

void PaintBlue(QWidget* w, QPalette::ColorRole role) {
    QPalette pal = w->palette();
    pal.setColor(role, kBlue);
    w->setPalette(pal);
}

}  // namespace

const QEvent::Type CDlgSmartUpgd::kCloseEvent =
    static_cast<QEvent::Type>(QEvent::registerEventType(QEvent::User + WM_SMART_UPGD_CLOSE));

CDlgSmartUpgd::CDlgSmartUpgd(QWidget* parent, std::string catalogueHost)
    : CCameraPage(parent), m_upgrade(std::move(catalogueHost)), m_uiCall(this) {
    CreateControls();
    m_edtAccount->setText(QStringLiteral("admin"));
    m_edtPassword->setText(QStringLiteral("402613"));
    SetCaptions();
    m_btnUpgrade->setEnabled(false);
}

CDlgSmartUpgd::~CDlgSmartUpgd() {
    if (m_bBusy || m_bTimerOn) StopUpgrade();
}

void CDlgSmartUpgd::CreateControls() {
    setFont(TabPageFont(kSmartPageWidthDu));
    const CDialogUnits units(font());
    setMinimumSize(units.Size(kSmartPageWidthDu, kSmartPageHeightDu));
    m_lblIntro = Place<QLabel>(this, units, 1065);
    m_lblHint = Place<QLabel>(this, units, 1066);
    for (QLabel* l : {m_lblIntro, m_lblHint}) {
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    PaintBlue(m_lblHint, QPalette::WindowText);
    auto* grp = new QGroupBox(this);
    grp->setObjectName(kSmartControls[2].szName);
    grp->setGeometry(units.Rect(1, 76, 253, 40));
    m_grpLog = Place<QGroupBox>(this, units, 1072);
    m_lblAccount = Place<QLabel>(this, units, 1070);
    m_edtAccount = Place<QLineEdit>(this, units, 1067);
    m_lblPassword = Place<QLabel>(this, units, 1071);
    m_edtPassword = Place<QLineEdit>(this, units, 1068);  // plain text, not masked
    m_btnUpgrade = Place<CXPButton>(this, units, 1069);
    m_lstLog = Place<QListWidget>(this, units, 1073);
    m_lstLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_lstLog->setSortingEnabled(false);
    PaintBlue(m_lstLog, QPalette::Text);
    connect(m_btnUpgrade, &QPushButton::clicked, this, &CDlgSmartUpgd::OnUpgradeFirmware);
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

void CDlgSmartUpgd::SetCaptions() {
    m_lblIntro->setText(QStringLiteral("     ") + Str(178));
    m_lblHint->setText(QStringLiteral("     ") + Str(179));
    m_lblAccount->setText(Str(180));
    m_lblPassword->setText(Str(181));
    m_btnUpgrade->setText(Str(182));
    m_grpLog->setTitle(Str(183));
}

void CDlgSmartUpgd::ShowCamera(const CameraEntry* pEntry) {
    m_bHaveEntry = pEntry != nullptr;
    m_entry = pEntry ? *pEntry : CameraEntry{};
    if (!m_bBusy) m_btnUpgrade->setEnabled(m_bHaveEntry);
}

const CameraEntry* CDlgSmartUpgd::ShownCamera() const { return m_bHaveEntry ? &m_entry : nullptr; }

void CDlgSmartUpgd::OnUpgradeFirmware() {
    if (m_bBusy) return;  // a job runs: the button is disabled, a stray click does nothing
    m_lstLog->clear();
    m_jobTarget = UpgradeTarget{};
    m_jobTask = UpgradeTask{};
    const std::wstring account = m_edtAccount->text().trimmed().toStdWString();
    const std::wstring password = m_edtPassword->text().trimmed().toStdWString();
    upg::FillUpgradeTarget(m_jobTarget, m_entry, account, password);
    m_jobTask.bSysFirmware = 1;
    m_jobTask.bWebFirmware = 0;
    zv::CopyToField(m_jobTask.szVersionKey, zv::FieldText(m_entry.params.szVersion));
    m_jobTask.nCheckMode = UPG_CHECK_ONLINE;
    m_jobTask.nSysMethod = UPG_SYS_DOWNLOAD;
    m_upgrade.m_nStatus = UPG_STATUS_START;
    m_upgrade.SetTarget(m_jobTarget);
    m_upgrade.m_task = m_jobTask;
    StartUpgrade();
    m_btnUpgrade->setEnabled(false);
}

void CDlgSmartUpgd::StartUpgrade() {
    m_uiCall.Reset();
    m_upgrade.m_pfnConfirm = &CDlgSmartUpgd::ConfirmReinstall;
    m_upgrade.m_pConfirmUser = this;
    m_upgrade.ClearStop();
    m_upgrade.InitUpgradeThread();
    if (!m_bTimerOn) {
        m_timer.m_pfnTimer = &CDlgSmartUpgd::ProcessTimer;
        m_timer.m_pTimerUser = this;
        m_timer.InitTimer(this);
        m_timer.m_bRestart = 1;
        m_timer.SwitchOn();
        m_bTimerOn = 1;
    }
    m_bBusy = 1;
}

void CDlgSmartUpgd::StopUpgrade() {
    // Ends every wait of the two threads on this thread first: a join while the timer
    // waits for a log update, or the worker for the question, would never return.
    m_uiCall.Cancel();
    if (m_bTimerOn) {
        m_timer.m_bRestart = 0;
        m_timer.SwitchOff();
        m_timer.ReleaseTimer();
        m_timer.m_pfnTimer = nullptr;
        m_timer.m_pTimerUser = nullptr;
        m_bTimerOn = 0;
    }
    m_upgrade.m_pfnConfirm = nullptr;
    m_upgrade.m_pConfirmUser = nullptr;
    m_upgrade.AbortRequest();
    m_upgrade.ReleaseUpgradeThread();
    m_bBusy = 0;
}

int CDlgSmartUpgd::ProcessTimer(void* pUser) {
    return static_cast<CDlgSmartUpgd*>(pUser)->OnTimer();
}

int CDlgSmartUpgd::OnTimer() {
    const int32_t t = m_upgrade.AddTick();
    const int32_t s = m_upgrade.m_nStatus;
    upgui::RefreshTarget(m_pMainDlg, m_jobTarget, m_upgrade);
    const upg::StatusTextSpec spec = upg::SmartStatusText(s);
    const std::wstring line = upg::LogTimeStamp() + upgui::StatusText(spec, s, t, m_upgrade);
    TraceOut("\r\n---ProcessTimer nStatus=%d---", s);
    m_uiCall.Call(
        [this, line, s] {
            AddLogLine(line, s);
            return 0;
        },
        0);
    if (spec.bGoOn) return 0;
    TraceOut("\r\n---ProcessTimer false nStatus=%d---", s);
    QCoreApplication::postEvent(this, new QEvent(kCloseEvent));
    return 1;
}

void CDlgSmartUpgd::AddLogLine(const std::wstring& line, int32_t s) {
    const int n = m_lstLog->count();
    auto make = [&] {
        auto* item = new QListWidgetItem(QString::fromStdWString(line));
        item->setData(Qt::UserRole, s);
        return item;
    };
    if (n == 0) {
        m_lstLog->insertItem(0, make());
        return;
    }
    const int d = m_lstLog->item(n - 1)->data(Qt::UserRole).toInt();
    if (d != s) {
        m_lstLog->insertItem(n, make());
    } else if (upg::IsCountingStatus(s)) {
        delete m_lstLog->takeItem(n - 1);
        m_lstLog->insertItem(n - 1, make());
    }
    m_lstLog->scrollToBottom();
}

int CDlgSmartUpgd::ConfirmReinstall(void* pUser) {
    auto* self = static_cast<CDlgSmartUpgd*>(pUser);
    // Cancelled (the page is going away): the job stops.
    return self->m_uiCall.Call([] { return QuestionBox(LoadStrId(190)) ? 0 : 1; }, 1);
}

void CDlgSmartUpgd::OnHandleCloseSmartUpgd() {
    TraceOut("\r\n---OnHandleCloseSmartUpgd---");
    StopUpgrade();
    if (!QString::fromLatin1(zv::FieldText(m_entry.params.szIP).c_str()).trimmed().isEmpty())
        m_btnUpgrade->setEnabled(true);
}

bool CDlgSmartUpgd::event(QEvent* e) {
    if (e->type() == kCloseEvent) {
        OnHandleCloseSmartUpgd();
        return true;
    }
    return CCameraPage::event(e);
}

bool CDlgSmartUpgd::eventFilter(QObject* watched, QEvent* e) {
    // Enter and Escape aimed at the window or one of its controls are dropped before any
    // control sees them: they would press a default button or close the window.
    if (e->type() == QEvent::KeyPress) {
        const int k = static_cast<QKeyEvent*>(e)->key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape) return true;
    }
    return CCameraPage::eventFilter(watched, e);
}
