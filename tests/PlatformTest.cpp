#include "zoZezo/Platform.h"

#include <gtest/gtest.h>

using namespace zoZezo;

TEST(NameComparison, FoldsNonAsciiLetters) {
    EXPECT_EQ(AnsiCompareText("Ärger", "ärger"), 0);
    EXPECT_EQ(AnsiUpperCase("straße äö"), "STRAßE ÄÖ");
}
