#include "gui/controls/limit_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <functional>

#include "qt_app_env.h"

namespace {

struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers mods = Qt::NoModifier;
    QString text = {};
};

void Type(CLimitEdit& e, const std::vector<Key>& keys) {
    for (const Key& k : keys) {
        QKeyEvent press(QEvent::KeyPress, k.key, k.mods, k.text);
        QApplication::sendEvent(&e, &press);
    }
}

Key Ch(char c) {
    return Key{Qt::Key(QChar(c).toUpper().unicode()), Qt::NoModifier, QString(QChar(c))};
}

void PortField(CLimitEdit& e) {
    e.m_chMin = '0';
    e.m_chMax = '9';
}

TEST(LimitEditTest, TypedCharactersPassOnlyByTheConfiguredSets) {
    TestApp();
    QApplication::clipboard()->setText("77");
    const Key ctrlV{Qt::Key_V, Qt::ControlModifier, QString(QChar(22))};
    const Key ctrlC{Qt::Key_C, Qt::ControlModifier, QString(QChar(3))};
    const Key backspace{Qt::Key_Backspace, Qt::NoModifier, "\b"};
    const Key left{Qt::Key_Left};
    struct Case {
        const char* what;
        std::function<void(CLimitEdit&)> setup;
        QString start;
        std::vector<Key> keys;
        QString want;
    };
    const std::vector<Case> cases = {
        {"digits pass", PortField, "", {Ch('0'), Ch('4'), Ch('9')}, "049"},
        {"letters, blank, signs dropped",
         PortField,
         "",
         {Ch('a'), Ch(' '), Ch('-'), Ch('+'), Ch('8')},
         "8"},
        {"ctrl+v dropped", PortField, "1", {ctrlV}, "1"},
        {"backspace passes", PortField, "123", {backspace}, "12"},
        {"cursor keys still move", PortField, "12", {left, Ch('5')}, "152"},
        {"unset passes only backspace",
         [](CLimitEdit&) {},
         "ab",
         {Ch('1'), Ch('x'), backspace},
         "a"},
        {"single allowed characters",
         [](CLimitEdit& e) {
             PortField(e);
             e.m_chAllowed[0] = '.';
             e.m_chAllowed[1] = 'x';
             e.m_nAllowed = 1;  // only the first entry is in use
         },
         "",
         {Ch('1'), Ch('.'), Ch('x')},
         "1."},
        {"extra ranges",
         [](CLimitEdit& e) {
             e.m_range[2] = {'a', 'f'};
         },
         "",
         {Ch('c'), Ch('g'), Ch('f'), Ch('1')},
         "cf"},
        {"ctrl+v passes when a range allows 22",
         [](CLimitEdit& e) {
             PortField(e);
             e.m_range[0] = {22, 22};
         },
         "1",
         {ctrlV, ctrlC},
         "177"},
    };
    for (const Case& c : cases) {
        CLimitEdit edit;
        c.setup(edit);
        edit.setText(c.start);
        Type(edit, c.keys);
        EXPECT_EQ(edit.text(), c.want) << c.what;
    }
}

TEST(LimitEditTest, PasteAndProgramTextAreNotFiltered) {
    TestApp();
    CLimitEdit edit;
    PortField(edit);
    edit.setText("ab-1");
    EXPECT_EQ(edit.text(), "ab-1");
    QApplication::clipboard()->setText("x y");
    edit.end(false);
    edit.paste();  // what the context menu's Paste does
    EXPECT_EQ(edit.text(), "ab-1x y");
}

TEST(LimitEditTest, PassesComparesAsUnsigned32BitValues) {
    CLimitEdit edit;
    EXPECT_FALSE(edit.Passes(0xFFFFFFFDu)) << "unset ends reach no character";
    EXPECT_TRUE(edit.Passes(8));
    edit.m_chMin = 0x4E00;
    edit.m_chMax = 0x9FFF;
    EXPECT_TRUE(edit.Passes(0x4E2D));
    EXPECT_FALSE(edit.Passes(0x4DFF));
    edit.m_nAllowed = 9;  // more than the five slots: only the five are read
    edit.m_chAllowed[4] = '#';
    EXPECT_TRUE(edit.Passes('#'));
}

}  // namespace
