// How the main window copes with a big fleet: search passes until every camera is listed,
// and the UI thread's event-loop latency while the replies arrive (how long an event
// posted to the UI thread, such as a click, waits before it is handled); then a fifth of
// the cameras fall silent and the same figures are taken while the prunes delete them.
//
//   bench_gui_camera_list [cameras=10000] [spread-ms=0] [max-passes=10]
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTableView>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "gui/app/zarvon_dlg.h"
#include "gui_fixture.h"
#include "i18n/string_table.h"

namespace {

const QEvent::Type kProbeEvent = QEvent::Type(QEvent::registerEventType());

struct ProbeEvent : QEvent {
    explicit ProbeEvent(qint64 n) : QEvent(kProbeEvent), nPosted(n) {}
    qint64 nPosted;
};

}  // namespace

int main(int argc, char** argv) {
    const int nCameras = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int nSpreadMs = argc > 2 ? std::atoi(argv[2]) : 0;
    const int nMaxPasses = argc > 3 ? std::atoi(argv[3]) : 10;
    if (!EnterPrivateNetworkNamespace()) {
        std::fprintf(stderr, "bench: needs root for a private network namespace\n");
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetLanguage(0);
    // The fleet's names are partly Chinese and Japanese; the first text drawn in them loads
    // the fallback font (a one-off of some 100 ms). Load it before measuring.
    {
        QImage warm(200, 20, QImage::Format_RGB32);
        QPainter p(&warm);
        p.drawText(0, 15, QString::fromUtf8("前门摄像机 カメラ Kamera wejście"));
    }

    SimFleet sim{size_t(nCameras)};
    if (nSpreadMs > 0)
        sim.fleet.With([&](std::vector<camsim::SimCamera>& v) {
            for (size_t i = 0; i < v.size(); ++i)
                v[i].replyDelayMs = int(i * size_t(nSpreadMs) / v.size());
        });
    CRecordingBoxes boxes;
    CFakeAdapters lo{{{"Loopback", "127.0.0.1"}}};

    // Event-loop latency: a thread posts a time-stamped probe event every 10 ms; the UI
    // thread notes how long each waited before it was handled (as a click would).
    std::vector<double> lateMs;
    QElapsedTimer clock;
    clock.start();
    struct Probe : QObject {
        std::vector<double>* pLate;
        double dWorstMs = 0;
        QElapsedTimer* pClock;
        bool event(QEvent* e) override {
            if (e->type() != kProbeEvent) return QObject::event(e);
            const qint64 posted = static_cast<ProbeEvent*>(e)->nPosted;
            const double ms = (pClock->nsecsElapsed() - posted) / 1e6;
            pLate->push_back(ms);
            dWorstMs = std::max(dWorstMs, ms);
            return true;
        }
    } probe;
    probe.pLate = &lateMs;
    probe.pClock = &clock;
    std::atomic<bool> bProbing{true};
    std::thread prober([&] {
        while (bProbing) {
            QCoreApplication::postEvent(&probe, new ProbeEvent(clock.nsecsElapsed()));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });

    QElapsedTimer total;
    total.start();
    CZarvonDlg dlg(nullptr, &lo);
    dlg.show();
    QTableView* list = dlg.CameraListView();
    int nListedAtPass = 0;
    uint64_t nPassesSeen = 0;
    std::vector<int> rowsAfterPass;
    WaitUntil(
        [&] {
            const uint64_t passes = sim.responder->SearchRequests();
            if (passes != nPassesSeen) {
                if (nPassesSeen) rowsAfterPass.push_back(list->model()->rowCount());
                nPassesSeen = passes;
            }
            if (list->model()->rowCount() >= nCameras && !nListedAtPass)
                nListedAtPass = int(passes);
            return nListedAtPass != 0 || passes > uint64_t(nMaxPasses);
        },
        (nMaxPasses + 1) * 2100 + nSpreadMs);
    const bool bAll = nListedAtPass != 0;
    const double dListedS = total.elapsed() / 1000.0;
    Pump(100);  // probes queued behind the last handler are counted too
    std::vector<double> arriveMs;
    arriveMs.swap(lateMs);
    const double dArriveWorst = probe.dWorstMs;
    probe.dWorstMs = 0;

    // Then every fifth camera falls silent: the prunes delete a fifth of the rows.
    const int nSilent = nCameras / 5;
    sim.fleet.With([&](std::vector<camsim::SimCamera>& v) {
        for (size_t i = 0; i < v.size(); i += 5) v[i].silent = true;
    });
    QElapsedTimer pruneClock;
    pruneClock.start();
    const bool bPruned = WaitUntil([&] { return list->model()->rowCount() <= nCameras - nSilent; },
                                   4 * 2100 + nSpreadMs);
    const double dPrunedS = pruneClock.elapsed() / 1000.0;
    Pump(100);
    bProbing = false;
    prober.join();
    dlg.done(0);

    auto pct = [](std::vector<double> v, double p) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[std::min(v.size() - 1, size_t(p * double(v.size())))];
    };
    std::printf("cameras            %d (reply spread %d ms)\n", nCameras, nSpreadMs);
    std::printf("all listed         %s, at search pass %d, after %.2f s\n", bAll ? "yes" : "NO",
                nListedAtPass, dListedS);
    for (size_t i = 0; i < rowsAfterPass.size(); ++i)
        std::printf("rows when pass %zu went out  %d\n", i + 2, rowsAfterPass[i]);
    std::printf("rows at the end    %d\n", list->model()->rowCount());
    std::printf(
        "event-loop latency while they arrive  p50 %.1f ms, p99 %.1f ms, max %.1f ms (%zu "
        "samples)\n",
        pct(arriveMs, 0.5), pct(arriveMs, 0.99), dArriveWorst, arriveMs.size());
    std::printf("%d silent cameras pruned  %s after %.2f s\n", nSilent, bPruned ? "yes" : "NO",
                dPrunedS);
    std::printf(
        "event-loop latency while pruning      p50 %.1f ms, p99 %.1f ms, max %.1f ms (%zu "
        "samples)\n",
        pct(lateMs, 0.5), pct(lateMs, 0.99), probe.dWorstMs, lateMs.size());
    std::printf("boxes shown        %zu\n", boxes.m_boxes.size());
    return bAll && bPruned ? 0 : 2;
}
