#include "cli/search_session.h"

#include <cstring>
#include <cwchar>

#include "base/app_messages.h"
#include "base/clock.h"
#include "base/message_queue.h"

namespace {

uint64_t MacKey(const uint8_t* byMac) {
    uint64_t k = 0;
    std::memcpy(&k, byMac, 6);
    return k;
}

void FreeDropped(const zv::Message& msg) {
    if (msg.message == WM_SEARCH_RESULT && msg.wParam == SEARCH_EVENT_FOUND)
        delete reinterpret_cast<CameraEntry*>(msg.lParam);
}

}  // namespace

CSearchSession::CSearchSession() : m_nQueue(zv::CreateThreadQueue()) {}

CSearchSession::~CSearchSession() {
    Stop();
    zv::DestroyThreadQueue(m_nQueue, FreeDropped);
}

bool CSearchSession::PostMessage(uint32_t message, zv::WPARAM wParam, zv::LPARAM lParam) {
    return zv::PostThreadMessage(m_nQueue, message, wParam, lParam);
}

// Listener thread: touches nothing but the queue (and the target MAC it only reads).
void CSearchSession::OnSearchEvent(int32_t nEvent, void* pData, void* pUser) {
    auto* self = static_cast<CSearchSession*>(pUser);
    if (self == nullptr || pData == nullptr) return;
    if (nEvent == SEARCH_EVENT_FOUND) {
        auto* block = new CameraEntry(*static_cast<const CameraEntry*>(pData));
        if (!self->PostMessage(WM_SEARCH_RESULT, SEARCH_EVENT_FOUND,
                               reinterpret_cast<zv::LPARAM>(block)))
            delete block;
        return;
    }
    if (nEvent != SET_RESULT_OK && nEvent != SET_RESULT_BAD_AUTH && nEvent != SET_RESULT_NO_RIGHT)
        return;
    // Only the answer of the camera the request was for counts.
    auto* params = static_cast<const CameraParams*>(pData);
    if (!self->m_bHaveTarget || MacKey(params->byMacAddr) != self->m_nTargetMac) return;
    self->PostMessage(WM_SEARCH_RESULT, static_cast<zv::WPARAM>(nEvent), 0);
}

int CSearchSession::Start(const std::wstring& strBindIP) {
    m_finder.SetBindIPAddr(strBindIP);
    if (!m_finder.OpenListenThread(&CSearchSession::OnSearchEvent, this)) return 0;
    m_bRunning = true;
    if (!m_updateThread.Start(this, &m_finder)) {
        Stop();
        return 0;
    }
    return 1;
}

void CSearchSession::Stop() {
    if (!m_bRunning) return;
    m_bRunning = false;
    m_updateThread.ReleaseUpdateThread();
    m_finder.m_bSearchOk = 0;
    m_finder.m_bSockInit = 0;
    m_finder.uninitsocket();
    m_finder.m_pfnCallback = nullptr;
    m_finder.m_pUser = nullptr;
    m_finder.CloseListenThread();
}

void CSearchSession::Handle(const zv::Message& msg) {
    if (msg.message == WM_SEARCH_PRUNE) {
        m_list.Prune();
        return;
    }
    if (msg.message != WM_SEARCH_RESULT) return;
    switch (msg.wParam) {
        case SEARCH_EVENT_FOUND: {
            auto* e = reinterpret_cast<CameraEntry*>(msg.lParam);
            if (e == nullptr) return;
            m_list.AddCamera(*e);
            m_mapLatest[MacKey(e->params.byMacAddr)] = *e;
            delete e;
            return;
        }
        case 1:
            ++m_nSetupFailures;
            return;
        case 2:
            ++m_nSendFailures;
            if (m_bHaveTarget && m_nSetResult == 0) m_nSetResult = 2;
            return;
        case SET_RESULT_OK:
        case SET_RESULT_BAD_AUTH:
        case SET_RESULT_NO_RIGHT:
            if (m_nSetResult == 0) m_nSetResult = static_cast<int32_t>(msg.wParam);
            return;
        default:
            return;
    }
}

void CSearchSession::Pump(uint32_t nMs, const std::function<bool()>& bDone) {
    uint64_t end = zv::TickCount64() + nMs;
    for (;;) {
        if (bDone && bDone()) return;
        uint64_t now = zv::TickCount64();
        if (now >= end) return;
        zv::Message msg;
        if (zv::WaitThreadMessage(m_nQueue, msg,
                                  static_cast<uint32_t>(std::min<uint64_t>(end - now, 50))))
            Handle(msg);
    }
}

bool CSearchSession::SendSettings(const CameraEntry& entry) {
    m_nSetResult = 0;
    m_nTargetMac = MacKey(entry.params.byMacAddr);
    m_bHaveTarget = true;
    CameraEntry* block = NewSettingsEntry(entry);
    if (zv::PostThreadMessage(m_updateThread.m_nThreadId, WM_SEND_SETTINGS,
                              reinterpret_cast<zv::WPARAM>(block), 0))
        return true;
    FreeSettingsEntry(block);
    return false;
}

bool CSearchSession::LatestEntry(const std::wstring& strMac, CameraEntry& out) const {
    unsigned v[6];
    if (std::swscanf(strMac.c_str(), L"%2x:%2x:%2x:%2x:%2x:%2x", &v[0], &v[1], &v[2], &v[3], &v[4],
                     &v[5]) != 6)
        return false;
    uint8_t mac[6];
    for (int i = 0; i < 6; ++i) mac[i] = static_cast<uint8_t>(v[i]);
    auto it = m_mapLatest.find(MacKey(mac));
    // The text must be exactly the MAC's ("AA:BB:..", upper case), as the list matches it.
    if (it == m_mapLatest.end() || MacText(it->second.params.byMacAddr) != strMac) return false;
    out = it->second;
    return true;
}
