#include "gui/pages/others_page.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "base/fixed_field.h"
#include "base/text_conv.h"
#include "gui/app/dialog_units.h"
#include "gui/controls/xp_button.h"
#include "gui/pages/login_dialog.h"
#include "gui/pages/page_font.h"
#include "gui/upgrade/job_text.h"
#include "gui/upgrade/manual_upgrade_dialog.h"
#include "i18n/string_table.h"

namespace {

// Template 130's visible controls.
const DlgControl kOthersControls[] = {
    {1050, DlgKind::Label, 144, 10, 9, 61, 8, "lbl1050_version"},
    {1046, DlgKind::ReadOnlyEdit, 0, 80, 6, 114, 14, "edt1046_version"},
    {1051, DlgKind::Label, 145, 10, 28, 61, 8, "lbl1051_mac"},
    {1047, DlgKind::ReadOnlyEdit, 0, 80, 25, 114, 14, "edt1047_mac"},
    {1052, DlgKind::Label, 146, 10, 47, 61, 8, "lbl1052_ddns"},
    {1048, DlgKind::ReadOnlyEdit, 0, 80, 44, 114, 14, "edt1048_ddns"},
    {1054, DlgKind::Button, 148, 10, 78, 62, 15, "btn1054_manual"},
};

QString Ansi(const char* f, size_t width) {
    return QString::fromStdWString(zv::AnsiToWide(zv::FieldText(f, width)));
}

}  // namespace

CDlgOtherInfo::CDlgOtherInfo(QWidget* parent) : CCameraPage(parent) {
    CreateControls();
    SetCaptions();
}

void CDlgOtherInfo::CreateControls() {
    setFont(TabPageFont(kOthersPageWidthDu));
    const CDialogUnits units(font());
    setMinimumSize(units.Size(kOthersPageWidthDu, kOthersPageHeightDu));
    for (int i = 0; i < 3; ++i) {
        m_lbl[i] = PlaceControl<QLabel>(this, units, kOthersControls[2 * i]);
        m_edt[i] = PlaceControl<QLineEdit>(this, units, kOthersControls[2 * i + 1]);
        m_edt[i]->setReadOnly(true);
    }
    m_btnUpgrade = PlaceControl<CXPButton>(this, units, kOthersControls[6]);
    m_btnUpgrade->setAutoDefault(false);
    connect(m_btnUpgrade, &QPushButton::clicked, this, &CDlgOtherInfo::OnManualUpgrade);
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

void CDlgOtherInfo::SetCaptions() {
    for (int i = 0; i < 3; ++i)
        m_lbl[i]->setText(QString::fromStdWString(LoadStrId(kOthersControls[2 * i].nCaption)));
    m_btnUpgrade->setText(QString::fromStdWString(LoadStrId(148)));
}

void CDlgOtherInfo::ShowCamera(const CameraEntry* pEntry) {
    m_bHaveEntry = pEntry != nullptr;
    m_entry = pEntry ? *pEntry : CameraEntry{};
    // Labels first, then the fields, then the button: the template's order.
    for (QLabel* l : m_lbl) l->setEnabled(m_bHaveEntry);
    for (QLineEdit* e : m_edt) e->setEnabled(m_bHaveEntry);
    m_btnUpgrade->setEnabled(m_bHaveEntry);
    if (!pEntry) {
        for (QLineEdit* e : m_edt) e->clear();
        return;
    }
    const CameraParams& p = m_entry.params;
    m_edt[0]->setText(Ansi(p.szVersion, sizeof(p.szVersion)));
    m_edt[1]->setText(QString::fromStdWString(upgui::MacText(p)));
    m_edt[2]->setText(Ansi(m_entry.extra.szDdnsPwd, sizeof(m_entry.extra.szDdnsPwd)));
}

void CDlgOtherInfo::OnManualUpgrade() {
    CDlgLogin login;
    if (login.exec() != CDlgLogin::IDOK) return;
    CManualUpgd dlg;
    dlg.m_pMainDlg = m_pMainDlg;
    dlg.m_entry = m_entry;
    dlg.m_strUser = login.m_strUser;
    dlg.m_strPwd = login.m_strPwd;
    dlg.exec();
}

bool CDlgOtherInfo::eventFilter(QObject* watched, QEvent* e) {
    // Enter and Escape aimed at the window or one of its controls are dropped before any
    // control sees them: they would press a default button or close the window.
    if (e->type() == QEvent::KeyPress) {
        const int k = static_cast<QKeyEvent*>(e)->key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape) return true;
    }
    return CCameraPage::eventFilter(watched, e);
}
