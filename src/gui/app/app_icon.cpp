#include "gui/app/app_icon.h"

static void InitIconResource() { Q_INIT_RESOURCE(zarvon); }

QIcon AppIcon() {
    // The resource lives in a static library: register it before the first use.
    static const bool bLoaded = (InitIconResource(), true);
    (void)bLoaded;
    return QIcon(QStringLiteral(":/zarvon/zarvon.png"));
}
