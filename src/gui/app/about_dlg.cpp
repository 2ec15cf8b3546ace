#include "gui/app/about_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "gui/app/app_icon.h"
#include "gui/app/dialog_units.h"
#include "i18n/string_table.h"

namespace {

// Dialog template 100.
const DlgControl kAboutControls[] = {
    {0, DlgKind::Label, 0, 14, 14, 21, 20, "ico_program"},
    {0, DlgKind::Label, 0, 42, 14, 114, 8, "lbl_version"},
    {1, DlgKind::Button, 156, 113, 41, 50, 14, "btn1_ok"},
};

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("dlg100_about");
    setFont(DialogFont());
    const CDialogUnits units(font());
    setFixedSize(units.Size(170, 62));

    auto* icon = new QLabel(this);
    icon->setObjectName(kAboutControls[0].szName);
    const QRect rcIcon = units.Rect(14, 14, 21, 20);
    icon->setGeometry(rcIcon);
    const int side = std::min(rcIcon.width(), rcIcon.height());
    icon->setPixmap(AppIcon().pixmap(side, side));

    auto* version = new QLabel(QStringLiteral("V1.0.0.9"), this);
    version->setObjectName(kAboutControls[1].szName);
    version->setGeometry(units.Rect(42, 14, 114, 8));

    m_btnOk = new QPushButton(this);  // a plain button: the About box keeps the platform's
    m_btnOk->setObjectName(kAboutControls[2].szName);
    m_btnOk->setGeometry(units.Rect(113, 41, 50, 14));
    m_btnOk->setDefault(true);
    connect(m_btnOk, &QPushButton::clicked, this, &QDialog::accept);

    setWindowIcon(AppIcon());
    setWindowTitle(QString::fromStdWString(LoadStrId(159)));
    m_btnOk->setText(QString::fromStdWString(LoadStrId(156)));
}
