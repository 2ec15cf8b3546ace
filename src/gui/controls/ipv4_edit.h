// An IPv4 address field that behaves like the platform's: four octet boxes of up to
// three digits (0-255) separated by dots, the cursor moving on after a third digit or a
// typed dot and back on Backspace in an empty box. Its text is always dotted decimal:
// an empty box counts as 0, so a cleared field reads "0.0.0.0". Disabled, it greys as
// any edit field does.
#pragma once
#include <QFrame>
#include <QString>

class QLineEdit;

class CIPv4Edit : public QFrame {
    Q_OBJECT
public:
    explicit CIPv4Edit(QWidget* parent = nullptr);

    // Shows a dotted address; a part that is missing or not a number leaves its box
    // empty, a number above 255 shows 255.
    void SetText(const QString& strAddr);
    // "a.b.c.d", empty boxes as 0.
    QString Text() const;
    // Empties all four boxes.
    void ClearAddress();

    QLineEdit* Octet(int i) const { return m_edtOctet[i]; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void OnOctetEdited(int i);
    void UpdateBackground();

    QLineEdit* m_edtOctet[4] = {};
};
