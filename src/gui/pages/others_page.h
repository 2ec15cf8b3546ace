// CDlgOtherInfo, the "Others" tab page: read-only facts about the selected camera
// (firmware version, MAC address, DDNS password) and the way into the manual firmware
// upgrade dialog for it.
#pragma once
#include "gui/pages/camera_page.h"

class QLabel;
class QLineEdit;
class CXPButton;

// Template 130.
constexpr int kOthersPageWidthDu = 255;
constexpr int kOthersPageHeightDu = 230;

class CDlgOtherInfo : public CCameraPage {
    Q_OBJECT
public:
    explicit CDlgOtherInfo(QWidget* parent = nullptr);

    void SetCaptions() override;
    void ShowCamera(const CameraEntry* pEntry) override;
    // The camera the page was last handed, or null when cleared.
    const CameraEntry* ShownCamera() const { return m_bHaveEntry ? &m_entry : nullptr; }

    // Manual Upgrade (1054): login, then the manual upgrade dialog for the shown camera.
    void OnManualUpgrade();

    CZarvonDlg* m_pMainDlg = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void CreateControls();

    CameraEntry m_entry{};
    bool m_bHaveEntry = false;
    QLabel* m_lbl[3] = {};
    QLineEdit* m_edt[3] = {};  // 1046 version, 1047 MAC, 1048 DDNS password
    CXPButton* m_btnUpgrade = nullptr;
};
