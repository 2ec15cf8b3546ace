// The program icon (window icon, About box, minimised window).
#pragma once
#include <QIcon>

QIcon AppIcon();
