#include <QApplication>
#include <gtest/gtest.h>

// The widgets need an application object; the tests run offscreen.
int main(int argc, char** argv) {
    QApplication App(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
