#include "gui/pages/placeholder_pages.h"

void CPlaceholderPage::ShowCamera(const CameraEntry* pEntry) {
    if (pEntry)
        m_entry = *pEntry;
    else
        m_entry.reset();
}
