// The About box: the program icon, the fixed version text and an OK button. Its title
// and button take strings 159 and 156 when it opens, whatever language it was built in.
#pragma once
#include <QDialog>

class QPushButton;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    QPushButton* OkButton() const { return m_btnOk; }

private:
    QPushButton* m_btnOk;
};
