#include "gui/pages/general_page.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

#include "base/fixed_field.h"
#include "base/text_conv.h"
#include "camlist/onekey_plan.h"
#include "camlist/text_util.h"
#include "camlist/web_address.h"
#include "gui/controls/ipv4_edit.h"
#include "gui/controls/limit_edit.h"
#include "gui/controls/xp_button.h"
#include "gui/pages/login_dialog.h"
#include "gui/pages/page_font.h"
#include "gui/services/url_opener.h"
#include "i18n/string_table.h"

const PageControl kGeneralPageControls[24] = {
    {1037, PageKind::Label, 132, 10, 8, 61, 8, "lbl1037_name"},
    {1025, PageKind::ReadOnlyEdit, 0, 78, 5, 130, 14, "edt1025_name"},
    {1038, PageKind::Label, 133, 10, 24, 61, 8, "lbl1038_port"},
    {1029, PageKind::LimitEdit, 0, 78, 22, 50, 14, "edt1029_port"},
    {1028, PageKind::UpDown, 0, 126, 22, 10, 14, "spn1028_port"},
    {1039, PageKind::Label, 134, 10, 41, 61, 8, "lbl1039_network"},
    {1030, PageKind::ComboBox, 0, 78, 39, 130, 128, "cbo1030_network"},
    {1040, PageKind::Label, 135, 10, 59, 61, 8, "lbl1040_ip"},
    {1031, PageKind::IPv4, 0, 78, 56, 130, 15, "ip1031_ip"},
    {1041, PageKind::Label, 136, 10, 77, 61, 8, "lbl1041_mask"},
    {1032, PageKind::IPv4, 0, 78, 74, 130, 15, "ip1032_mask"},
    {1042, PageKind::Label, 137, 10, 95, 61, 8, "lbl1042_gateway"},
    {1033, PageKind::IPv4, 0, 78, 92, 130, 15, "ip1033_gateway"},
    {1043, PageKind::Label, 138, 10, 114, 61, 8, "lbl1043_dns1"},
    {1034, PageKind::IPv4, 0, 78, 111, 130, 15, "ip1034_dns1"},
    {1044, PageKind::Label, 139, 10, 132, 61, 8, "lbl1044_dns2"},
    {1035, PageKind::IPv4, 0, 78, 129, 130, 15, "ip1035_dns2"},
    {1046, PageKind::Label, 147, 10, 152, 61, 8, "lbl1046_uid"},
    {1027, PageKind::ReadOnlyEdit, 0, 78, 148, 130, 14, "edt1027_uid"},
    {1045, PageKind::Label, 140, 10, 169, 61, 8, "lbl1045_web"},
    {1026, PageKind::ReadOnlyEdit, 0, 78, 166, 130, 14, "edt1026_web"},
    {1036, PageKind::Button, 141, 211, 166, 38, 14, "btn1036_open"},
    {1023, PageKind::Radio, 142, 79, 190, 60, 10, "rad1023_custom"},
    {1024, PageKind::Radio, 143, 151, 190, 60, 10, "rad1024_auto"},
};

namespace {

// The 24 controls ShowCamera enables or disables, in its order.
constexpr int kShownControls[24] = {1037, 1038, 1039, 1040, 1041, 1042, 1043, 1044,
                                    1045, 1046, 1027, 1025, 1029, 1028, 1030, 1031,
                                    1032, 1033, 1023, 1024, 1034, 1035, 1026, 1036};
constexpr int kMaxPort = 99999;
const QString kNoAddress = QStringLiteral("0.0.0.0");

QString Str(int nId) { return QString::fromStdWString(LoadStrId(nId)); }

// The 8-point page font, made smaller where this platform's metrics would let the page
// (255 units of its font) overflow the tab control it was laid out for (219 units of the
// main window's font).
QString AnsiField(const char* pField, size_t nWidth) {
    return QString::fromStdWString(zv::AnsiToWide(zv::FieldText(pField, nWidth)));
}

}  // namespace

CUpDownArrows::CUpDownArrows(QWidget* parent)
    : QWidget(parent), m_btnUp(new QToolButton(this)), m_btnDown(new QToolButton(this)) {
    setFocusPolicy(Qt::StrongFocus);
    m_btnUp->setObjectName("up");
    m_btnDown->setObjectName("down");
    m_btnUp->setArrowType(Qt::UpArrow);
    m_btnDown->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {m_btnUp, m_btnDown}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(m_btnUp, &QToolButton::clicked, this, [this] { Press(+1); });
    connect(m_btnDown, &QToolButton::clicked, this, [this] { Press(-1); });
}

void CUpDownArrows::Press(int nDelta) {
    if (m_onDelta) m_onDelta(nDelta);
}

void CUpDownArrows::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Up) return Press(+1);
    if (e->key() == Qt::Key_Down) return Press(-1);
    QWidget::keyPressEvent(e);
}

void CUpDownArrows::resizeEvent(QResizeEvent*) {
    const int h = height() / 2;
    m_btnUp->setGeometry(0, 0, width(), h);
    m_btnDown->setGeometry(0, h, width(), height() - h);
}

CDlgBasicInfo::CDlgBasicInfo(QWidget* parent)
    : CCameraPage(parent), m_units(TabPageFont(kGeneralPageWidthDu)) {
    setFont(TabPageFont(kGeneralPageWidthDu));
    resize(m_units.Size(kGeneralPageWidthDu, kGeneralPageHeightDu));
    CreateControls();
    OnInitDialog();
}

void CDlgBasicInfo::CreateControls() {
    for (const PageControl& c : kGeneralPageControls) {
        QWidget* w = nullptr;
        switch (c.kind) {
            case PageKind::Label:
                w = new QLabel(this);
                break;
            case PageKind::ReadOnlyEdit: {
                auto* edt = new QLineEdit(this);
                edt->setReadOnly(true);
                (c.nId == 1025 ? m_edtName : c.nId == 1026 ? m_edtWebAddr : m_edtUid) = edt;
                w = edt;
                break;
            }
            case PageKind::LimitEdit:
                w = m_editPort = new CLimitEdit(this);
                break;
            case PageKind::UpDown:
                w = m_spinPort = new CUpDownArrows(this);
                break;
            case PageKind::ComboBox:
                w = m_cmbNetwork = new QComboBox(this);
                break;
            case PageKind::IPv4: {
                auto* ip = new CIPv4Edit(this);
                CIPv4Edit** pSlot[5] = {&m_ipAddr, &m_ipMask, &m_ipGateway, &m_ipDns1, &m_ipDns2};
                *pSlot[c.nId - 1031] = ip;
                w = ip;
                break;
            }
            case PageKind::Button:
                w = m_btnOpen = new CXPButton(this);
                m_btnOpen->setAutoDefault(false);
                break;
            case PageKind::Radio:
                w = new QRadioButton(this);
                w->setVisible(false);  // nothing reads them
                w->setEnabled(false);
                break;
        }
        w->setObjectName(c.szName);
        QRect rc = m_units.Rect(c.x, c.y, c.cx, c.cy);
        // A drop-down list's template height includes its open list.
        if (c.kind == PageKind::ComboBox) rc.setHeight(w->sizeHint().height());
        w->setGeometry(rc);
        w->installEventFilter(this);
    }
    // The arrows sit on the port field's right end, above it.
    m_spinPort->raise();
    m_spinPort->m_onDelta = [this](int nDelta) { OnDeltaposSpinPort(nDelta); };
    connect(m_cmbNetwork, &QComboBox::activated, this, [this] { OnSelchangeNetwork(); });
    connect(m_btnOpen, &QPushButton::clicked, this, [this] { OnOpen(); });
    // Enter and Escape are taken from the address fields' boxes too.
    for (int i = 0; i < 5; ++i)
        for (int k = 0; k < 4; ++k) AddressField(i)->Octet(k)->installEventFilter(this);
}

void CDlgBasicInfo::OnInitDialog() {
    // Digits only (Backspace always passes), at most five of them.
    m_editPort->m_chMin = '0';
    m_editPort->m_chMax = '9';
    m_editPort->setMaxLength(5);
    static_cast<QRadioButton*>(Control(1023))->setChecked(true);
    for (int i = 0; i < 5; ++i) AddressField(i)->SetText(kNoAddress);
    MakeBoldFont();
    SetCaptions();
}

void CDlgBasicInfo::MakeBoldFont() {
    // A cell height of 18 pixels and weight 600, from the name field's font.
    QFont f = m_edtName->font();
    f.setWeight(QFont::DemiBold);
    int nPixels = 18;
    do {
        f.setPixelSize(nPixels--);
    } while (nPixels > 1 && QFontMetrics(f).height() > 18);
    m_fontBold = f;
    for (int i = 0; i < 5; ++i) AddressField(i)->setFont(m_fontBold);
    m_edtUid->setFont(m_fontBold);
}

QWidget* CDlgBasicInfo::Control(int nId) const {
    for (const PageControl& c : kGeneralPageControls)
        if (c.nId == nId) return findChild<QWidget*>(c.szName, Qt::FindDirectChildrenOnly);
    return nullptr;
}

CIPv4Edit* CDlgBasicInfo::AddressField(int i) const {
    CIPv4Edit* const fields[5] = {m_ipAddr, m_ipMask, m_ipGateway, m_ipDns1, m_ipDns2};
    return fields[i];
}

void CDlgBasicInfo::SetCaptions() {
    for (const PageControl& c : kGeneralPageControls) {
        if (!c.nCaption) continue;
        QWidget* w = Control(c.nId);
        if (auto* lbl = qobject_cast<QLabel*>(w)) lbl->setText(Str(c.nCaption));
        if (auto* btn = qobject_cast<QAbstractButton*>(w)) btn->setText(Str(c.nCaption));
    }
    const int nSel = m_cmbNetwork->currentIndex();
    m_cmbNetwork->clear();
    m_cmbNetwork->addItem(Str(149), 0);
    m_cmbNetwork->addItem(Str(150), 1);
    m_cmbNetwork->setCurrentIndex(nSel);
}

void CDlgBasicInfo::EnableControls(bool bEnable) {
    for (int nId : kShownControls) Control(nId)->setEnabled(bEnable);
}

void CDlgBasicInfo::ShowCamera(const CameraEntry* pEntry) {
    if (!pEntry) {
        m_entry.reset();
        EnableControls(false);
        m_edtName->clear();
        m_editPort->setText(QStringLiteral("0"));
        m_cmbNetwork->setCurrentIndex(-1);
        for (int i = 0; i < 5; ++i) {
            AddressField(i)->setEnabled(false);
            AddressField(i)->SetText(kNoAddress);
        }
        m_edtUid->clear();
        m_edtWebAddr->clear();
        return;
    }
    m_entry = *pEntry;
    const CameraParams& p = pEntry->params;
    EnableControls(true);
    m_edtName->setText(QString::fromStdWString(zv::Utf8ToWide(zv::FieldText(p.szName))));
    m_editPort->setText(QString::number(p.nHttpPort));
    const int nMode = p.bDhcp;  // signed: 0xFF is -1, no item
    m_cmbNetwork->setCurrentIndex(nMode == 0 || nMode == 1 ? nMode : -1);
    EnableAddressFields(nMode);
    const char* const fields[5] = {p.szIP, p.szMask, p.szGateway, p.szDns1, p.szDns2};
    for (int i = 0; i < 5; ++i) AddressField(i)->SetText(AnsiField(fields[i], 16));
    m_edtUid->setText(AnsiField(p.szUid, sizeof p.szUid));
    const std::wstring strIP = zv::AnsiToWide(zv::FieldText(p.szIP));
    m_edtWebAddr->setText(QString::fromStdWString(WebAddress(strIP, std::to_wstring(p.nHttpPort))));
}

void CDlgBasicInfo::GetCameraParams(CameraParams& params) const {
    const std::wstring strName = TrimWide(m_edtName->text().toStdWString());
    zv::CopyUtf8ToField(params.szName, zv::WideToUtf8(strName));
    const std::wstring strPort = TrimWide(m_editPort->text().toStdWString());
    params.nHttpPort = static_cast<uint16_t>(static_cast<unsigned>(ReadDecimal(strPort)) & 0xFFFF);
    const QVariant mode = m_cmbNetwork->currentData();
    params.bDhcp = static_cast<int8_t>(mode.isValid() ? mode.toInt() : -1);
    char* const fields[5] = {params.szIP, params.szMask, params.szGateway, params.szDns1,
                             params.szDns2};
    for (int i = 0; i < 5; ++i) SetOemField(fields[i], 16, AddressField(i)->Text().toStdWString());
}

void CDlgBasicInfo::SetAddressFields(const std::wstring& strIP, const std::wstring& strMask,
                                     const std::wstring& strGateway, const std::wstring& strDns1,
                                     const std::wstring& strDns2) {
    const std::wstring* texts[5] = {&strIP, &strMask, &strGateway, &strDns1, &strDns2};
    for (int i = 0; i < 5; ++i) AddressField(i)->SetText(QString::fromStdWString(*texts[i]));
}

void CDlgBasicInfo::EnableAddressFields(int nMode) {
    if (nMode != 0 && nMode != 1) return;
    for (int i = 0; i < 5; ++i) AddressField(i)->setEnabled(nMode == 0);
}

void CDlgBasicInfo::OnDeltaposSpinPort(int nDelta) {
    m_spinPort->setFocus();
    long long value = ReadDecimal(TrimWide(m_editPort->text().toStdWString()));
    if (nDelta == 1 || nDelta == -1) value += nDelta;
    value = std::clamp(value, 0LL, static_cast<long long>(kMaxPort));
    m_editPort->setText(QString::number(value));
}

void CDlgBasicInfo::OnSelchangeNetwork() { EnableAddressFields(m_cmbNetwork->currentIndex()); }

void CDlgBasicInfo::OnOpen() {
    char szUrl[128] = {};
    zv::CopyToField(szUrl, zv::WideToOem(TrimWide(m_edtWebAddr->text().toStdWString())));
    UrlOpener().OpenUrl(QString::fromStdWString(zv::AnsiToWide(zv::FieldText(szUrl))));
}

bool CDlgBasicInfo::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) return true;
    }
    return CCameraPage::eventFilter(watched, e);
}
