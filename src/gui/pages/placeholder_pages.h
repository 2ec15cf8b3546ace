// The three tab pages of the main window. For now they only remember the camera they
// were handed; their controls come with the pages' own work.
#pragma once
#include <optional>

#include "gui/pages/camera_page.h"

// Shared body of the three pages: keeps a copy of the camera shown.
class CPlaceholderPage : public CCameraPage {
    Q_OBJECT
public:
    explicit CPlaceholderPage(QWidget* parent = nullptr) : CCameraPage(parent) {}

    void SetCaptions() override { ++m_nCaptionCalls; }
    void ShowCamera(const CameraEntry* pEntry) override;

    // The camera the page shows, or null when it is cleared.
    const CameraEntry* ShownCamera() const { return m_entry ? &*m_entry : nullptr; }
    int CaptionCalls() const { return m_nCaptionCalls; }

private:
    std::optional<CameraEntry> m_entry;
    int m_nCaptionCalls = 0;
};

class CDlgBasicInfo : public CPlaceholderPage {
    Q_OBJECT
public:
    using CPlaceholderPage::CPlaceholderPage;
};

class CDlgOtherInfo : public CPlaceholderPage {
    Q_OBJECT
public:
    using CPlaceholderPage::CPlaceholderPage;
    CZarvonDlg* m_pMainDlg = nullptr;
};

class CDlgSmartUpgd : public CPlaceholderPage {
    Q_OBJECT
public:
    using CPlaceholderPage::CPlaceholderPage;
    CZarvonDlg* m_pMainDlg = nullptr;
};
