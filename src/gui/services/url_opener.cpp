#include "gui/services/url_opener.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

class CDesktopUrlOpener : public IUrlOpener {
public:
    bool OpenUrl(const QString& url) override {
        return QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode));
    }
};

CDesktopUrlOpener g_desktop;
IUrlOpener* g_pOpener = nullptr;

}  // namespace

IUrlOpener& UrlOpener() { return g_pOpener ? *g_pOpener : g_desktop; }

void SetUrlOpener(IUrlOpener* p) { g_pOpener = p; }
