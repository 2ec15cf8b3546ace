// COstrel, the search engine: owns the discovery socket, sends search and settings
// requests (from the scheduler thread) and runs the listener thread that turns every
// reply into a callback. It never touches a window.
#pragma once
#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "base/socket_compat.h"
#include "discovery/camera_types.h"

class COstrel {
public:
    COstrel();
    virtual ~COstrel();
    COstrel(const COstrel&) = delete;
    COstrel& operator=(const COstrel&) = delete;

    // UI thread.
    void SetBindIPAddr(const std::wstring& strIP);
    int OpenListenThread(SearchCallback pfnCallback, void* pUser);  // 1 started, 0 not
    void CloseListenThread();

    // Scheduler thread (uninitsocket also from the UI thread's stop sequence). A close
    // waits until the listener is out of its wait, so none of these may be called from
    // inside the search callback.
    int initsocket();  // 1 bound, 0 failed
    void uninitsocket();
    int SendSearch();                               // 1 all 4 bytes out, 0 send error
    int SendSetParams(const CameraParams& params);  // 1 all 324 bytes out, 0 send error
    int SearchOnce();  // 0 sent, 1 socket failed to set up, 2 request failed to go out

    // Receive buffer asked for on the socket; large, so a burst of replies from many
    // cameras fits while the listener drains it (measured: 4 MiB still lost ~2 % of the
    // replies of 10 000 cameras answering within 10 ms, 8 MiB none).
    static constexpr int kRecvBufferBytes = 8 * 1024 * 1024;
    // What initsocket asks for; set before the first search (benchmarks compare sizes).
    int m_nRecvBufferBytes = kRecvBufferBytes;

    // Members are public as the owner's stop sequence reads and clears them. Every one
    // that two threads touch is atomic.
    std::atomic<zv::socket_t> m_sock{zv::kNoSocket};
    sockaddr_in m_addrDest{};
    // The socket the listener waits on: m_sock after initsocket, kNoSocket when empty.
    std::atomic<zv::socket_t> m_fdRead{zv::kNoSocket};
    std::atomic<int32_t> m_bSockInit{0};
    std::atomic<int32_t> m_bStop{0};
    std::thread m_hThread;
    std::atomic<SearchCallback> m_pfnCallback{nullptr};
    std::atomic<void*> m_pUser{nullptr};
    std::atomic<int32_t> m_bSearchOk{0};
    std::wstring m_strBindIP;

    // Listener turns so far (for tests that check the listener does not spin).
    std::atomic<uint64_t> m_nListenTurns{0};

private:
    static void ListenThread(COstrel* self);
    void ListenOnce();
    void HandleReadable(zv::socket_t s);
    int SendDatagram(const uint8_t* data, size_t len);
    // Closes m_sock once the listener is out of its wait on it, so the descriptor is
    // never closed (and possibly reused) under a running poll or receive. Needs m_sockMu.
    void CloseSocketLocked();
    void DropSocket();  // CloseSocketLocked under the lock
    void WakeListener();

    // Socket set-up, sends and closes exclude each other, so a close from the UI thread's
    // stop sequence can never meet a send of the scheduler on a dying descriptor.
    std::mutex m_sockMu;
    int m_wakeFd = -1;                   // eventfd that ends the listener's wait
    std::atomic<bool> m_bInWait{false};  // listener is using m_fdRead
};
