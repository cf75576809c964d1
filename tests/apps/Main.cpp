#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

// The workbench's classes need an application object; the tests run without a display and
// keep their settings apart from the user's.
int main(int Argc, char** Argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication Application(Argc, Argv);
    ::testing::InitGoogleTest(&Argc, Argv);
    return RUN_ALL_TESTS();
}
