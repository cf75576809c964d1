#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The workbench's classes need an application object; the tests run without a display and
// keep their settings and data apart from the user's.
int main(int Argc, char** Argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication Application(Argc, Argv);
    QApplication::setOrganizationName("zoZezo");
    QApplication::setApplicationName("zezo-workbench-tests");
    const QTemporaryDir Settings;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Settings.path());
    ::testing::InitGoogleTest(&Argc, Argv);
    return RUN_ALL_TESTS();
}
