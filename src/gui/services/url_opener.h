// Opening a web address in the system's browser. The program hands it to the desktop;
// a test installs its own service to catch the address.
#pragma once
#include <QString>

class IUrlOpener {
public:
    virtual ~IUrlOpener() = default;
    // Asks the desktop to open url; the answer is informative only.
    virtual bool OpenUrl(const QString& url) = 0;
};

IUrlOpener& UrlOpener();
// Installs p (not owned); null restores the desktop's opener.
void SetUrlOpener(IUrlOpener* p);
