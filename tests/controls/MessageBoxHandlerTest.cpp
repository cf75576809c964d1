// Which handler shows ShowMessage's texts once a memo exists.
#include "zoZezo/MessageBoxHandler.h"

#include "MemoFixture.h"

namespace zoZezo::test {
namespace {

TEST(MessageBoxHandler, LeavesAHandlerTheHostInstalled) {
    EXPECT_FALSE(InstallMessageBoxHandler());
    TovEquationMemo Memo;
    ShowMessage("to the host");
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages().back(), "to the host");
}

TEST(MessageBoxHandler, ReplacesTheDefaultHandlerWhileAnApplicationExists) {
    SetMessageHandler({});
    EXPECT_TRUE(InstallMessageBoxHandler());
    EXPECT_TRUE(InstallMessageBoxHandler()) << "a second call changes nothing";
    CaptureMessages();
}

} // namespace
} // namespace zoZezo::test
