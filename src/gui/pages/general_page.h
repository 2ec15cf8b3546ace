// CDlgBasicInfo, the "General" tab page: the selected camera's name, HTTP port, network
// mode, five IPv4 settings, UID and web address. It never talks to a camera: the main
// window hands it a camera to show (or none), Apply reads the edited values back with
// GetCameraParams, One Key Set writes its planned addresses with SetAddressFields.
#pragma once
#include <QFont>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "gui/app/dialog_units.h"
#include "gui/pages/camera_page.h"

class QComboBox;
class QLineEdit;
class QToolButton;
class CIPv4Edit;
class CLimitEdit;
class CXPButton;

// The page's control kinds beyond those of the main window's table.
enum class PageKind { Label, ReadOnlyEdit, LimitEdit, UpDown, ComboBox, IPv4, Button, Radio };

struct PageControl {
    int nId;
    PageKind kind;
    int nCaption;
    int x, y, cx, cy;
    const char* szName;
};

// Template 129: 255 x 230 dialog units, 8 points.
extern const PageControl kGeneralPageControls[24];
constexpr int kGeneralPageWidthDu = 255;
constexpr int kGeneralPageHeightDu = 230;

// Up-down arrows without a buddy: each press reports a delta (+1 up, -1 down) and
// nothing else; the arrow keys step it while it has the focus.
class CUpDownArrows : public QWidget {
public:
    explicit CUpDownArrows(QWidget* parent = nullptr);
    std::function<void(int)> m_onDelta;
    QToolButton* Up() const { return m_btnUp; }
    QToolButton* Down() const { return m_btnDown; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void Press(int nDelta);
    QToolButton* m_btnUp;
    QToolButton* m_btnDown;
};

class CDlgBasicInfo : public CCameraPage {
    Q_OBJECT
public:
    explicit CDlgBasicInfo(QWidget* parent = nullptr);

    void SetCaptions() override;
    void ShowCamera(const CameraEntry* pEntry) override;
    // Writes name, port, network mode and the five addresses into params; every other
    // field stays as the caller set it.
    void GetCameraParams(CameraParams& params) const;
    void SetAddressFields(const std::wstring& strIP, const std::wstring& strMask,
                          const std::wstring& strGateway, const std::wstring& strDns1,
                          const std::wstring& strDns2);
    // 0 enables the five address fields, 1 disables them, anything else changes nothing.
    void EnableAddressFields(int nMode);

    // The camera last handed over, or null when the page is cleared.
    const CameraEntry* ShownCamera() const { return m_entry ? &*m_entry : nullptr; }
    const CDialogUnits& Units() const { return m_units; }

    // The port arrows' notification: the port text stepped by nDelta, kept in 0..99999.
    void OnDeltaposSpinPort(int nDelta);

    CUpDownArrows* m_spinPort = nullptr;
    CLimitEdit* m_editPort = nullptr;
    QComboBox* m_cmbNetwork = nullptr;
    CIPv4Edit* m_ipAddr = nullptr;
    CIPv4Edit* m_ipMask = nullptr;
    CIPv4Edit* m_ipGateway = nullptr;
    CIPv4Edit* m_ipDns1 = nullptr;
    CIPv4Edit* m_ipDns2 = nullptr;
    CXPButton* m_btnOpen = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void CreateControls();
    void OnInitDialog();
    void MakeBoldFont();
    void EnableControls(bool bEnable);
    void OnSelchangeNetwork();
    void OnOpen();
    QWidget* Control(int nId) const;
    CIPv4Edit* AddressField(int i) const;

    CDialogUnits m_units;
    QFont m_fontBold;
    QLineEdit* m_edtName = nullptr;     // 1025
    QLineEdit* m_edtWebAddr = nullptr;  // 1026
    QLineEdit* m_edtUid = nullptr;      // 1027
    std::optional<CameraEntry> m_entry;
};
