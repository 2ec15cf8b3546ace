// CManualUpgd, the modal dialog that uploads a local firmware file (web UI or system) to
// one camera, shows the progress in one status line and reports the outcome in a box.
//
// Threads: the timer thread sets the status line and shows the result box through
// m_uiCall (carried out on the UI thread, in order, waited for). Closing the dialog
// cancels those waits before the threads are joined, so an Exit while the timer waits
// for the status line or while the result box is open neither hangs nor crashes, and a
// running upload is aborted.
#pragma once
#include <QDialog>
#include <QEvent>
#include <string>

#include "discovery/camera_types.h"
#include "gui/services/ui_call.h"
#include "upgrade/delay_func.h"
#include "upgrade/upgrade_handle.h"

class QLabel;
class QLineEdit;
class QRadioButton;
class CXPButton;
class CZarvonDlg;

// Template 133.
constexpr int kManualDlgWidthDu = 316;
constexpr int kManualDlgHeightDu = 96;
// The file-open box's filter, as pairs "description|pattern|".
extern const char kFirmwareFilter[];

class CManualUpgd : public QDialog {
    Q_OBJECT
public:
    explicit CManualUpgd(QWidget* parent = nullptr);
    ~CManualUpgd() override;

    // Handlers, public so that tests drive them as the toolkit would.
    void OnBrowse();
    void OnUpgrade();

    void done(int r) override;

    bool IsRunning() const { return m_bTimerOn != 0; }
    CUpgradeHandle& Upgrade() { return m_upgrade; }
    QLabel* StatusLine() const { return m_lblStatus; }

    int32_t m_nFirmwareKind = 0;  // 0 web UI (1059), 1 system (1060)
    std::wstring m_strUser, m_strPwd;
    CameraEntry m_entry{};
    CZarvonDlg* m_pMainDlg = nullptr;

    static const QEvent::Type kCloseEvent;  // WM_MANUAL_UPGD_CLOSE

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void CreateControls();
    void SetStatusLine(const std::wstring& text);
    void Shutdown();

    static int ProcessTimer(void* pUser);
    int OnTimer();

    UpgradeTarget m_jobTarget{};
    UpgradeTask m_jobTask{};
    CUpgradeHandle m_upgrade;
    CDelayFunc m_timer;
    int32_t m_bTimerOn = 0;
    bool m_bShutDown = false;
    CUiCall m_uiCall;

    QRadioButton* m_radWeb = nullptr;
    QRadioButton* m_radSys = nullptr;
    QLineEdit* m_edtFile = nullptr;
    CXPButton* m_btnBrowse = nullptr;
    CXPButton* m_btnOK = nullptr;
    CXPButton* m_btnCancel = nullptr;
    QLabel* m_lblStatus = nullptr;
};
