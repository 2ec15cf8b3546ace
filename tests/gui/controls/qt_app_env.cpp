#include "qt_app_env.h"

#include <gtest/gtest.h>

#include <QApplication>

QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "zarvon-test";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: Qt's own statics may be gone by the time a static would be.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

namespace {
// Created before the first test, so every test finds the application.
class CQtEnvironment : public ::testing::Environment {
public:
    void SetUp() override { TestApp(); }
};
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new CQtEnvironment);
}  // namespace
