#include "gui/controls/ipv4_edit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>

namespace {

// The box text of one dotted part: digits only, at most 255; anything else empty.
QString OctetText(const QString& part) {
    const QString t = part.trimmed();
    if (t.isEmpty() || t.size() > 3) return QString();
    for (QChar c : t)
        if (!c.isDigit() || c.unicode() > '9') return QString();
    return QString::number(std::min(t.toInt(), 255));
}

}  // namespace

CIPv4Edit::CIPv4Edit(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(0);
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setAlignment(Qt::AlignCenter);
            row->addWidget(dot);
        }
        auto* edt = new QLineEdit(this);
        edt->setObjectName(QStringLiteral("octet%1").arg(i));
        edt->setFrame(false);
        edt->setAlignment(Qt::AlignCenter);
        edt->setMaxLength(3);
        edt->installEventFilter(this);
        connect(edt, &QLineEdit::textEdited, this, [this, i] { OnOctetEdited(i); });
        row->addWidget(edt, 1);
        m_edtOctet[i] = edt;
    }
    setFocusProxy(m_edtOctet[0]);
    UpdateBackground();
}

void CIPv4Edit::SetText(const QString& strAddr) {
    const QStringList parts = strAddr.split(QLatin1Char('.'));
    for (int i = 0; i < 4; ++i)
        m_edtOctet[i]->setText(i < parts.size() ? OctetText(parts[i]) : QString());
}

QString CIPv4Edit::Text() const {
    QStringList parts;
    for (QLineEdit* edt : m_edtOctet)
        parts << QString::number(edt->text().isEmpty() ? 0 : edt->text().toInt());
    return parts.join(QLatin1Char('.'));
}

void CIPv4Edit::ClearAddress() {
    for (QLineEdit* edt : m_edtOctet) edt->clear();
}

void CIPv4Edit::OnOctetEdited(int i) {
    QLineEdit* edt = m_edtOctet[i];
    QString digits;
    for (QChar c : edt->text())
        if (c.unicode() >= '0' && c.unicode() <= '9') digits += c;
    // Like the platform's field, a number above 255 becomes 255.
    if (!digits.isEmpty() && digits.toInt() > 255) digits = QStringLiteral("255");
    if (digits != edt->text()) edt->setText(digits);
    if (digits.size() == 3 && i < 3) {
        m_edtOctet[i + 1]->setFocus();
        m_edtOctet[i + 1]->selectAll();
    }
}

bool CIPv4Edit::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::KeyPress) return QFrame::eventFilter(watched, e);
    int i = 0;
    while (i < 4 && m_edtOctet[i] != watched) ++i;
    if (i == 4) return QFrame::eventFilter(watched, e);
    const auto* key = static_cast<QKeyEvent*>(e);
    QLineEdit* edt = m_edtOctet[i];
    if (key->text() == QLatin1String(".") || key->key() == Qt::Key_Period) {
        // A dot ends the box (an empty box keeps the cursor, as the platform's does).
        if (i < 3 && !edt->text().isEmpty()) {
            m_edtOctet[i + 1]->setFocus();
            m_edtOctet[i + 1]->selectAll();
        }
        return true;
    }
    if (key->key() == Qt::Key_Backspace && edt->text().isEmpty() && i > 0) {
        m_edtOctet[i - 1]->setFocus();
        m_edtOctet[i - 1]->setCursorPosition(m_edtOctet[i - 1]->text().size());
        return true;
    }
    return QFrame::eventFilter(watched, e);
}

void CIPv4Edit::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange) UpdateBackground();
    QFrame::changeEvent(e);
}

void CIPv4Edit::UpdateBackground() {
    // The whole field greys with its boxes, not only the digits.
    setBackgroundRole(isEnabled() ? QPalette::Base : QPalette::Window);
}
