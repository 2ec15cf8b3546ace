// CZarvonApp, the application object: starts what the program needs, picks the UI
// language, runs the main window modally and ends when it closes.
#pragma once

class IAdapterSource;

class CZarvonApp {
public:
    // Start-up through the modal main window; returns false (no message loop follows).
    bool InitInstance(IAdapterSource* pSource = nullptr);
    // Shut-down; the process's exit code.
    int ExitInstance();
};
