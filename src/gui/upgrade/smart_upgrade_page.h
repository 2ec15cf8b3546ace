// CDlgSmartUpgd: stand-in until the page's own controls exist.
#pragma once
#include "gui/pages/placeholder_pages.h"

class CDlgSmartUpgd : public CPlaceholderPage {
    Q_OBJECT
public:
    using CPlaceholderPage::CPlaceholderPage;
    CZarvonDlg* m_pMainDlg = nullptr;
};
