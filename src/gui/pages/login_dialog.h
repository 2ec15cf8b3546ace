// CDlgLogin: the small modal prompt for a camera's account and password before Apply,
// One Key Set or a manual upgrade. The account field shows "admin" at every opening and
// the focus starts on OK, so Enter at once accepts "admin" with an empty password.
// exec() returns 1 (OK) or 2 (Cancel, Escape, the close box); after OK the caller reads
// m_strUser and m_strPwd, both trimmed.
#pragma once
#include <QDialog>
#include <string>

#include "gui/app/dialog_units.h"

class QLineEdit;
class CXPButton;

// The login dialog's controls (template 131), in template order.
extern const DlgControl kLoginDlgControls[6];
constexpr int kLoginDlgWidthDu = 201;
constexpr int kLoginDlgHeightDu = 84;

// s without leading and trailing white space, as the C library's wide-character test
// (iswspace) defines it.
std::wstring TrimWide(std::wstring_view s);

class CDlgLogin : public QDialog {
    Q_OBJECT
public:
    CDlgLogin();

    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;

    void reject() override;  // Escape and the close box end with IDCANCEL

    std::wstring m_strUser;
    std::wstring m_strPwd;

private:
    void CreateControls();
    void OnInitDialog();
    void OnOK();

    CDialogUnits m_units;
    CXPButton* m_btnOK = nullptr;
    CXPButton* m_btnCancel = nullptr;
    QLineEdit* m_edtUser = nullptr;
    QLineEdit* m_edtPwd = nullptr;
};

// The font of the 8-point dialog templates (the login dialog, the tab pages).
QFont SmallDialogFont();
