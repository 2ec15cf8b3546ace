// Writes PNG screenshots of the Smart Upgrade page with a finished log and of the manual
// upgrade dialog in the middle of an upload, one of each per language, into the folder
// given as the first argument, against simulated cameras on loopback.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <memory>

#include "base/clock.h"
#include "camsim/fleet.h"
#include "gui/controls/xp_button.h"
#include "gui/services/file_dialog.h"
#include "gui/upgrade/manual_upgrade_dialog.h"
#include "gui/upgrade/smart_upgrade_page.h"
#include "gui_fixture.h"
#include "i18n/string_table.h"
#include "web/catalogue_server.h"
#include "web/web_servers.h"

namespace {

constexpr const char* kCatalogueIp = "127.0.9.1";

class CFixedFile : public IFileDialogService {
public:
    explicit CFixedFile(QString p) : m_path(std::move(p)) { SetFileDialogService(this); }
    ~CFixedFile() override { SetFileDialogService(nullptr); }
    QString GetSaveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString GetOpenFileName(QWidget*, const QString&) override { return m_path; }
    QString m_path;
};

void Save(QWidget& w, const QString& dir, const QString& name) {
    const QString path = QDir(dir).filePath(name);
    if (!w.grab().save(path))
        std::fprintf(stderr, "screenshots: cannot write %s\n", qPrintable(path));
}

CameraEntry EntryOf(camsim::Fleet& fleet, size_t i) {
    CameraEntry e{};
    e.params =
        fleet.With([&](std::vector<camsim::SimCamera>& c) { return camsim::ParamsOf(c[i]); });
    return e;
}

}  // namespace

int main(int argc, char** argv) {
    const bool bPrivate = EnterPrivateNetworkNamespace();
    QApplication app(argc, argv);
    const QString dir =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::temp().filePath("zarvon-screenshots");
    QDir().mkpath(dir);
    CRecordingBoxes boxes;  // the result boxes are printed, not shown

    camsim::Fleet fleet;
    std::vector<camsim::SimCamera> cams = camsim::MakeFleet(2, "402613");
    cams[0].version = "48.3.16.25";
    cams[0].dhcp = 0;
    cams[0].restartMs = 200;
    cams[1].dhcp = 0;
    cams[1].webFault =
        camsim::kFaultChunked;  // chunked replies with pauses: the upload stays visible
    cams[1].faultChunks = 2;
    cams[1].faultDelayMs = 2500;
    for (const auto& c : cams) fleet.Add(c);
    camsim::WebServers web(fleet);
    web.Start();
    camsim::CatalogueServer catalogue(kCatalogueIp, 808);
    catalogue.AddEntry("48.3.16.25", "48.3.16.26", kCatalogueIp, "/firmware/48.3.16.26.bin", false);
    catalogue.Start();

    const char* file = "/tmp/zarvon-screenshot-fw.bin";
    std::ofstream(file, std::ios::binary) << std::string(64 * 1024, 'x');
    CFixedFile chosen(QString::fromLatin1(file));

    const char* names[kLanguageCount] = {"english", "chinese", "japanese", "polish"};
    for (int i = 0; i < kLanguageCount; ++i) {
        SetLanguage(i);
        zv::SetTimeScale(50);
        fleet.With([](std::vector<camsim::SimCamera>& c) { c[0].version = "48.3.16.25"; });
        CDlgSmartUpgd page(nullptr, kCatalogueIp);
        const CameraEntry e0 = EntryOf(fleet, 0);
        page.ShowCamera(&e0);
        page.show();
        QTest::mouseClick(page.UpgradeButton(), Qt::LeftButton);
        if (!WaitUntil([&] { return !page.IsBusy(); }, 20000))
            std::fprintf(stderr, "screenshots: the smart upgrade did not end\n");
        Pump(50);
        Save(page, dir, QString("smart-upgrade-%1.png").arg(names[i]));

        zv::SetTimeScale(1);
        CManualUpgd dlg;
        dlg.m_entry = EntryOf(fleet, 1);
        dlg.m_strUser = L"admin";
        dlg.m_strPwd = L"402613";
        dlg.show();
        QTest::mouseClick(dlg.findChild<CXPButton*>("btn1062_open"), Qt::LeftButton);
        QTest::mouseClick(dlg.findChild<CXPButton*>("btn1_upgrade"), Qt::LeftButton);
        const QString uploading = QString::fromStdWString(LoadStrId(170));
        if (!WaitUntil([&] { return dlg.StatusLine()->text().startsWith(uploading + "2"); }, 20000))
            std::fprintf(stderr, "screenshots: no upload status shown\n");
        Save(dlg, dir, QString("manual-upgrade-%1.png").arg(names[i]));
        dlg.reject();
    }
    for (const RecordedBox& b : boxes.m_boxes)
        std::fprintf(stderr, "box: %s\n", qPrintable(b.text));
    web.Stop();
    catalogue.Stop();
    std::remove(file);
    if (!bPrivate) std::fprintf(stderr, "screenshots: ran in the caller's network namespace\n");
    std::printf("%s\n", qPrintable(QDir(dir).absolutePath()));
    return 0;
}
