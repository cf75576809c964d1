// Part 1.9: the platform runtime services (name comparison, decimal conversion, messages,
// the shared random generator and the extended-precision real routines).
#include "zoZezo/Builtins.h"
#include "zoZezo/Platform.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <locale>
#include <set>
#include <string>
#include <vector>

using namespace zoZezo;

namespace {

constexpr long double Inf = std::numeric_limits<long double>::infinity();

// Switches the C and C++ locales of the process for one test and puts them back afterwards.
class TLocaleGuard {
public:
    explicit TLocaleGuard(const char* Name) : FOldCpp(std::locale()) {
        if (const char* Old = std::setlocale(LC_ALL, nullptr)) FOldC = Old;
        FActive = std::setlocale(LC_ALL, Name) != nullptr;
        if (FActive) std::locale::global(std::locale(Name));
    }
    ~TLocaleGuard() {
        std::setlocale(LC_ALL, FOldC.c_str());
        std::locale::global(FOldCpp);
    }
    bool Active() const { return FActive; }

private:
    std::string FOldC = "C";
    std::locale FOldCpp;
    bool FActive = false;
};

} // namespace

// --- Names ---------------------------------------------------------------------------------

TEST(NameComparison, FoldsNonAsciiLetters) {
    EXPECT_EQ(AnsiCompareText("Ärger", "ärger"), 0);
    EXPECT_EQ(AnsiUpperCase("straße äö"), "STRAßE ÄÖ");
}

TEST(NameComparison, FoldsGreekAndCyrillic) {
    EXPECT_EQ(AnsiUpperCase("αβγ"), "ΑΒΓ");
    EXPECT_EQ(AnsiUpperCase("ς"), "Σ");
    EXPECT_EQ(AnsiUpperCase("άέήίόύώ"), "ΆΈΉΊΌΎΏ");
    EXPECT_EQ(AnsiCompareText("Ωμέγα", "ΩΜΈΓΑ"), 0);
    EXPECT_EQ(AnsiUpperCase("привет"), "ПРИВЕТ");
    EXPECT_EQ(AnsiUpperCase("ёђ"), "ЁЂ");
    EXPECT_EQ(AnsiCompareText("Жизнь", "жИЗНЬ"), 0);
}

TEST(NameComparison, OrdersByFoldedLetters) {
    EXPECT_LT(AnsiCompareText("abc", "ABD"), 0);
    EXPECT_GT(AnsiCompareText("abd", "ABC"), 0);
    EXPECT_LT(AnsiCompareText("ab", "ABC"), 0);
    EXPECT_GT(AnsiCompareText("abc", "AB"), 0);
    EXPECT_EQ(AnsiCompareText("", ""), 0);
    EXPECT_NE(AnsiCompareText("a", "ä"), 0);
}

TEST(NameComparison, KeepsBytesThatAreNotUtf8) {
    const std::string Broken = "a\xFF\xC3";
    EXPECT_EQ(AnsiUpperCase(Broken), "A\xFF\xC3");
    EXPECT_EQ(AnsiCompareText(Broken, "A\xFF\xC3"), 0);
    EXPECT_NE(AnsiCompareText("\xC3", "\xC4"), 0);
}

TEST(NameComparison, CompareTextFoldsAsciiOnly) {
    EXPECT_EQ(CompareText("Sin(X)", "sin(x)"), 0);
    EXPECT_NE(CompareText("Ärger", "ärger"), 0);
    EXPECT_LT(CompareText("a", "B"), 0);
    EXPECT_GT(CompareText("ab", "A"), 0);
    EXPECT_TRUE(SameName("NEG", "Neg"));
}

// --- Numbers -------------------------------------------------------------------------------

TEST(ValExt, ReadsDecimalNumbers) {
    EXPECT_EQ(ValExt("0"), 0.0L);
    EXPECT_EQ(ValExt("42"), 42.0L);
    EXPECT_EQ(ValExt("2.5"), 2.5L);
    EXPECT_EQ(ValExt("-2.5"), -2.5L);
    EXPECT_EQ(ValExt("+2.5"), 2.5L);
    EXPECT_EQ(ValExt("1e3"), 1000.0L);
    EXPECT_EQ(ValExt("1.5e-2"), 0.015L);
    EXPECT_EQ(ValExt("1.5E+2"), 150.0L);
    EXPECT_EQ(ValExt("0.1"), 0.1L); // correctly rounded to extended precision
}

TEST(ValExt, ReadsAsFarAsTheTextIsANumber) {
    EXPECT_EQ(ValExt("12abc"), 12.0L);
    EXPECT_EQ(ValExt("1,5"), 1.0L);
    EXPECT_EQ(ValExt(""), 0.0L);
    EXPECT_EQ(ValExt("-"), 0.0L);
    EXPECT_EQ(ValExt("abc"), 0.0L);
}

TEST(ValExt, ReadsOnlyDecimalNumbers) {
    EXPECT_EQ(ValExt("inf"), 0.0L);
    EXPECT_EQ(ValExt("nan"), 0.0L);
    EXPECT_EQ(ValExt("-infinity"), 0.0L);
    EXPECT_EQ(ValExt("--1"), 0.0L); // one sign only
    EXPECT_EQ(ValExt("+-1"), 0.0L);
    EXPECT_EQ(ValExt("0x10"), 0.0L);
}

TEST(ValExt, OverflowGivesInfinity) {
    EXPECT_EQ(ValExt("1e99999"), Inf);
    EXPECT_EQ(ValExt("-1e99999"), -Inf);
    EXPECT_EQ(ValExt("1e4933"), Inf); // just beyond the extended range
}

TEST(ValExt, UnderflowGivesZero) {
    EXPECT_EQ(ValExt("1e-99999"), 0.0L);
    EXPECT_FALSE(std::signbit(ValExt("1e-99999")));
    EXPECT_EQ(ValExt("-1e-99999"), 0.0L);
}

TEST(ValExt, KeepsSubnormalValues) {
    const long double Tiny = ValExt("1e-4940"); // below the normal range, above the least
    EXPECT_GT(Tiny, 0.0L);
    EXPECT_LT(Tiny, std::numeric_limits<long double>::min());
    EXPECT_NEAR(static_cast<double>(Tiny / 1e-4940L), 1.0, 1e-6);
    EXPECT_EQ(ValExt("1.1e4932"), 1.1e4932L); // near the top, still finite
    EXPECT_EQ(ValExt("1.282540566677892115120955588e-4937"), std::ldexp(1.0L, -16400));
    EXPECT_EQ(ValExt("2.187119719129484761517043560e-4950"), 3 * std::ldexp(1.0L, -16444));
    EXPECT_EQ(ValExt("3.645199531882474602528405934e-4951"),
              std::numeric_limits<long double>::denorm_min());
    EXPECT_EQ(ValExt("-3.645199531882474602528405934e-4951"),
              -std::numeric_limits<long double>::denorm_min());
    EXPECT_EQ(ValExt("1e-4952"), 0.0L); // below half the least subnormal
}

TEST(ValExt, IgnoresTheProcessLocale) {
    TLocaleGuard Locale("de_DE.UTF-8");
    if (!Locale.Active()) {
        if (std::getenv("CI")) FAIL() << "CI must provide the locale de_DE.UTF-8";
        GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed here "
                        "(scripts/bootstrap.sh generates it)";
    }
    ASSERT_STREQ(std::localeconv()->decimal_point, ","); // the locale is really in force
    EXPECT_EQ(ValExt("2.5"), 2.5L);
    EXPECT_EQ(ValExt("1,5"), 1.0L);
    EXPECT_EQ(ValExt("-1.25e2"), -125.0L);
    EXPECT_EQ(ValExt("1e99999"), Inf);
}

// --- Messages ------------------------------------------------------------------------------

TEST(ShowMessage, GoesToTheInstalledHandler) {
    std::vector<std::string> Shown;
    SetMessageHandler([&](const std::string& Text) { Shown.push_back(Text); });
    ShowMessage("Identifier not defined");
    ShowMessage("");
    SetMessageHandler({});
    EXPECT_EQ(Shown, (std::vector<std::string>{"Identifier not defined", ""}));
}

TEST(ShowMessage, SetMessageHandlerReturnsThePreviousHandler) {
    std::vector<std::string> First, Second;
    SetMessageHandler([&](const std::string& Text) { First.push_back(Text); });
    TMessageHandler Previous =
        SetMessageHandler([&](const std::string& Text) { Second.push_back(Text); });
    ShowMessage("to second");
    ASSERT_TRUE(Previous);
    Previous("to first");
    SetMessageHandler({});
    EXPECT_EQ(First, (std::vector<std::string>{"to first"}));
    EXPECT_EQ(Second, (std::vector<std::string>{"to second"}));
}

TEST(ShowMessage, EmptyHandlerRestoresTheDefault) {
    std::vector<std::string> Shown;
    SetMessageHandler([&](const std::string& Text) { Shown.push_back(Text); });
    SetMessageHandler({});
    testing::internal::CaptureStderr();
    ShowMessage("Too many params");
    const std::string Written = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(Shown.empty());
    EXPECT_EQ(Written, "Too many params\n");
}

TEST(ShowMessage, DefaultHandlerWritesOneLineToStandardError) {
    testing::internal::CaptureStderr();
    ShowMessage("Ok");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Ok\n");
    TMessageHandler Default = SetMessageHandler({});
    EXPECT_TRUE(Default); // the default handler is a real one, and can be put back later
}

// --- Random numbers ------------------------------------------------------------------------

TEST(RandInt, StaysInRange) {
    RandSeed(1);
    for (const std::int32_t Range : {1, 2, 3, 10, 65000, INT32_MAX}) {
        for (int K = 0; K < 1000; ++K) {
            const std::int32_t Value = RandInt(Range);
            ASSERT_GE(Value, 0) << "range " << Range;
            ASSERT_LT(Value, Range) << "range " << Range;
        }
    }
}

TEST(RandInt, EmptyRangeGivesZero) {
    EXPECT_EQ(RandInt(0), 0);
    EXPECT_EQ(RandInt(-1), 0);
    EXPECT_EQ(RandInt(INT32_MIN), 0);
    EXPECT_EQ(RandInt(1), 0);
}

TEST(RandInt, CoversItsRange) {
    RandSeed(7);
    std::set<std::int32_t> Seen;
    for (int K = 0; K < 1000; ++K) Seen.insert(RandInt(10));
    EXPECT_EQ(Seen.size(), 10u);
}

TEST(RandInt, SeedMakesSequencesReproducible) {
    auto Draw = [] {
        std::vector<std::int32_t> Values;
        for (int K = 0; K < 100; ++K) Values.push_back(RandInt(65000));
        return Values;
    };
    RandSeed(12345);
    const auto First = Draw();
    RandSeed(12345);
    EXPECT_EQ(Draw(), First);
    RandSeed(54321);
    EXPECT_NE(Draw(), First);
}

// --- Extended reals ------------------------------------------------------------------------

TEST(IntPower, ZeroExponentGivesOne) {
    EXPECT_EQ(IntPower(0, 0), 1.0L);
    EXPECT_EQ(IntPower(5, 0), 1.0L);
    EXPECT_EQ(IntPower(-3, 0), 1.0L);
    EXPECT_EQ(IntPower(Inf, 0), 1.0L);
}

TEST(IntPower, PositiveAndNegativeExponents) {
    EXPECT_EQ(IntPower(2, 10), 1024.0L);
    EXPECT_EQ(IntPower(2, -2), 0.25L);
    EXPECT_EQ(IntPower(-2, 3), -8.0L);
    EXPECT_EQ(IntPower(-2, 4), 16.0L);
    EXPECT_EQ(IntPower(-2, -3), -0.125L);
    EXPECT_EQ(IntPower(10, 18), 1e18L);
    EXPECT_EQ(IntPower(3, 40), 12157665459056928801.0L); // exact in 64 bits
    EXPECT_EQ(IntPower(0.5L, 3), 0.125L);
}

TEST(IntPower, ZeroBaseWithNegativeExponentIsInfinite) {
    EXPECT_EQ(IntPower(0, -1), Inf);
}

TEST(IntPower, MostNegativeExponent) {
    EXPECT_EQ(IntPower(1, INT32_MIN), 1.0L);
    EXPECT_EQ(IntPower(-1, INT32_MIN), 1.0L); // 2^31 is even
    EXPECT_EQ(IntPower(2, INT32_MIN), 0.0L);  // 1 / 2^(2^31) underflows
    EXPECT_EQ(IntPower(0.5L, INT32_MIN), Inf);
    EXPECT_EQ(IntPower(-1, INT32_MAX), -1.0L);
}

TEST(ArcTan2, GivesTheAngleOfEachQuadrant) {
    EXPECT_EQ(ArcTan2(0, 1), 0.0L);
    EXPECT_EQ(ArcTan2(1, 0), Pi / 2);
    EXPECT_EQ(ArcTan2(-1, 0), -Pi / 2);
    EXPECT_EQ(ArcTan2(0, -1), Pi);
    EXPECT_NEAR(static_cast<double>(ArcTan2(1, 1)), static_cast<double>(Pi / 4), 1e-15);
    EXPECT_NEAR(static_cast<double>(ArcTan2(-1, -1)), static_cast<double>(-3 * Pi / 4), 1e-15);
}

TEST(ArcTan2, StaysInMinusPiExcludedToPi) {
    EXPECT_EQ(ArcTan2(-0.0L, -1), Pi); // the negative zero is no angle below the axis
    EXPECT_EQ(ArcTan2(-0.0L, -0.0L), 0.0L);
    for (int I = -20; I <= 20; ++I)
        for (int K = -20; K <= 20; ++K) {
            const long double Angle = ArcTan2(I * 0.25L, K * 0.25L);
            ASSERT_GT(Angle, -Pi) << I << ", " << K;
            ASSERT_LE(Angle, Pi) << I << ", " << K;
        }
}
