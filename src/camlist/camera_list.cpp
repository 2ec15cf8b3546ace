#include "camlist/camera_list.h"

#include <cstdio>
#include <cstring>
#include <thread>

#include "base/fixed_field.h"
#include "base/text_conv.h"
#include "camlist/text_util.h"
#include "discovery/mode_class.h"
#include "i18n/string_table.h"

namespace {

// Holds the busy flag for one walk; gives up at once when another walker has it.
class BusyGuard {
public:
    explicit BusyGuard(CCameraList& list) : m_list(list), m_bOwned(list.TryLock()) {}
    ~BusyGuard() {
        if (m_bOwned) m_list.Unlock();
    }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
    bool Owned() const { return m_bOwned; }

private:
    CCameraList& m_list;
    bool m_bOwned;
};

bool SameCamera(const CameraEntry& a, const CameraEntry& b) {
    return std::memcmp(a.params.byMacAddr, b.params.byMacAddr, 6) == 0 &&
           zv::FieldText(a.params.szIP) == zv::FieldText(b.params.szIP);
}

// The row still shows what the entry holds (texts compared with blanks trimmed). The
// mode letter counts too, so a camera whose firmware changed class shows its new letter.
bool RowIsCurrent(const CameraRow& row, const CameraEntry& e) {
    CameraRow now = MakeCameraRow(e);
    return row.strMode == now.strMode && TrimBlanks(row.strName) == TrimBlanks(now.strName) &&
           TrimBlanks(row.strIP) == TrimBlanks(now.strIP) &&
           ReadDecimal(TrimBlanks(row.strPort)) == e.params.nHttpPort;
}

}  // namespace

std::wstring MacText(const uint8_t (&byMac)[6]) {
    wchar_t buf[24];
    std::swprintf(buf, 24, L"%02X:%02X:%02X:%02X:%02X:%02X", byMac[0], byMac[1], byMac[2], byMac[3],
                  byMac[4], byMac[5]);
    return buf;
}

CameraRow MakeCameraRow(const CameraEntry& e) {
    CameraRow row;
    row.strMode = zv::AnsiToWide(ModeLetter(e.nMode));
    row.strName = zv::Utf8ToWide(zv::FieldText(e.params.szName));
    row.strIP = zv::AnsiToWide(zv::FieldText(e.params.szIP));
    row.strPort = std::to_wstring(e.params.nHttpPort);
    return row;
}

std::wstring CountText(int n) { return LoadStrId(115) + std::to_wstring(n); }

size_t CCameraList::KeyHash::operator()(const Key& k) const {
    uint64_t h = 1469598103934665603ull;  // FNV-1a over MAC and address bytes
    auto mix = [&h](unsigned char c) { h = (h ^ c) * 1099511628211ull; };
    for (uint8_t b : k.byMac) mix(b);
    for (char c : k.strIP) mix(static_cast<unsigned char>(c));
    return static_cast<size_t>(h);
}

CCameraList::Key CCameraList::KeyOf(const CameraEntry& e) {
    Key k;
    std::memcpy(k.byMac, e.params.byMacAddr, 6);
    k.strIP = zv::FieldText(e.params.szIP);
    return k;
}

CCameraList::CCameraList(bool bUseIndex) : m_bUseIndex(bUseIndex) {}

CCameraList::RowSource::RowSource(const CameraEntry& e)
    : nPort(e.params.nHttpPort), nMode(e.nMode) {
    std::memcpy(szName, e.params.szName, sizeof szName);
    std::memcpy(szIP, e.params.szIP, sizeof szIP);
}

bool CCameraList::RowSource::operator==(const RowSource& o) const {
    return nPort == o.nPort && nMode == o.nMode && std::memcmp(szIP, o.szIP, sizeof szIP) == 0 &&
           std::memcmp(szName, o.szName, sizeof szName) == 0;
}

void CCameraList::SetRow(size_t i, const CameraEntry& e) {
    m_vecRows[i] = MakeCameraRow(e);
    m_vecRowSource[i] = RowSource(e);
}

int CCameraList::FindRow(const CameraEntry& entry) const {
    if (m_bUseIndex) {
        auto it = m_mapRow.find(KeyOf(entry));
        return it == m_mapRow.end() ? -1 : it->second;
    }
    for (size_t i = 0; i < m_vecCamera.size(); ++i)
        if (SameCamera(m_vecCamera[i], entry)) return static_cast<int>(i);
    return -1;
}

int CCameraList::Merge(const CameraEntry& entry, bool& bInserted) {
    int nRow = FindRow(entry);
    bInserted = nRow < 0;
    if (nRow >= 0) {
        // The row keeps its texts; the next prune refreshes it if they changed.
        m_vecCamera[nRow] = entry;
        return nRow;
    }
    nRow = Count();
    m_vecCamera.push_back(entry);
    m_vecRows.push_back(MakeCameraRow(entry));
    m_vecRowSource.emplace_back(entry);
    if (m_bUseIndex) m_mapRow.emplace(KeyOf(entry), nRow);
    return nRow;
}

void CCameraList::RebuildIndex() {
    if (!m_bUseIndex) return;
    m_mapRow.clear();
    for (size_t i = 0; i < m_vecCamera.size(); ++i)
        m_mapRow.emplace(KeyOf(m_vecCamera[i]), static_cast<int>(i));
}

AddResult CCameraList::AddCamera(const CameraEntry& entry) {
    AddResult r;
    BusyGuard guard(*this);
    if (!guard.Owned()) return r;
    bool bInserted = false;
    r.nRow = Merge(entry, bInserted);
    r.nResult = bInserted ? ADD_INSERTED : ADD_UPDATED;
    return r;
}

bool CCameraList::IsSelected(const CameraEntry& e) const { return SameCamera(e, m_curEntry); }

// One pass that compacts the list in place: entry r moves to w, the number of entries
// kept so far, which is exactly the index it has in a walk that deletes one entry at a
// time. So every reported index and the selection's index are those of that walk, at
// linear cost however many cameras fell silent.
PruneResult CCameraList::Prune() {
    PruneResult r;
    BusyGuard guard(*this);
    if (!guard.Owned()) return r;
    r.bDone = true;
    size_t w = 0;
    for (size_t i = 0; i < m_vecCamera.size(); ++i) {
        CameraEntry& e = m_vecCamera[i];
        const int nRow = static_cast<int>(w);
        if (!e.bSeen) {
            if (IsSelected(e) && m_nCurSel >= 0) {
                ClearSelection();
                r.bSelectionCleared = true;
            }
            if (nRow < m_nCurSel) --m_nCurSel;
            r.vecChanges.push_back({RowChange::kDelete, nRow});
            continue;
        }
        if (w != i) {
            m_vecCamera[w] = e;
            m_vecRows[w] = std::move(m_vecRows[i]);
            m_vecRowSource[w] = m_vecRowSource[i];
        }
        CameraEntry& kept = m_vecCamera[w];
        RowSource src(kept);
        if (!(m_vecRowSource[w] == src)) {
            if (RowIsCurrent(m_vecRows[w], kept)) {
                m_vecRowSource[w] = src;  // other bytes, same texts: the row stays
            } else {
                SetRow(w, kept);
                r.vecChanges.push_back({RowChange::kRefresh, nRow});
            }
        }
        kept.bSeen = 0;
        ++w;
    }
    if (w != m_vecCamera.size()) {
        m_vecCamera.resize(w);
        m_vecRows.resize(w);
        m_vecRowSource.erase(m_vecRowSource.begin() + static_cast<ptrdiff_t>(w),
                             m_vecRowSource.end());
        RebuildIndex();
    }
    if (m_vecCamera.empty() && m_nCurSel >= 0) {
        ClearSelection();
        r.bSelectionCleared = true;
    }
    return r;
}

int CCameraList::Clear() {
    // Another adapter was picked: this must happen, so wait out a walker on the timer
    // thread (it holds the flag only for one walk) instead of giving up.
    while (!TryLock()) std::this_thread::yield();
    int n = Count();
    m_vecCamera.clear();
    m_vecRows.clear();
    m_vecRowSource.clear();
    m_mapRow.clear();
    m_nCurSel = -1;
    m_curEntry = CameraEntry{};
    Unlock();
    return n;
}

bool CCameraList::Select(int nRow) {
    if (nRow < 0 || nRow >= Count()) {
        m_nCurSel = -1;
        m_curEntry = CameraEntry{};
        return false;
    }
    m_nCurSel = nRow;
    m_curEntry = m_vecCamera[nRow];
    return true;
}

void CCameraList::ClearSelection() { m_nCurSel = -1; }

int CCameraList::FindCameraByMac(std::wstring_view strMac, std::wstring& strIP, int& nPort) {
    BusyGuard guard(*this);
    if (!guard.Owned()) return 0;
    for (const CameraEntry& e : m_vecCamera) {
        if (MacText(e.params.byMacAddr) != strMac) continue;
        strIP = std::wstring(TrimBlanks(zv::AnsiToWide(zv::FieldText(e.params.szIP))));
        nPort = e.params.nHttpPort;
        return 1;
    }
    return 0;
}

std::string ExportLine(int n, const CameraEntry& e) {
    CameraRow row = MakeCameraRow(e);
    std::wstring line;
    line += PadRight(std::to_wstring(n), 8);
    line += PadRight(row.strMode, 8);
    line += PadRight(row.strName, 20);
    line += PadRight(row.strIP, 20);
    line += PadRight(row.strPort, 8);
    line += PadRight(MacText(e.params.byMacAddr), 20);
    line += L"\r\n";
    std::string bytes = zv::WideToOem(line);
    // The line goes through a 512-byte zero-filled buffer and is written up to its
    // first zero byte.
    constexpr size_t kLineBuffer = 512;
    if (bytes.size() > kLineBuffer - 1) bytes.resize(kLineBuffer - 1);
    return bytes.substr(0, bytes.find('\0'));
}

bool CCameraList::BuildExport(std::string& strOut) {
    BusyGuard guard(*this);
    if (!guard.Owned()) return false;
    strOut.clear();
    for (size_t i = 0; i < m_vecCamera.size(); ++i)
        strOut += ExportLine(static_cast<int>(i) + 1, m_vecCamera[i]);
    return true;
}

int CCameraList::ExportToFile(const std::string& strPath) {
    FILE* f = std::fopen(strPath.c_str(), "w+b");
    if (f == nullptr) return EXPORT_OPEN_FAILED;
    std::string text;
    bool bBuilt = BuildExport(text);
    bool bWritten = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    bWritten = std::fclose(f) == 0 && bWritten;
    if (!bBuilt) return EXPORT_BUSY;
    return bWritten ? EXPORT_OK : EXPORT_WRITE_FAILED;
}
