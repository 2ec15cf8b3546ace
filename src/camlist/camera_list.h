// The camera list: the cameras that answer on the chosen adapter's network, in row order
// (entry i is row i), with the texts each row shows, the selection, and the busy flag
// that keeps the list's walkers out of each other.
//
// A list view mirrors it: every call that changes rows reports the row changes in the
// order they happened (insert, delete, refresh at an index valid at that moment), so a
// view that applies them in order always shows exactly Rows().
//
// Threads: everything runs on the UI thread except FindCameraByMac, which an upgrade
// page's timer thread may call at any time. m_bBusy is a try-lock: a walker that finds
// it taken gives up at once (a found camera is dropped, a prune skipped).
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "discovery/camera_types.h"

// The texts one row shows: mode letter, name, address, port.
struct CameraRow {
    std::wstring strMode;
    std::wstring strName;
    std::wstring strIP;
    std::wstring strPort;
    bool operator==(const CameraRow&) const = default;
};

struct RowChange {
    enum Kind { kInsert, kDelete, kRefresh };
    Kind nKind;
    int nRow;
    bool operator==(const RowChange&) const = default;
};

// Results of AddCamera.
constexpr int ADD_DROPPED = 0;   // the list was busy; the camera's next reply adds it
constexpr int ADD_UPDATED = 1;   // an existing entry was overwritten; no row changed
constexpr int ADD_INSERTED = 2;  // a new row at the end

struct AddResult {
    int nResult = ADD_DROPPED;
    int nRow = -1;  // the entry's row; -1 when dropped
    // Clear the selection when the list has no rows after the add; a merge always leaves
    // one, so this stays false, but the window checks it as it checks a prune's.
    bool bSelectionCleared = false;
};

struct PruneResult {
    bool bDone = false;  // false: the list was busy and nothing changed
    std::vector<RowChange> vecChanges;
    // The selected camera was dropped (or the list became empty): the pages get no
    // camera and One Key Set and Apply are disabled.
    bool bSelectionCleared = false;
};

// Export results.
constexpr int EXPORT_OK = 1;
constexpr int EXPORT_OPEN_FAILED = 0;
constexpr int EXPORT_BUSY = 2;          // the file was created and left empty
constexpr int EXPORT_WRITE_FAILED = 3;  // the file is incomplete

class CCameraList {
public:
    // bUseIndex false merges by walking the whole list (the reference the index must
    // match; benchmarks compare both).
    explicit CCameraList(bool bUseIndex = true);

    // Merges a found camera unless the list is busy.
    AddResult AddCamera(const CameraEntry& entry);
    // Drops the cameras not seen since the last prune and refreshes rows whose texts
    // changed; keeps m_nCurSel naming the same camera.
    PruneResult Prune();
    // Empties the list and the selection (another adapter was picked). Waits for a
    // walker on another thread to finish instead of giving up. Returns the row count
    // that was deleted (the view deletes all its rows).
    int Clear();

    // A click on row nRow (-1: none): selects it, or clears the selection. Returns
    // whether a camera is now selected (Apply and One Key Set enabled).
    bool Select(int nRow);
    // m_nCurSel -1; m_curEntry is kept (the prune compares against it).
    void ClearSelection();

    // 1 with the address (ANSI-decoded, trimmed) and port of the first camera whose MAC
    // text ("%02X:..:%02X") equals strMac exactly; 0 when none matches or the list is busy.
    int FindCameraByMac(std::wstring_view strMac, std::wstring& strIP, int& nPort);

    // The export lines of every entry, in row order; false (and nothing) when busy.
    bool BuildExport(std::string& strOut);
    // Creates or truncates strPath and writes the export lines to it.
    int ExportToFile(const std::string& strPath);

    int Count() const { return static_cast<int>(m_vecCamera.size()); }
    const std::vector<CameraEntry>& Cameras() const { return m_vecCamera; }
    const std::vector<CameraRow>& Rows() const { return m_vecRows; }
    int CurSel() const { return m_nCurSel; }
    const CameraEntry& CurEntry() const { return m_curEntry; }

    // The try-lock every walker takes (also for callers such as Find and Export).
    bool TryLock() { return !m_bBusy.test_and_set(std::memory_order_acquire); }
    void Unlock() { m_bBusy.clear(std::memory_order_release); }

    std::vector<CameraEntry> m_vecCamera;
    CameraEntry m_curEntry{};
    int32_t m_nCurSel = -1;

private:
    struct Key {
        uint8_t byMac[6];
        std::string strIP;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const;
    };
    static Key KeyOf(const CameraEntry& e);

    // Merge without the lock: returns the row and whether it was inserted.
    int Merge(const CameraEntry& entry, bool& bInserted);
    int FindRow(const CameraEntry& entry) const;
    void RebuildIndex();
    bool IsSelected(const CameraEntry& e) const;

    // The bytes each row's texts were made from: equal bytes make equal texts, so the
    // prune compares texts only for rows whose entry bytes changed.
    struct RowSource {
        char szName[sizeof(CameraParams::szName)];
        char szIP[sizeof(CameraParams::szIP)];
        uint16_t nPort;
        int32_t nMode;
        explicit RowSource(const CameraEntry& e);
        bool operator==(const RowSource&) const;
    };
    void SetRow(size_t i, const CameraEntry& e);

    std::vector<CameraRow> m_vecRows;
    std::vector<RowSource> m_vecRowSource;
    std::unordered_map<Key, int, KeyHash> m_mapRow;
    bool m_bUseIndex;
    std::atomic_flag m_bBusy = ATOMIC_FLAG_INIT;
};

// The row texts of an entry.
CameraRow MakeCameraRow(const CameraEntry& e);
// "%02X:%02X:%02X:%02X:%02X:%02X" of the MAC bytes.
std::wstring MacText(const uint8_t (&byMac)[6]);
// The export line of entry e numbered n, in the OEM code page, ended by CR LF.
std::string ExportLine(int n, const CameraEntry& e);
// String 115 followed by n (in English "Count:3").
std::wstring CountText(int n);
