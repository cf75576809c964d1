#include <QApplication>
#include <gtest/gtest.h>

// The widgets need an application object. Without a display setting they run offscreen, also
// when ctest lists the tests.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
