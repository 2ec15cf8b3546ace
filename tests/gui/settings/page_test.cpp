#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <cstring>

#include "base/fixed_field.h"
#include "gui/controls/ipv4_edit.h"
#include "gui/controls/limit_edit.h"
#include "gui/pages/general_page.h"
#include "gui/services/url_opener.h"
#include "i18n/string_table.h"
#include "qt_app_env.h"

namespace {

CameraEntry MakeCamera(const char* ip, uint16_t port, int8_t dhcp) {
    CameraEntry e{};
    zv::CopyToField(e.params.szIP, ip);
    zv::CopyToField(e.params.szMask, "255.255.255.0");
    zv::CopyToField(e.params.szGateway, "192.168.1.1");
    zv::CopyToField(e.params.szDns1, "192.168.1.2");
    zv::CopyToField(e.params.szDns2, "");
    zv::CopyToField(e.params.szUid, "ZVUID000123");
    zv::CopyToField(e.params.szName, "Front door");
    e.params.nHttpPort = port;
    e.params.bDhcp = dhcp;
    return e;
}

class RecordingUrls : public IUrlOpener {
public:
    RecordingUrls() { SetUrlOpener(this); }
    ~RecordingUrls() override { SetUrlOpener(nullptr); }
    bool OpenUrl(const QString& url) override {
        urls << url;
        return true;
    }
    QStringList urls;
};

class GeneralPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        SetLanguage(0);
    }
    template <class T>
    T* Child(const char* name) {
        T* w = page.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString Port() { return page.m_editPort->text(); }
    CIPv4Edit* Address(int i) {
        CIPv4Edit* f[5] = {page.m_ipAddr, page.m_ipMask, page.m_ipGateway, page.m_ipDns1,
                           page.m_ipDns2};
        return f[i];
    }
    CDlgBasicInfo page;
};

TEST_F(GeneralPageTest, ControlsSitAtTheirTemplatePlacesWithCaptions) {
    const CDialogUnits& du = page.Units();
    for (const PageControl& c : kGeneralPageControls) {
        QWidget* w = Child<QWidget>(c.szName);
        if (!w) continue;
        const QRect want = du.Rect(c.x, c.y, c.cx, c.cy);
        EXPECT_EQ(w->pos(), want.topLeft()) << c.szName;
        EXPECT_EQ(w->width(), want.width()) << c.szName;
        if (c.kind != PageKind::ComboBox) {
            EXPECT_EQ(w->height(), want.height()) << c.szName;
        }
    }
    EXPECT_EQ(Child<QLabel>("lbl1037_name")->text(), "Name:");
    EXPECT_EQ(Child<QLabel>("lbl1046_uid")->text(), "UID:");
    EXPECT_EQ(Child<QPushButton>("btn1036_open")->text(), "Open");
    ASSERT_EQ(page.m_cmbNetwork->count(), 2);
    EXPECT_EQ(page.m_cmbNetwork->itemText(0), "Fixed IP");
    EXPECT_EQ(page.m_cmbNetwork->itemData(1).toInt(), 1);
    // The radio buttons exist, hidden, 1023 checked; nothing reads them.
    EXPECT_TRUE(Child<QRadioButton>("rad1023_custom")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>("rad1024_auto")->isHidden());
    // Address and UID fields in the bold font, the name field in the page's own.
    EXPECT_EQ(page.m_ipAddr->font().weight(), QFont::DemiBold);
    EXPECT_EQ(Child<QLineEdit>("edt1027_uid")->font().weight(), QFont::DemiBold);
    EXPECT_NE(Child<QLineEdit>("edt1025_name")->font().weight(), QFont::DemiBold);
    EXPECT_LE(QFontMetrics(page.m_ipAddr->font()).height(), 18);
    // Until a camera is shown: port empty, addresses 0.0.0.0.
    EXPECT_EQ(Port(), "");
    EXPECT_EQ(page.m_ipDns2->Text(), "0.0.0.0");
}

TEST_F(GeneralPageTest, ShowCameraNoneDisablesAllAndClears) {
    const CameraEntry cam = MakeCamera("192.168.1.88", 80, 0);
    page.ShowCamera(&cam);
    page.ShowCamera(nullptr);
    EXPECT_EQ(page.ShownCamera(), nullptr);
    for (const PageControl& c : kGeneralPageControls)
        EXPECT_FALSE(Child<QWidget>(c.szName)->isEnabled()) << c.szName;
    EXPECT_EQ(Port(), "0");
    EXPECT_EQ(Child<QLineEdit>("edt1025_name")->text(), "");
    EXPECT_EQ(Child<QLineEdit>("edt1027_uid")->text(), "");
    EXPECT_EQ(Child<QLineEdit>("edt1026_web")->text(), "");
    EXPECT_EQ(page.m_cmbNetwork->currentIndex(), -1);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Address(i)->Text(), "0.0.0.0") << i;
}

TEST_F(GeneralPageTest, ShowCameraFillsTheFieldsAndTheWebAddress) {
    struct Case {
        uint16_t port;
        const char* web;
    };
    for (const Case& c :
         {Case{80, "http://192.168.1.88"}, Case{8080, "http://192.168.1.88:8080"}}) {
        CameraEntry cam = MakeCamera("192.168.1.88", c.port, 0);
        zv::CopyToField(cam.params.szName, "\xE5\x89\x8D\xE9\x97\xA8 1");
        page.ShowCamera(&cam);
        ASSERT_NE(page.ShownCamera(), nullptr);
        for (const PageControl& k : kGeneralPageControls)
            EXPECT_TRUE(Child<QWidget>(k.szName)->isEnabled()) << k.szName;
        EXPECT_EQ(Child<QLineEdit>("edt1025_name")->text(), QString::fromUtf8("前门 1"));
        EXPECT_EQ(Port(), QString::number(c.port));
        EXPECT_EQ(page.m_ipAddr->Text(), "192.168.1.88");
        EXPECT_EQ(page.m_ipMask->Text(), "255.255.255.0");
        EXPECT_EQ(page.m_ipDns2->Text(), "0.0.0.0") << "an empty field reads as zeros";
        EXPECT_EQ(Child<QLineEdit>("edt1027_uid")->text(), "ZVUID000123");
        EXPECT_EQ(Child<QLineEdit>("edt1026_web")->text(), c.web);
    }
    RecordingUrls urls;
    QTest::mouseClick(Child<QPushButton>("btn1036_open"), Qt::LeftButton);
    EXPECT_EQ(urls.urls, QStringList{"http://192.168.1.88:8080"});
}

TEST_F(GeneralPageTest, NetworkModeSelectsGreysAndReadsBackAsASignedByte) {
    struct Case {
        int8_t dhcp;
        int index;         // the list's selection
        bool addressesOn;  // the five address fields enabled
        uint8_t readBack;  // bDhcp as GetCameraParams stores it
    };
    const Case cases[] = {
        {0, 0, true, 0}, {1, 1, false, 1}, {2, -1, true, 0xFF}, {-1, -1, true, 0xFF}};
    for (const Case& c : cases) {
        page.ShowCamera(nullptr);  // addresses disabled before
        const CameraEntry cam = MakeCamera("10.0.0.5", 80, c.dhcp);
        page.ShowCamera(&cam);
        EXPECT_EQ(page.m_cmbNetwork->currentIndex(), c.index) << int(c.dhcp);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(Address(i)->isEnabled(), c.addressesOn) << i;
        EXPECT_EQ(page.m_ipAddr->Text(), "10.0.0.5") << "greyed fields still show the address";
        CameraParams p = cam.params;
        page.GetCameraParams(p);
        EXPECT_EQ(uint8_t(p.bDhcp), c.readBack) << int(c.dhcp);
        EXPECT_EQ(std::string(p.szIP), "10.0.0.5");
    }
    // Picking "Fixed IP" for a DHCP camera enables the address fields at once.
    const CameraEntry dhcp = MakeCamera("10.0.0.5", 80, 1);
    page.ShowCamera(&dhcp);
    page.m_cmbNetwork->setCurrentIndex(0);
    emit page.m_cmbNetwork->activated(0);
    EXPECT_TRUE(page.m_ipGateway->isEnabled());
    page.EnableAddressFields(7);
    EXPECT_TRUE(page.m_ipGateway->isEnabled()) << "other modes change nothing";
}

TEST_F(GeneralPageTest, GetCameraParamsWritesExactlyTheEightValues) {
    const CameraEntry cam = MakeCamera("192.168.1.88", 80, 0);
    page.ShowCamera(&cam);
    // 100 bytes of UTF-8 (two-byte characters): cut to 79 bytes at a character boundary.
    QString longName;
    for (int i = 0; i < 50; ++i) longName += QChar(0x0142);  // ł
    Child<QLineEdit>("edt1025_name")->setText("  " + longName + " ");
    page.m_editPort->setText("70000");
    page.m_ipAddr->SetText("10.1.2.3");
    page.SetAddressFields(L"10.1.2.3", L"255.0.0.0", L"10.0.0.1", L"10.0.0.2", L"10.0.0.3");
    page.m_cmbNetwork->setCurrentIndex(1);

    CameraParams p;
    std::memset(&p, 0xAB, sizeof p);
    page.GetCameraParams(p);
    CameraParams want;
    std::memset(&want, 0xAB, sizeof want);
    std::memset(want.szName, 0, sizeof want.szName);
    const std::string utf8 = longName.toStdString();
    std::memcpy(want.szName, utf8.data(), 78);  // 39 whole characters
    want.nHttpPort = uint16_t(70000 & 0xFFFF);
    want.bDhcp = 1;
    const char* addrs[5] = {"10.1.2.3", "255.0.0.0", "10.0.0.1", "10.0.0.2", "10.0.0.3"};
    char* fields[5] = {want.szIP, want.szMask, want.szGateway, want.szDns1, want.szDns2};
    for (int i = 0; i < 5; ++i) zv::CopyToField(fields[i], 16, addrs[i]);
    EXPECT_EQ(std::memcmp(&p, &want, sizeof p), 0);
    EXPECT_EQ(p.nHttpPort, 4464);
}

TEST_F(GeneralPageTest, PortFieldTakesDigitsAndBackspaceOnlyAtMostFive) {
    const CameraEntry cam = MakeCamera("10.0.0.5", 80, 0);
    page.ShowCamera(&cam);
    page.show();
    CLimitEdit* port = page.m_editPort;
    port->clear();
    QTest::keyClicks(port, "a1-+ 2.x");
    EXPECT_EQ(Port(), "12");
    QTest::keyClick(port, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Port(), "12") << "Ctrl+V types 22, which is dropped";
    QTest::keyClicks(port, "34567");
    EXPECT_EQ(Port(), "12345") << "a sixth digit is refused";
    QTest::keyClick(port, Qt::Key_Backspace);
    EXPECT_EQ(Port(), "1234");
}

TEST_F(GeneralPageTest, PortArrowsStepTheTextAndClamp) {
    const CameraEntry cam = MakeCamera("10.0.0.5", 80, 0);
    page.ShowCamera(&cam);
    struct Case {
        const char* before;
        int delta;
        const char* after;
    };
    const Case cases[] = {{"99999", +1, "99999"}, {"0", -1, "0"},   {"", +1, "1"},
                          {"8080", -1, "8079"},   {"80", +1, "81"}, {"80", 3, "80"},
                          {"007", +1, "8"}};
    for (const Case& c : cases) {
        page.m_editPort->setText(c.before);
        page.OnDeltaposSpinPort(c.delta);
        EXPECT_EQ(Port(), c.after) << c.before << " " << c.delta;
    }
    // The real arrows and the arrow keys reach the same handler.
    page.show();
    page.m_editPort->setText("500");
    QTest::mouseClick(page.m_spinPort->Up(), Qt::LeftButton);
    EXPECT_EQ(Port(), "501");
    QTest::mouseClick(page.m_spinPort->Down(), Qt::LeftButton);
    QTest::mouseClick(page.m_spinPort->Down(), Qt::LeftButton);
    EXPECT_EQ(Port(), "499");
    QTest::keyClick(page.m_spinPort, Qt::Key_Up);
    EXPECT_EQ(Port(), "500");
}

TEST_F(GeneralPageTest, LanguageChangeRebuildsTheListKeepingTheSelection) {
    const CameraEntry cam = MakeCamera("10.0.0.5", 80, 1);
    page.ShowCamera(&cam);
    SetLanguage(1);
    page.SetCaptions();
    EXPECT_EQ(page.m_cmbNetwork->currentIndex(), 1);
    EXPECT_EQ(page.m_cmbNetwork->itemText(1), QString::fromStdWString(LoadStrIn(1, 150)));
    EXPECT_EQ(Child<QLabel>("lbl1037_name")->text(), QString::fromStdWString(LoadStrIn(1, 132)));
    page.ShowCamera(nullptr);
    SetLanguage(0);
    page.SetCaptions();
    EXPECT_EQ(page.m_cmbNetwork->currentIndex(), -1) << "no selection stays none";
    EXPECT_EQ(page.m_cmbNetwork->itemText(1), "Dynamic IP");
}

TEST_F(GeneralPageTest, EnterAndEscapeNeverReachTheDialogAround) {
    QDialog host;
    CDlgBasicInfo* inner = new CDlgBasicInfo(&host);
    const CameraEntry cam = MakeCamera("10.0.0.5", 80, 0);
    inner->ShowCamera(&cam);
    host.show();
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        QTest::keyClick(inner->m_editPort, key);
        QTest::keyClick(inner->m_ipAddr->Octet(1), key);
        EXPECT_TRUE(host.isVisible()) << key;
        EXPECT_EQ(host.result(), 0);
    }
}

class IPv4EditTest : public ::testing::Test {
protected:
    void SetUp() override { TestApp(); }
    CIPv4Edit ip;
};

TEST_F(IPv4EditTest, TextIsAlwaysDottedDecimal) {
    const std::pair<const char*, const char*> cases[] = {
        {"192.168.1.88", "192.168.1.88"}, {"", "0.0.0.0"},          {"1.2.3", "1.2.3.0"},
        {"300.1.1.1", "255.1.1.1"},       {"a.b.c.d", "0.0.0.0"},   {"0.0.0.0", "0.0.0.0"},
        {" 10. 2.3.4 ", "10.2.3.4"},      {"1.2.3.4.5", "1.2.3.4"}, {"-1.2.3.4", "0.2.3.4"}};
    for (const auto& [in, out] : cases) {
        ip.SetText(in);
        EXPECT_EQ(ip.Text(), out) << in;
    }
    ip.ClearAddress();
    EXPECT_EQ(ip.Text(), "0.0.0.0");
    EXPECT_EQ(ip.Octet(0)->text(), "") << "a cleared box is empty, not 0";
}

TEST_F(IPv4EditTest, TypingMovesThroughTheBoxesAndClampsAt255) {
    ip.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&ip));
    ip.Octet(0)->setFocus();
    auto type = [](const QString& s) {
        for (QChar ch : s) QTest::keyClicks(QApplication::focusWidget(), QString(ch));
    };
    type("192.168.1.5");
    EXPECT_EQ(ip.Text(), "192.168.1.5");
    ip.ClearAddress();
    ip.Octet(0)->setFocus();
    type("999x7");
    EXPECT_EQ(ip.Octet(0)->text(), "255");
    EXPECT_EQ(ip.Octet(1)->text(), "7") << "a letter types nothing";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    EXPECT_EQ(QApplication::focusWidget(), ip.Octet(0)) << "Backspace in an empty box goes back";
    ip.setEnabled(false);
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(ip.Octet(i)->isEnabled());
}

}  // namespace
