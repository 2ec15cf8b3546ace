#include "gui/controls/limit_edit.h"

#include <QKeyEvent>

CLimitEdit::CLimitEdit(QWidget* parent) : QLineEdit(parent) {}

bool CLimitEdit::Passes(uint32_t ch) const {
    if (m_chMin <= ch && ch <= m_chMax) return true;
    const int nAllowed = m_nAllowed < 0 ? 0 : (m_nAllowed > 5 ? 5 : m_nAllowed);
    for (int i = 0; i < nAllowed; ++i)
        if (ch == m_chAllowed[i]) return true;
    for (const Range& r : m_range)
        if (r.lower <= ch && ch <= r.upper) return true;
    return ch == 8;
}

uint32_t CLimitEdit::TypedChar(const QKeyEvent& e) {
    switch (e.key()) {
        case Qt::Key_Backspace:
            return 8;
        // The dialog takes these before they are ever typed; Delete and the cursor keys
        // type nothing at all.
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Delete:
            return kNoChar;
        default:
            break;
    }
    const Qt::KeyboardModifiers mods = e.modifiers();
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier) && e.key() >= Qt::Key_A &&
        e.key() <= Qt::Key_Z)
        return static_cast<uint32_t>(e.key() - Qt::Key_A + 1);  // Ctrl+V types 22
    const QList<uint> chars = e.text().toUcs4();
    if (chars.isEmpty()) return kNoChar;
    return chars.front();
}

void CLimitEdit::keyPressEvent(QKeyEvent* e) {
    const uint32_t ch = TypedChar(*e);
    if (ch == kNoChar) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    if (!Passes(ch)) {
        e->accept();  // dropped: no default processing, no sound
        return;
    }
    QLineEdit::keyPressEvent(e);
    if (ch == 8) setFocus();
    update();
}
