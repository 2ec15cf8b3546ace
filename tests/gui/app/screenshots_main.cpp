// Writes PNG screenshots of the main window with a simulated fleet listed, the General
// page with a camera selected and the login dialog, one of each per language, into the
// folder given as the first argument (default: a new folder under /tmp), and prints that
// folder.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPixmap>
#include <QTableView>
#include <QTest>
#include <cstdio>

#include "gui/app/about_dlg.h"
#include "gui/app/zarvon_dlg.h"
#include "gui/pages/general_page.h"
#include "gui/pages/login_dialog.h"
#include "gui_fixture.h"
#include "i18n/string_table.h"

int main(int argc, char** argv) {
    const bool bPrivate = EnterPrivateNetworkNamespace();
    QApplication app(argc, argv);
    QString dir =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::temp().filePath("zarvon-screenshots");
    QDir().mkpath(dir);

    CRecordingBoxes boxes;  // a box would hide the window; it is printed instead
    SimFleet sim(12);
    CFakeAdapters lo{{{"Loopback Pseudo-Interface 1", "127.0.0.1"}}};
    SetLanguage(0);
    CZarvonDlg dlg(nullptr, &lo);
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg)) std::fprintf(stderr, "screenshots: not exposed\n");
    QTableView* list = dlg.CameraListView();
    if (!WaitUntil([&] { return list->model()->rowCount() == 12; }, 5000))
        std::fprintf(stderr, "screenshots: only %d of 12 cameras listed\n",
                     list->model()->rowCount());
    const QRect rc = list->visualRect(list->model()->index(2, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rc.center());

    const char* names[kLanguageCount] = {"english", "chinese", "japanese", "polish"};
    auto* lang = dlg.findChild<QComboBox*>("cbo1000_language");
    for (int i = 0; i < kLanguageCount; ++i) {
        lang->setCurrentIndex(i);
        emit lang->activated(i);
        Pump(100);
        const QString path = QDir(dir).filePath(QString("main-%1.png").arg(names[i]));
        if (!dlg.grab().save(path))
            std::fprintf(stderr, "screenshots: cannot write %s\n", qPrintable(path));
        dlg.PageGeneral()->grab().save(QDir(dir).filePath(QString("general-%1.png").arg(names[i])));
        CDlgLogin login;
        login.show();
        Pump(50);
        login.grab().save(QDir(dir).filePath(QString("login-%1.png").arg(names[i])));
    }
    {
        lang->setCurrentIndex(0);
        emit lang->activated(0);
        CAboutDlg about;
        about.show();
        Pump(50);
        about.grab().save(QDir(dir).filePath("about-english.png"));
    }
    for (const RecordedBox& b : boxes.m_boxes)
        std::fprintf(stderr, "box: %s\n", qPrintable(b.text));
    if (!bPrivate) std::fprintf(stderr, "screenshots: ran in the caller's network namespace\n");
    std::printf("%s\n", qPrintable(QDir(dir).absolutePath()));
    dlg.done(0);
    return 0;
}
