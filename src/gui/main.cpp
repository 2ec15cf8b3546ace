// zarvon: the program window.
#include <QApplication>

#include "gui/app/zarvon_app.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zarvon"));
    QApplication::setDesktopFileName(QStringLiteral("zarvon"));
    CZarvonApp theApp;
    theApp.InitInstance();
    return theApp.ExitInstance();
}
