#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "gui/app/zarvon_dlg.h"
#include "gui_fixture.h"
#include "i18n/string_table.h"
#include "qt_app_env.h"

namespace {

struct SeenBox {
    bool bOpened = false;
    QString title;
    QString button;
    QString version;
};

// Runs f, which may open a modal dialog; the dialog is read and closed from the event
// loop it runs.
SeenBox CaptureModal(const std::function<void()>& f) {
    SeenBox seen;
    QTimer::singleShot(50, [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) return;
        seen.bOpened = true;
        seen.title = w->windowTitle();
        if (auto* b = w->findChild<QPushButton*>("btn1_ok")) seen.button = b->text();
        if (auto* l = w->findChild<QLabel*>("lbl_version")) seen.version = l->text();
        w->close();
    });
    f();
    Pump(80);  // let a timer that found nothing go by
    return seen;
}

TEST(StartupTest, LanguageComesFromTheUsersUiLanguage) {
    struct Case {
        const char* locale;
        int nIndex;
    };
    const Case cases[] = {{"zh_CN.UTF-8", 1}, {"ja_JP.UTF-8", 2}, {"pl_PL.UTF-8", 3},
                          {"de_DE.UTF-8", 0}, {"en_GB.UTF-8", 0}, {"C", 0}};
    const char* saved = std::getenv("LC_ALL");
    const std::string keep = saved ? saved : "";
    for (const Case& c : cases) {
        setenv("LC_ALL", c.locale, 1);
        EXPECT_EQ(ChooseStartupLanguage(), c.nIndex) << c.locale;
        EXPECT_EQ(GetLanguage(), c.nIndex) << c.locale;
    }
    if (saved)
        setenv("LC_ALL", keep.c_str(), 1);
    else
        unsetenv("LC_ALL");
    SetLanguage(0);
}

class AppWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        SetLanguage(0);
    }
    CRecordingBoxes boxes;
    CFakeAdapters noAdapters{{}};
};

TEST_F(AppWindowTest, TitleAndAboutBoxInEnglish) {
    CZarvonDlg dlg(nullptr, &noAdapters);
    EXPECT_EQ(dlg.windowTitle(), "Zarvon V1.0.0.9");
    const SeenBox about = CaptureModal([&] { EXPECT_TRUE(dlg.OnSysCommand(16)); });
    EXPECT_TRUE(about.bOpened);
    EXPECT_EQ(about.title, "About");
    EXPECT_EQ(about.button, "OK");
    EXPECT_EQ(about.version, "V1.0.0.9");
}

TEST_F(AppWindowTest, SystemCommandsSixteenToThirtyOneOpenTheAboutBox) {
    CZarvonDlg dlg(nullptr, &noAdapters);
    for (int id : {16, 31, 32, 0xF060}) {
        bool bHandled = false;
        const SeenBox about = CaptureModal([&] { bHandled = dlg.OnSysCommand(id); });
        const bool bWant = id >= 16 && id <= 31;
        EXPECT_EQ(bHandled, bWant) << id;
        EXPECT_EQ(about.bOpened, bWant) << id;
    }
}

TEST_F(AppWindowTest, BackgroundMenuOffersTheAboutItemInTheLanguageInForce) {
    CZarvonDlg dlg(nullptr, &noAdapters);
    std::unique_ptr<QMenu> menu = dlg.MakeSystemMenu();
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), "About Zarvon(&A)...");
    const SeenBox about = CaptureModal([&] { menu->actions()[0]->trigger(); });
    EXPECT_TRUE(about.bOpened);

    SetLanguage(2);
    menu = dlg.MakeSystemMenu();
    EXPECT_EQ(menu->actions()[0]->text(), QString::fromStdWString(LoadStrId(101)));
    SetLanguage(0);
}

TEST_F(AppWindowTest, RightClickOnTheBackgroundOpensTheMenuButNotOnAControl) {
    CZarvonDlg dlg(nullptr, &noAdapters);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QWidget* list = dlg.findChild<QWidget*>("lst1017_cameras");
    struct Case {
        QPoint pos;
        bool bMenu;
    };
    const Case cases[] = {{QPoint(dlg.width() - 3, dlg.height() - 3), true},
                          {list->geometry().center(), false}};
    for (const Case& c : cases) {
        QString seen;
        bool bOpened = false;
        QTimer::singleShot(50, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                bOpened = true;
                if (!menu->actions().isEmpty()) seen = menu->actions()[0]->text();
                menu->close();
            }
        });
        // Delivered as a right click is: to the widget under the pointer, in its own
        // coordinates, passed on to the parents while ignored.
        QWidget* target = dlg.childAt(c.pos) ? dlg.childAt(c.pos) : &dlg;
        QContextMenuEvent e(QContextMenuEvent::Mouse, target->mapFrom(&dlg, c.pos),
                            dlg.mapToGlobal(c.pos));
        QApplication::sendEvent(target, &e);
        Pump(80);
        EXPECT_EQ(bOpened, c.bMenu) << c.pos.x() << "," << c.pos.y();
        if (c.bMenu) {
            EXPECT_EQ(seen, "About Zarvon(&A)...");
        }
    }
}

TEST_F(AppWindowTest, EnterAndEscapeAreSwallowed) {
    CZarvonDlg dlg(nullptr, &noAdapters);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QWidget* close = dlg.findChild<QWidget*>("btn2_close");
    close->setFocus();
    for (QWidget* target : {static_cast<QWidget*>(&dlg), close}) {
        QTest::keyClick(target, Qt::Key_Escape);
        QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClick(target, Qt::Key_Enter);
    }
    Pump(20);
    EXPECT_TRUE(dlg.isVisible());
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible()) << "the Close button still closes";
}

}  // namespace
