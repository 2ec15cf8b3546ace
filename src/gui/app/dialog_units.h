// Dialog units and control tables, shared by every dialog of the program.
//
// A dialog lays its controls out in dialog units: a horizontal unit is a quarter of the
// dialog font's average character width, a vertical unit an eighth of its height. Each
// dialog describes its controls as a table (id, kind, caption string, position) and
// places them through one CDialogUnits made from its font.
#pragma once
#include <QFont>
#include <QRect>
#include <QSize>
#include <span>

class QWidget;

class CDialogUnits {
public:
    explicit CDialogUnits(const QFont& font);

    int BaseX() const { return m_nBaseX; }
    int BaseY() const { return m_nBaseY; }
    int X(int du) const;
    int Y(int du) const;
    QRect Rect(int x, int y, int cx, int cy) const;
    QSize Size(int cx, int cy) const;

private:
    int m_nBaseX;
    int m_nBaseY;
};

// The font every dialog of the program uses: the platform's interface font at 9 points.
QFont DialogFont();

enum class DlgKind { GroupBox, Label, ComboBox, ReadOnlyEdit, Edit, ListView, Button, Tab };

// One row of a dialog's control table. nCaption is a string id, 0 for none.
struct DlgControl {
    int nId;
    DlgKind kind;
    int nCaption;
    int x, y, cx, cy;
    const char* szName;  // the widget's objectName, so tests find it
};

// The control of a table with the given id; null when the table has none.
const DlgControl* FindControl(std::span<const DlgControl> table, int nId);

// Creates a W child of parent for row c of a control table, with the row's objectName and
// its rectangle in dialog units.
template <class W>
W* PlaceControl(QWidget* parent, const CDialogUnits& units, const DlgControl& c) {
    auto* w = new W(parent);
    w->setObjectName(c.szName);
    w->setGeometry(units.Rect(c.x, c.y, c.cx, c.cy));
    return w;
}
