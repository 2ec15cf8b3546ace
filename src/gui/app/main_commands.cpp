// The main window's commands on the cameras: Apply, One Key Set, Export and the web page
// on a double-click. Apply and One Key Set end in a settings request that the scheduler
// sends; the camera's answer comes back as a box (123, 124, 125, or 122 on a failed send).
#include <QComboBox>
#include <QTableView>

#include "base/app_messages.h"
#include "base/message_queue.h"
#include "base/text_conv.h"
#include "camlist/onekey_plan.h"
#include "camlist/web_address.h"
#include "diag/trace.h"
#include "gui/app/camera_list_model.h"
#include "gui/app/zarvon_dlg.h"
#include "gui/pages/general_page.h"
#include "gui/pages/login_dialog.h"
#include "gui/services/file_dialog.h"
#include "gui/services/message_box.h"
#include "gui/services/url_opener.h"
#include "i18n/string_table.h"

namespace {

bool SameCamera(const CameraEntry& a, const CameraEntry& b) {
    return std::memcmp(a.params.byMacAddr, b.params.byMacAddr, 6) == 0 &&
           std::memcmp(a.params.szIP, b.params.szIP, sizeof a.params.szIP) == 0;
}

}  // namespace

void CZarvonDlg::PostSettings(const CameraEntry& entry) {
    CameraEntry* block = NewSettingsEntry(entry);
    const uint32_t nThread = m_updateThread.m_nThreadId;
    // From a successful post on the scheduler owns the block.
    if (nThread == 0 ||
        !zv::PostThreadMessage(nThread, WM_SEND_SETTINGS, reinterpret_cast<zv::WPARAM>(block), 0))
        FreeSettingsEntry(block);
}

void CZarvonDlg::OnApply() {
    const int nSel = m_cameras.CurSel();
    if (nSel < 0 || nSel >= m_cameras.Count()) return;
    CameraEntry working = m_cameras.Cameras()[size_t(nSel)];
    CDlgLogin dlg;
    if (dlg.exec() != CDlgLogin::IDOK) return;
    // The camera fell silent and was pruned while the login was open: the page is
    // cleared now, and its zeros must not go out as the camera's new settings.
    const int nNow = m_cameras.CurSel();
    if (nNow < 0 || !SameCamera(m_cameras.Cameras()[size_t(nNow)], working)) return;
    if (m_pageGeneral) m_pageGeneral->GetCameraParams(working.params);
    SetCredentials(working.params, dlg.m_strUser, dlg.m_strPwd);
    PostSettings(working);
}

void CZarvonDlg::OnOneKeySet() {
    const int nSel = m_cameras.CurSel();
    if (nSel < 0 || nSel >= m_cameras.Count()) return;
    CameraEntry working = m_cameras.Cameras()[size_t(nSel)];
    if (working.params.bDhcp == 1) {
        WarningBox(LoadStrId(151));
        return;
    }
    if (!QuestionBox(LoadStrId(152))) return;
    const QVariant data = m_cboNetCard->currentData();
    const int nCard = data.isValid() ? data.toInt() : -1;
    if (nCard < 0 || size_t(nCard) >= m_vecNetCard.size()) return;
    OneKeyPlan plan;
    if (PlanOneKeySet(working, m_vecNetCard[size_t(nCard)], plan) != ONEKEY_PLANNED) {
        // An address that does not read as four numbers would put "-1" into the camera.
        TraceOut("\n OneKeySet: address does not split into four numbers");
        return;
    }
    if (m_pageGeneral)
        m_pageGeneral->SetAddressFields(plan.strIP, plan.strMask, plan.strGateway, plan.strDns1,
                                        plan.strDns2);
    CDlgLogin dlg;
    if (dlg.exec() != CDlgLogin::IDOK) return;
    // Only the addresses and the credentials change; the page's edits are not read.
    ApplyOneKeyPlan(working.params, plan);
    SetCredentials(working.params, dlg.m_strUser, dlg.m_strPwd);
    PostSettings(working);
}

void CZarvonDlg::OnExport() {
    const QString path =
        FileDialogs().GetSaveFileName(this, QStringLiteral("ipcam.txt"), QStringLiteral("*.txt"));
    if (path.isEmpty()) return;
    // Open failures and a busy list end the command without a message.
    m_cameras.ExportToFile(path.toLocal8Bit().toStdString());
}

void CZarvonDlg::OnDblclkListCamera() {
    const QModelIndexList rows = m_listCamera->selectionModel()->selectedRows();
    int r = -1;
    for (const QModelIndex& i : rows)
        if (r < 0 || i.row() < r) r = i.row();
    if (r < 0) return;
    const QAbstractItemModel* model = m_listCamera->model();
    const std::wstring strIP = model->index(r, 2).data().toString().toStdWString();
    const std::wstring strPort = model->index(r, 3).data().toString().toStdWString();
    const std::string strUrl = WebAddressForShell(strIP, strPort);
    UrlOpener().OpenUrl(QString::fromStdWString(zv::AnsiToWide(strUrl)));
}
