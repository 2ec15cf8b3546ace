#include "gui/pages/page_font.h"

#include "gui/app/dialog_units.h"
#include "gui/pages/login_dialog.h"

QFont TabPageFont(int nWidthDu) {
    QFont font = SmallDialogFont();
    const int nRoom = CDialogUnits(DialogFont()).X(219);
    while (CDialogUnits(font).X(nWidthDu) > nRoom && font.pointSizeF() > 5)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    return font;
}
