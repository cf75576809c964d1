#include "MemoFixture.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication Application(argc, argv);
    // Before any memo: the memos then leave this handler in place of their message box.
    zoZezo::test::CaptureMessages();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
