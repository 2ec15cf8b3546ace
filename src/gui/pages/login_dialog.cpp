#include "gui/pages/login_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <cwctype>

#include "gui/controls/xp_button.h"
#include "i18n/string_table.h"

const DlgControl kLoginDlgControls[6] = {
    {1, DlgKind::Button, 156, 32, 63, 50, 14, "btn1_ok"},
    {2, DlgKind::Button, 157, 116, 63, 50, 14, "btn2_cancel"},
    {1057, DlgKind::Label, 154, 16, 15, 57, 8, "lbl1057_account"},
    {1058, DlgKind::Label, 155, 16, 37, 57, 8, "lbl1058_password"},
    {1055, DlgKind::Edit, 0, 81, 12, 102, 14, "edt1055_account"},
    {1056, DlgKind::Edit, 0, 81, 34, 102, 14, "edt1056_password"},
};

QFont SmallDialogFont() {
    QFont font = DialogFont();
    font.setPointSize(8);
    return font;
}

std::wstring TrimWide(std::wstring_view s) {
    size_t b = 0, e = s.size();
    while (b < e && std::iswspace(static_cast<wint_t>(s[b]))) ++b;
    while (e > b && std::iswspace(static_cast<wint_t>(s[e - 1]))) --e;
    return std::wstring(s.substr(b, e - b));
}

CDlgLogin::CDlgLogin()
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      m_units(SmallDialogFont()) {
    setObjectName("dlg131_login");
    setFont(SmallDialogFont());
    setFixedSize(m_units.Size(kLoginDlgWidthDu, kLoginDlgHeightDu));
    setModal(true);
    CreateControls();
    OnInitDialog();
}

void CDlgLogin::CreateControls() {
    // Created in template order, so OK is the first tab stop and takes the focus.
    for (const DlgControl& c : kLoginDlgControls) {
        QWidget* w = nullptr;
        if (c.kind == DlgKind::Button) {
            auto* btn = new CXPButton(this);
            (c.nId == 1 ? m_btnOK : m_btnCancel) = btn;
            w = btn;
        } else if (c.kind == DlgKind::Label) {
            w = new QLabel(this);
        } else {
            auto* edt = new QLineEdit(this);
            (c.nId == 1055 ? m_edtUser : m_edtPwd) = edt;
            w = edt;
        }
        w->setObjectName(c.szName);
        w->setGeometry(m_units.Rect(c.x, c.y, c.cx, c.cy));
    }
    m_edtPwd->setEchoMode(QLineEdit::Password);
    m_btnOK->setDefault(true);
    m_btnCancel->setAutoDefault(false);
    connect(m_btnOK, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { reject(); });
}

void CDlgLogin::OnInitDialog() {
    setWindowTitle(QString::fromStdWString(LoadStrId(153)));
    for (const DlgControl& c : kLoginDlgControls) {
        if (!c.nCaption) continue;
        const QString text = QString::fromStdWString(LoadStrId(c.nCaption));
        QWidget* w = findChild<QWidget*>(c.szName);
        if (auto* lbl = qobject_cast<QLabel*>(w)) lbl->setText(text);
        if (auto* btn = qobject_cast<QPushButton*>(w)) btn->setText(text);
    }
    m_edtUser->setText(QStringLiteral("admin"));
    m_edtPwd->clear();
    m_btnOK->setFocus();
}

void CDlgLogin::OnOK() {
    m_strUser = TrimWide(m_edtUser->text().toStdWString());
    m_strPwd = TrimWide(m_edtPwd->text().toStdWString());
    done(IDOK);
}

void CDlgLogin::reject() { done(IDCANCEL); }
