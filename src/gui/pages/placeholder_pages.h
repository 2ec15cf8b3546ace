// A stand-in tab page that only remembers the camera it was handed; a page class derives
// from it until its own controls exist.
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
