#include "gui/upgrade/manual_upgrade_dialog.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "base/app_messages.h"
#include "base/fixed_field.h"
#include "base/text_conv.h"
#include "gui/app/dialog_units.h"
#include "gui/controls/xp_button.h"
#include "gui/pages/login_dialog.h"
#include "gui/services/file_dialog.h"
#include "gui/services/message_box.h"
#include "gui/upgrade/job_text.h"
#include "i18n/string_table.h"
#include "upgrade/upgrade_status.h"
#include "upgrade/upgrade_target.h"

const char kFirmwareFilter[] = "Firmware(*.bin)|*.bin|";

namespace {

// Template 133's controls.
const DlgControl kManualControls[] = {
    {1059, DlgKind::Button, 162, 53, 14, 102, 10, "rad1059_web"},
    {1060, DlgKind::Button, 163, 170, 14, 102, 10, "rad1060_system"},
    {1063, DlgKind::Label, 164, 12, 33, 36, 8, "lbl1063_file"},
    {1061, DlgKind::ReadOnlyEdit, 0, 53, 31, 210, 14, "edt1061_file"},
    {1062, DlgKind::Button, 167, 265, 29, 41, 16, "btn1062_open"},
    {1, DlgKind::Button, 165, 53, 55, 56, 16, "btn1_upgrade"},
    {2, DlgKind::Button, 166, 177, 55, 56, 16, "btn2_exit"},
    {1064, DlgKind::Label, 0, 12, 77, 290, 8, "lbl1064_status"},
};

QString Str(int nId) { return QString::fromStdWString(LoadStrId(nId)); }

template <class W>
W* Place(QWidget* parent, const CDialogUnits& units, int nId) {
    const DlgControl& c = *FindControl(kManualControls, nId);
    W* w = PlaceControl<W>(parent, units, c);
    if (c.nCaption) w->setText(Str(c.nCaption));
    return w;
}

// "Desc(*.x)|*.x|..." as Qt's filter "Desc(*.x);;...": Qt reads the patterns from the
// description's parentheses.
QString QtFilter(const char* szFilter) {
    const QStringList parts = QString::fromLatin1(szFilter).split('|', Qt::SkipEmptyParts);
    QStringList out;
    for (int i = 0; i < parts.size(); i += 2) out << parts[i];
    return out.join(QStringLiteral(";;"));
}

}  // namespace

const QEvent::Type CManualUpgd::kCloseEvent =
    static_cast<QEvent::Type>(QEvent::registerEventType(QEvent::User + WM_MANUAL_UPGD_CLOSE));

CManualUpgd::CManualUpgd(QWidget* parent) : QDialog(parent), m_uiCall(this) {
    setObjectName("dlg133_manual");
    CreateControls();
    m_timer.m_pfnTimer = &CManualUpgd::ProcessTimer;
    m_timer.m_pTimerUser = this;
    m_timer.InitTimer(this);  // exists, switched off until Upgrade
    setWindowTitle(Str(161));
    m_lblStatus->clear();
}

CManualUpgd::~CManualUpgd() { Shutdown(); }

void CManualUpgd::CreateControls() {
    setFont(SmallDialogFont());  // template 133's 8 points
    const CDialogUnits units(font());
    setFixedSize(units.Size(kManualDlgWidthDu, kManualDlgHeightDu));
    m_radWeb = Place<QRadioButton>(this, units, 1059);
    m_radSys = Place<QRadioButton>(this, units, 1060);
    auto* group = new QButtonGroup(this);
    group->addButton(m_radWeb, 0);
    group->addButton(m_radSys, 1);
    m_radWeb->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { m_nFirmwareKind = id; });
    Place<QLabel>(this, units, 1063);
    m_edtFile = Place<QLineEdit>(this, units, 1061);
    m_edtFile->setReadOnly(true);
    m_btnBrowse = Place<CXPButton>(this, units, 1062);
    m_btnOK = Place<CXPButton>(this, units, 1);
    m_btnCancel = Place<CXPButton>(this, units, 2);
    for (CXPButton* b : {m_btnBrowse, m_btnOK, m_btnCancel}) b->setAutoDefault(false);
    m_lblStatus = Place<QLabel>(this, units, 1064);
    QPalette pal = m_lblStatus->palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
    m_lblStatus->setPalette(pal);
    connect(m_btnBrowse, &QPushButton::clicked, this, &CManualUpgd::OnBrowse);
    connect(m_btnOK, &QPushButton::clicked, this, &CManualUpgd::OnUpgrade);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

void CManualUpgd::OnBrowse() {
    const QString path = FileDialogs().GetOpenFileName(nullptr, QtFilter(kFirmwareFilter));
    if (!path.isEmpty()) m_edtFile->setText(path);
}

void CManualUpgd::OnUpgrade() {
    if (m_bTimerOn || m_bShutDown) return;  // one job per dialog
    m_lblStatus->clear();
    const QString path = m_edtFile->text().trimmed();
    if (path.isEmpty()) {
        InfoBox(LoadStrId(168));
        return;
    }
    m_jobTarget = UpgradeTarget{};
    m_jobTask = UpgradeTask{};
    upg::FillUpgradeTarget(m_jobTarget, m_entry, m_strUser, m_strPwd);
    // The path goes to the file calls as the platform's 8-bit path.
    const std::string file = path.toLocal8Bit().toStdString();
    if (m_nFirmwareKind == 0) {
        m_jobTask.bWebFirmware = 1;
        zv::CopyToField(m_jobTask.szWebFile, file);
    } else {
        m_jobTask.bSysFirmware = 1;
        zv::CopyToField(m_jobTask.szSysFile, file);
    }
    m_jobTask.nCheckMode = UPG_CHECK_NONE;
    m_jobTask.nSysMethod = UPG_SYS_UPLOAD;
    m_upgrade.m_nStatus = UPG_STATUS_START;
    m_upgrade.SetTarget(m_jobTarget);
    m_upgrade.m_task = m_jobTask;
    m_upgrade.ClearStop();
    m_upgrade.InitUpgradeThread();
    if (!m_bTimerOn) {
        m_timer.m_bRestart = 1;
        m_timer.SwitchOn();
        m_bTimerOn = 1;
    }
    m_btnOK->setEnabled(false);
}

int CManualUpgd::ProcessTimer(void* pUser) { return static_cast<CManualUpgd*>(pUser)->OnTimer(); }

int CManualUpgd::OnTimer() {
    const int32_t t = m_upgrade.AddTick();
    const int32_t s = m_upgrade.m_nStatus;
    upgui::RefreshTarget(m_pMainDlg, m_jobTarget, m_upgrade);
    const upg::StatusTextSpec spec = upg::ManualStatusText(s);
    const std::wstring text = upgui::StatusText(spec, s, t, m_upgrade);
    if (spec.bGoOn) {
        SetStatusLine(text);
        return 0;
    }
    SetStatusLine(std::wstring());
    // The result box blocks this thread only; a close of the dialog cancels the wait.
    const int shown = m_uiCall.Call(
        [text] {
            InfoBox(text);
            return 1;
        },
        0);
    if (shown) QCoreApplication::postEvent(this, new QEvent(kCloseEvent));
    return 1;
}

void CManualUpgd::SetStatusLine(const std::wstring& text) {
    m_uiCall.Call(
        [this, text] {
            m_lblStatus->setText(QString::fromStdWString(text));
            return 0;
        },
        0);
}

void CManualUpgd::Shutdown() {
    if (m_bShutDown) return;
    m_bShutDown = true;
    m_uiCall.Cancel();  // the timer may wait for this thread; let it go before the joins
    if (m_bTimerOn) {
        m_timer.m_bRestart = 0;
        m_timer.SwitchOff();
        m_bTimerOn = 0;
    }
    m_upgrade.AbortRequest();
    m_upgrade.ReleaseUpgradeThread();
    m_timer.ReleaseTimer();
    m_timer.m_pfnTimer = nullptr;
    m_timer.m_pTimerUser = nullptr;
}

void CManualUpgd::done(int r) {
    // Every way of closing ends the job here, while the window still exists.
    Shutdown();
    QDialog::done(r);
}

bool CManualUpgd::event(QEvent* e) {
    if (e->type() == kCloseEvent) {
        accept();
        return true;
    }
    return QDialog::event(e);
}

bool CManualUpgd::eventFilter(QObject* watched, QEvent* e) {
    // Enter and Escape aimed at the window or one of its controls are dropped before any
    // control sees them: they would press a default button or close the window.
    if (e->type() == QEvent::KeyPress) {
        const int k = static_cast<QKeyEvent*>(e)->key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape) return true;
    }
    return QDialog::eventFilter(watched, e);
}
