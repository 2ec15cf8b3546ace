#include "gui/app/dialog_units.h"

#include <QApplication>
#include <QFontMetrics>

namespace {

// Rounds like the original platform's MulDiv.
int MulDiv(int a, int b, int c) {
    const long long p = static_cast<long long>(a) * b;
    return static_cast<int>(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}

}  // namespace

CDialogUnits::CDialogUnits(const QFont& font) {
    const QFontMetrics fm(font);
    // The average width of the 52 Latin letters, rounded, as dialog templates measure it.
    const int width = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_nBaseX = (width / 26 + 1) / 2;
    m_nBaseY = fm.height();
    if (m_nBaseX < 1) m_nBaseX = 1;
    if (m_nBaseY < 1) m_nBaseY = 1;
}

int CDialogUnits::X(int du) const { return MulDiv(du, m_nBaseX, 4); }
int CDialogUnits::Y(int du) const { return MulDiv(du, m_nBaseY, 8); }

QRect CDialogUnits::Rect(int x, int y, int cx, int cy) const {
    return QRect(X(x), Y(y), X(cx), Y(cy));
}

QSize CDialogUnits::Size(int cx, int cy) const { return QSize(X(cx), Y(cy)); }

QFont DialogFont() {
    QFont font = QApplication::font();
    font.setPointSize(9);
    return font;
}

const DlgControl* FindControl(std::span<const DlgControl> table, int nId) {
    for (const DlgControl& c : table)
        if (c.nId == nId) return &c;
    return nullptr;
}
