#include "gui/app/zarvon_app.h"

#include <QCoreApplication>
#ifdef _WIN32
#include <winsock2.h>
#endif

#include "gui/app/zarvon_dlg.h"
#include "i18n/string_table.h"

bool CZarvonApp::InitInstance(IAdapterSource* pSource) {
    // The toolkit's controls need no initialisation of their own. The settings key is
    // named as the program always named it; nothing is read or written under it.
    QCoreApplication::setOrganizationName(QStringLiteral("应用程序向导生成的本地应用程序"));
#ifdef _WIN32
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 0), &wsa);  // a failure shows up later as failed searches
#endif
    ChooseStartupLanguage();
    {
        CZarvonDlg dlg(nullptr, pSource);
        dlg.exec();
    }
    return false;
}

int CZarvonApp::ExitInstance() {
#ifdef _WIN32
    WSACleanup();
#endif
    return 0;
}
