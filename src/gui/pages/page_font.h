// The font of a tab page: the 8-point template font, made smaller where this platform's
// metrics would let a page of nWidthDu units overflow the tab control it was laid out
// for (219 units of the main window's font).
#pragma once
#include <QFont>

QFont TabPageFont(int nWidthDu);
