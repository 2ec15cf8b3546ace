// CDlgSmartUpgd, the "Smart Upgrade" tab page: upgrades the selected camera's system
// firmware online in one click and writes each step as a time-stamped line into its
// operation log.
//
// Threads: the engine's worker asks the reinstall question and the timer thread writes
// the log; both go through m_uiCall, which runs the work on the UI thread in order and
// waits for it. StopUpgrade cancels those waits before it joins the threads, so closing
// the page while a question, or a log update, is pending neither hangs nor crashes; a
// pending question then counts as "stop".
#pragma once
#include <QEvent>
#include <string>

#include "gui/pages/camera_page.h"
#include "gui/services/ui_call.h"
#include "upgrade/delay_func.h"
#include "upgrade/upgrade_handle.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class CXPButton;

// Template 132.
constexpr int kSmartPageWidthDu = 255;
constexpr int kSmartPageHeightDu = 230;

class CDlgSmartUpgd : public CCameraPage {
    Q_OBJECT
public:
    // catalogueHost: the firmware catalogue's host (empty: the program's constant).
    explicit CDlgSmartUpgd(QWidget* parent = nullptr, std::string catalogueHost = {});
    ~CDlgSmartUpgd() override;

    void SetCaptions() override;
    void ShowCamera(const CameraEntry* pEntry) override;
    // The camera the page was last handed, or null when cleared.
    const CameraEntry* ShownCamera() const;

    // Handlers, public so that tests drive them as the toolkit would.
    void OnUpgradeFirmware();
    void OnHandleCloseSmartUpgd();

    bool IsBusy() const { return m_bBusy != 0; }
    CUpgradeHandle& Upgrade() { return m_upgrade; }
    QListWidget* LogList() const { return m_lstLog; }
    CXPButton* UpgradeButton() const { return m_btnUpgrade; }

    CZarvonDlg* m_pMainDlg = nullptr;

    static const QEvent::Type kCloseEvent;  // WM_SMART_UPGD_CLOSE

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void CreateControls();
    void StartUpgrade();
    void StopUpgrade();
    void AddLogLine(const std::wstring& line, int32_t s);

    static int ProcessTimer(void* pUser);
    static int ConfirmReinstall(void* pUser);
    int OnTimer();

    CameraEntry m_entry{};
    bool m_bHaveEntry = false;
    UpgradeTarget m_jobTarget{};  // written by the UI thread only while no job runs
    UpgradeTask m_jobTask{};
    int32_t m_bBusy = 0;
    CUpgradeHandle m_upgrade;
    CDelayFunc m_timer;
    int32_t m_bTimerOn = 0;
    CUiCall m_uiCall;

    QLabel* m_lblIntro = nullptr;
    QLabel* m_lblHint = nullptr;
    QLabel* m_lblAccount = nullptr;
    QLabel* m_lblPassword = nullptr;
    QLineEdit* m_edtAccount = nullptr;
    QLineEdit* m_edtPassword = nullptr;
    QGroupBox* m_grpLog = nullptr;
    CXPButton* m_btnUpgrade = nullptr;
    QListWidget* m_lstLog = nullptr;
};
