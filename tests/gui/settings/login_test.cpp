#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "gui/pages/login_dialog.h"
#include "i18n/string_table.h"
#include "qt_app_env.h"

namespace {

class LoginDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        SetLanguage(0);
    }
    void TearDown() override { SetLanguage(0); }

    // Runs dlg modally; act runs once the dialog is up, and must end it.
    int Run(CDlgLogin& dlg, const std::function<void(CDlgLogin&)>& act) {
        QTimer::singleShot(0, &dlg, [&] {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&dlg));
            act(dlg);
        });
        return dlg.exec();
    }
    static QLineEdit* Field(CDlgLogin& dlg, const char* name) {
        return dlg.findChild<QLineEdit*>(name);
    }
    static QPushButton* Button(CDlgLogin& dlg, const char* name) {
        return dlg.findChild<QPushButton*>(name);
    }
};

TEST_F(LoginDialogTest, OpensWithAdminAndTheFocusOnOkSoEnterAcceptsAtOnce) {
    CDlgLogin dlg;
    EXPECT_EQ(dlg.size(), CDialogUnits(SmallDialogFont()).Size(201, 84));
    QWidget* focused = nullptr;
    const int r = Run(dlg, [&](CDlgLogin& d) {
        EXPECT_EQ(Field(d, "edt1055_account")->text(), "admin");
        EXPECT_EQ(Field(d, "edt1056_password")->text(), "");
        EXPECT_EQ(Field(d, "edt1056_password")->echoMode(), QLineEdit::Password);
        focused = d.focusWidget();
        QTest::keyClick(focused ? focused : &d, Qt::Key_Return);
    });
    EXPECT_EQ(focused, Button(dlg, "btn1_ok"));
    EXPECT_EQ(r, CDlgLogin::IDOK);
    EXPECT_EQ(dlg.m_strUser, L"admin");
    EXPECT_EQ(dlg.m_strPwd, L"");
}

TEST_F(LoginDialogTest, OkReturnsBothTextsTrimmedAndUnchecked) {
    struct Case {
        const char* user;
        const char* pwd;
        const wchar_t* wantUser;
        const wchar_t* wantPwd;
    };
    const Case cases[] = {{"  admin \t", "   ", L"admin", L""},
                          {"", "", L"", L""},
                          {" op erator ", "\tp a ss\t", L"op erator", L"p a ss"}};
    for (const Case& c : cases) {
        CDlgLogin dlg;
        const int r = Run(dlg, [&](CDlgLogin& d) {
            Field(d, "edt1055_account")->setText(c.user);
            Field(d, "edt1056_password")->setText(c.pwd);
            QTest::mouseClick(Button(d, "btn1_ok"), Qt::LeftButton);
        });
        EXPECT_EQ(r, 1) << c.user;
        EXPECT_EQ(dlg.m_strUser, c.wantUser);
        EXPECT_EQ(dlg.m_strPwd, c.wantPwd);
    }
}

TEST_F(LoginDialogTest, CancelEscapeAndCloseBoxEndWithTwoAndEmptyTexts) {
    const std::function<void(CDlgLogin&)> ways[] = {
        [](CDlgLogin& d) { QTest::mouseClick(Button(d, "btn2_cancel"), Qt::LeftButton); },
        [](CDlgLogin& d) { QTest::keyClick(Field(d, "edt1055_account"), Qt::Key_Escape); },
        [](CDlgLogin& d) { d.close(); },
    };
    for (const auto& way : ways) {
        CDlgLogin dlg;
        const int r = Run(dlg, [&](CDlgLogin& d) {
            Field(d, "edt1056_password")->setText("secret");
            way(d);
        });
        EXPECT_EQ(r, CDlgLogin::IDCANCEL);
        EXPECT_EQ(dlg.m_strUser, L"");
        EXPECT_EQ(dlg.m_strPwd, L"");
    }
}

TEST_F(LoginDialogTest, CaptionsFollowTheLanguageAndAdminStays) {
    for (int lang : {0, 1, 2, 3}) {
        SetLanguage(lang);
        CDlgLogin dlg;
        EXPECT_EQ(dlg.windowTitle(), QString::fromStdWString(LoadStrIn(lang, 153))) << lang;
        EXPECT_EQ(dlg.findChild<QLabel*>("lbl1057_account")->text(),
                  QString::fromStdWString(LoadStrIn(lang, 154)));
        EXPECT_EQ(dlg.findChild<QLabel*>("lbl1058_password")->text(),
                  QString::fromStdWString(LoadStrIn(lang, 155)));
        EXPECT_EQ(Button(dlg, "btn1_ok")->text(), QString::fromStdWString(LoadStrIn(lang, 156)));
        EXPECT_EQ(Button(dlg, "btn2_cancel")->text(),
                  QString::fromStdWString(LoadStrIn(lang, 157)));
        EXPECT_EQ(Field(dlg, "edt1055_account")->text(), "admin");
    }
    SetLanguage(1);
    CDlgLogin zh;
    EXPECT_NE(zh.windowTitle(), "Validate Authentication");
    EXPECT_GT(zh.windowTitle().front().unicode(), 0x2E80u) << "a CJK title";
}

TEST(TrimWide, RemovesWideWhiteSpaceAtBothEndsOnly) {
    EXPECT_EQ(TrimWide(L" \t\r\n\v\fa b\t "), L"a b");
    EXPECT_EQ(TrimWide(L"   "), L"");
    EXPECT_EQ(TrimWide(L""), L"");
}

}  // namespace
