// What the upgrade window tests share: simulated cameras with their web servers and a
// firmware catalogue on loopback, an accelerated clock, message boxes that are recorded
// (and, where a test needs it, kept open in a nested event loop until it closes them),
// and firmware files.
#pragma once
#include <gtest/gtest.h>

#include <QListWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "camsim/fleet.h"
#include "gui/services/file_dialog.h"
#include "gui/services/message_box.h"
#include "web/catalogue_server.h"
#include "web/web_servers.h"

constexpr const char* kCatalogueIp = "127.0.9.1";
constexpr double kFastClock = 50;

// Records every box. A box of a kind in m_holdKinds stays open (a nested event loop runs)
// until Release() or until m_onShow's work closes it; others are answered at once.
class CHeldBoxes : public IMessageBoxService {
public:
    CHeldBoxes() { SetMessageBoxService(this); }
    ~CHeldBoxes() override { SetMessageBoxService(nullptr); }
    bool Show(BoxKind kind, const QString& caption, const QString& text) override;
    void Release(bool bAnswer);
    std::vector<QString> Texts() const;
    int Open() const { return m_nOpen; }

    std::vector<BoxKind> m_holdKinds;
    bool m_bAnswer = true;           // the answer of boxes not held
    std::function<void()> m_onShow;  // runs on the UI thread once a held box is open
    std::vector<std::pair<BoxKind, QString>> m_boxes;

private:
    int m_nOpen = 0;
    bool m_bReleased = false;
    bool m_bHeldAnswer = false;
};

// Hands the file dialog a fixed choice and records the filter it was given.
class CChosenFile : public IFileDialogService {
public:
    explicit CChosenFile(QString path) : m_path(std::move(path)) { SetFileDialogService(this); }
    ~CChosenFile() override { SetFileDialogService(nullptr); }
    QString GetSaveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString GetOpenFileName(QWidget*, const QString& filter) override {
        m_filter = filter;
        return m_path;
    }
    QString m_path, m_filter;
};

class UpgradeUiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Adds camera i of a made fleet (version, port and mode as given) and starts serving.
    void StartFleet(size_t n, const std::function<void(size_t, camsim::SimCamera&)>& adjust = {});
    void StartCatalogue(const std::string& version, const std::string& name);
    camsim::SimCamera Cam(size_t i);
    template <class F>
    void Change(size_t i, F&& f) {
        fleet.With([&](std::vector<camsim::SimCamera>& c) { f(c[i]); });
    }
    CameraEntry EntryOf(size_t i);
    // A firmware file of n pseudo-random bytes; returns its path and MD5.
    std::string MakeFile(size_t n, std::string& md5);

    camsim::Fleet fleet;
    std::unique_ptr<camsim::WebServers> web;
    std::unique_ptr<camsim::CatalogueServer> catalogue;
    std::vector<std::string> m_files;
};

// The item data (status) of each line of a log list.
std::vector<int> LogStatuses(const QListWidget& list);
// Threads of this process.
int ProcessThreads();
// The number at the end of a text ("...reboot...17" -> 17); -1 when none.
int TrailingNumber(const QString& text);
