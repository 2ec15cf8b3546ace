// What the window tests share: a private network namespace per test binary, adapters
// handed in by the test, message boxes that are recorded instead of shown, a simulated
// fleet answering on loopback, and waiting while the event loop runs.
#pragma once
#include <gtest/gtest.h>

#include <QString>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "camsim/discovery_responder.h"
#include "camsim/fleet.h"
#include "gui/services/message_box.h"
#include "netinfo/net_card_info.h"

// Moves the test process into a network namespace of its own with loopback up, so that
// test binaries run side by side never hear each other's cameras. Call before any thread
// starts. False when it is not allowed (then the caller's namespace is used).
bool EnterPrivateNetworkNamespace();
// A test environment that enters that namespace before the first test (and so before the
// first socket thread: every thread started later inherits it). Register it once per test
// binary with ::testing::AddGlobalTestEnvironment(new CPrivateNetworkEnv).
class CPrivateNetworkEnv : public ::testing::Environment {
public:
    void SetUp() override {
        if (!EnterPrivateNetworkNamespace())
            std::fprintf(stderr, "note: no private namespace; using the caller's\n");
    }
};
// Sets loopback up or down in the current namespace.
bool SetLoopbackUp(bool bUp);

// Adapters given by the test: (description, address) pairs.
class CFakeAdapters : public IAdapterSource {
public:
    explicit CFakeAdapters(std::vector<std::pair<std::string, std::string>> cards)
        : m_cards(std::move(cards)) {}
    int QueryAdapters(std::vector<AdapterRecord>& out) override;
    int QueryDns(uint32_t nIndex, std::vector<std::string>& out) override;

private:
    std::vector<std::pair<std::string, std::string>> m_cards;
};

struct RecordedBox {
    BoxKind kind;
    QString caption;
    QString text;
};

// Records every box and answers it at once.
class CRecordingBoxes : public IMessageBoxService {
public:
    CRecordingBoxes() { SetMessageBoxService(this); }
    ~CRecordingBoxes() override { SetMessageBoxService(nullptr); }
    bool Show(BoxKind kind, const QString& caption, const QString& text) override {
        m_boxes.push_back({kind, caption, text});
        return m_bAnswer;
    }
    int Count(const std::wstring& text) const;
    std::vector<RecordedBox> m_boxes;
    bool m_bAnswer = true;
};

// Runs the event loop until pred holds or ms of real time passed; returns pred().
bool WaitUntil(const std::function<bool()>& pred, int ms);
// Runs the event loop for ms of real time.
void Pump(int ms);

// A fleet of n simulated cameras on 127.0.10.x answering on UDP 8600.
struct SimFleet {
    explicit SimFleet(size_t n);
    ~SimFleet();
    void SetSilent(size_t i, bool bSilent);
    void Rename(size_t i, const std::string& name);
    camsim::Fleet fleet;
    std::unique_ptr<camsim::DiscoveryResponder> responder;
    std::vector<camsim::SimCamera> cams;  // as made, for expected texts
};
