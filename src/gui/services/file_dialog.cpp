#include "gui/services/file_dialog.h"

#include <QFileDialog>

namespace {

class CQtFileDialogs : public IFileDialogService {
public:
    QString GetSaveFileName(QWidget* owner, const QString& proposedName,
                            const QString& filter) override {
        // Qt's save dialog asks before overwriting by default.
        return QFileDialog::getSaveFileName(owner, QString(), proposedName, filter);
    }
    QString GetOpenFileName(QWidget* owner, const QString& filter) override {
        return QFileDialog::getOpenFileName(owner, QString(), QString(), filter);
    }
};

CQtFileDialogs g_qtDialogs;
IFileDialogService* g_pDialogs = nullptr;

}  // namespace

IFileDialogService& FileDialogs() { return g_pDialogs ? *g_pDialogs : g_qtDialogs; }

void SetFileDialogService(IFileDialogService* p) { g_pDialogs = p; }
