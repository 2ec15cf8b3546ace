// What the main window asks of each of its three tab pages, and nothing more: reload the
// captions in the language in force, and show a camera (or none, to clear the page).
#pragma once
#include <QWidget>

#include "discovery/camera_types.h"

class CZarvonDlg;

class CCameraPage : public QWidget {
    Q_OBJECT
public:
    explicit CCameraPage(QWidget* parent = nullptr) : QWidget(parent) {}

    virtual void SetCaptions() = 0;
    // pEntry null clears the page; otherwise the page keeps its own copy.
    virtual void ShowCamera(const CameraEntry* pEntry) = 0;
};
