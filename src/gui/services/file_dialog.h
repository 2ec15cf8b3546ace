// File-open and file-save dialogs. The program shows Qt's dialogs; a test installs its
// own service to choose the file (or cancel) without a window.
#pragma once
#include <QString>

class QWidget;

class IFileDialogService {
public:
    virtual ~IFileDialogService() = default;
    // The chosen path, or an empty text when the user cancelled. A save dialog proposes
    // proposedName and asks before overwriting an existing file.
    virtual QString GetSaveFileName(QWidget* owner, const QString& proposedName,
                                    const QString& filter) = 0;
    virtual QString GetOpenFileName(QWidget* owner, const QString& filter) = 0;
};

IFileDialogService& FileDialogs();
// Installs p (not owned); null restores Qt's dialogs.
void SetFileDialogService(IFileDialogService* p);
