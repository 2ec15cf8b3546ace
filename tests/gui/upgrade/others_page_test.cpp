#include "gui/pages/others_page.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstring>

#include "gui/controls/xp_button.h"
#include "gui/pages/login_dialog.h"
#include "gui/upgrade/manual_upgrade_dialog.h"
#include "gui_fixture.h"
#include "i18n/string_table.h"
#include "qt_app_env.h"

namespace {

class OthersPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        SetLanguage(0);
    }
    QLineEdit* Field(const char* name) { return page.findChild<QLineEdit*>(name); }
    CDlgOtherInfo page;
};

CameraEntry SampleCamera() {
    CameraEntry e{};
    std::snprintf(e.params.szIP, sizeof e.params.szIP, "127.0.10.9");
    const uint8_t mac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::memcpy(e.params.byMacAddr, mac, 6);
    // Both texts fill their 32-byte fields with no terminating zero.
    std::memcpy(e.params.szVersion, "48.3.16.25-abcdefghijklmnopqrstu", 32);
    std::memcpy(e.extra.szDdnsPwd, "ddns-password-0123456789abcdefgh", 32);
    return e;
}

TEST_F(OthersPageTest, ShowsTheCameraAndClears) {
    const CameraEntry e = SampleCamera();
    page.ShowCamera(&e);
    EXPECT_EQ(Field("edt1046_version")->text(), "48.3.16.25-abcdefghijklmnopqrstu");
    EXPECT_EQ(Field("edt1047_mac")->text(), "00:1A:2B:3C:4D:5E");
    EXPECT_EQ(Field("edt1048_ddns")->text(), "ddns-password-0123456789abcdefgh");
    EXPECT_TRUE(Field("edt1046_version")->isReadOnly());
    EXPECT_TRUE(page.findChild<CXPButton*>("btn1054_manual")->isEnabled());
    ASSERT_NE(page.ShownCamera(), nullptr);
    EXPECT_EQ(std::memcmp(page.ShownCamera(), &e, sizeof e), 0);

    page.ShowCamera(nullptr);
    for (const char* f : {"edt1046_version", "edt1047_mac", "edt1048_ddns"}) {
        EXPECT_TRUE(Field(f)->text().isEmpty()) << f;
        EXPECT_FALSE(Field(f)->isEnabled()) << f;
    }
    EXPECT_FALSE(page.findChild<QLabel*>("lbl1050_version")->isEnabled());
    EXPECT_FALSE(page.findChild<CXPButton*>("btn1054_manual")->isEnabled());
    EXPECT_EQ(page.ShownCamera(), nullptr);
}

TEST_F(OthersPageTest, CaptionsFollowTheLanguage) {
    SetLanguage(3);
    page.SetCaptions();
    EXPECT_EQ(page.findChild<QLabel*>("lbl1052_ddns")->text(),
              QString::fromStdWString(LoadStrIn(3, 146)));
    EXPECT_EQ(page.findChild<CXPButton*>("btn1054_manual")->text(),
              QString::fromStdWString(LoadStrIn(3, 148)));
    SetLanguage(0);
}

// Manual Upgrade: login first; cancelled, nothing opens; accepted, the manual upgrade
// dialog gets the camera, the credentials and the main window.
TEST_F(OthersPageTest, ManualUpgradeGoesThroughTheLogin) {
    const CameraEntry e = SampleCamera();
    page.ShowCamera(&e);
    auto* fakeMain = reinterpret_cast<CZarvonDlg*>(&page);  // only compared, never used
    page.m_pMainDlg = fakeMain;
    for (bool bLogin : {false, true}) {
        SCOPED_TRACE(bLogin ? "login OK" : "login cancelled");
        bool bSawManual = false;
        CManualUpgd* seen = nullptr;
        std::wstring user, pwd;
        CameraEntry got{};
        CZarvonDlg* gotMain = nullptr;
        std::function<void()> drive = [&] {
            QWidget* w = QApplication::activeModalWidget();
            if (auto* login = qobject_cast<CDlgLogin*>(w)) {
                if (!bLogin) {
                    login->findChild<QPushButton*>("btn2_cancel")->click();
                } else {
                    login->findChild<QLineEdit*>("edt1055_account")->setText(" root ");
                    login->findChild<QLineEdit*>("edt1056_password")->setText("s3cret");
                    login->findChild<QPushButton*>("btn1_ok")->click();
                }
                QTimer::singleShot(20, drive);
            } else if (auto* manual = qobject_cast<CManualUpgd*>(w)) {
                bSawManual = true;
                seen = manual;
                user = manual->m_strUser;
                pwd = manual->m_strPwd;
                got = manual->m_entry;
                gotMain = manual->m_pMainDlg;
                manual->reject();
            } else if (!w) {
                QTimer::singleShot(10, drive);
            }
        };
        QTimer::singleShot(10, drive);
        page.OnManualUpgrade();  // returns when the modal dialogs have ended
        EXPECT_EQ(bSawManual, bLogin);
        if (!bLogin) continue;
        EXPECT_NE(seen, nullptr);
        EXPECT_EQ(user, L"root");
        EXPECT_EQ(pwd, L"s3cret");
        EXPECT_EQ(std::memcmp(&got, &e, sizeof e), 0);
        EXPECT_EQ(gotMain, fakeMain);
    }
}

}  // namespace
