#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Also for test discovery, which runs the program outside ctest's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication Application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
