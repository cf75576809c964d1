// The runtime services under the evaluator: name comparison, decimal conversion, messages,
// the shared random generator and the extended-precision real routines.
#include "zoZezo/Platform.h"

#include "zoZezo/Builtins.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <locale>
#include <set>
#include <string>
#include <vector>

using namespace zoZezo;

namespace {

constexpr long double Inf = std::numeric_limits<long double>::infinity();
const long double DenormMin = std::numeric_limits<long double>::denorm_min();

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

struct TNumberCase {
    const char* Text;
    long double Expected;
};

void ExpectReads(const std::vector<TNumberCase>& Cases) {
    for (const auto& [Text, Expected] : Cases)
        EXPECT_EQ(ValExt(Text), Expected) << Text;
}

} // namespace

// --- Names ---------------------------------------------------------------------------------

TEST(NameComparison, UpperCase) {
    const std::vector<std::pair<std::string, std::string>> Cases = {
        {"straße äö", "STRAßE ÄÖ"}, // ß has no one-letter upper case
        {"αβγ ς", "ΑΒΓ Σ"},         // final sigma
        {"άέήίόύώ", "ΆΈΉΊΌΎΏ"},     {"привет ёђ", "ПРИВЕТ ЁЂ"}, {"łódź ÿ", "ŁÓDŹ Ÿ"},
        {"a\xFF\xC3", "A\xFF\xC3"}, // bytes that are not UTF-8 stay as they are
    };
    for (const auto& [Text, Upper] : Cases)
        EXPECT_EQ(AnsiUpperCase(Text), Upper) << Text;
}

TEST(NameComparison, CaseInsensitiveOrder) {
    struct TCase {
        const char* A;
        const char* B;
        int Sign;
    };
    const std::vector<TCase> Cases = {
        {"Ärger", "ärger", 0}, {"Ωμέγα", "ΩΜΈΓΑ", 0}, {"Жизнь", "жИЗНЬ", 0}, {"NEG", "Neg", 0},
        {"", "", 0},           {"abc", "ABD", -1},    {"abd", "ABC", 1},     {"ab", "ABC", -1},
        {"abc", "AB", 1},      {"a", "ä", -1},        {"\xC3", "\xC4", -1},  {"a\xFF", "A\xFF", 0},
    };
    for (const auto& [A, B, Sign] : Cases) {
        const int Result = AnsiCompareText(A, B);
        EXPECT_EQ((Result > 0) - (Result < 0), Sign) << A << " vs " << B;
    }
}

TEST(NameComparison, CompareTextFoldsAsciiOnly) {
    EXPECT_EQ(CompareText("Sin(X)", "sin(x)"), 0);
    EXPECT_NE(CompareText("Ärger", "ärger"), 0);
    EXPECT_LT(CompareText("a", "B"), 0);
    EXPECT_GT(CompareText("ab", "A"), 0);
}

// --- Numbers -------------------------------------------------------------------------------

TEST(ValExt, ReadsDecimalNumbers) {
    ExpectReads({{"0", 0},
                 {"42", 42},
                 {"2.5", 2.5L},
                 {"-2.5", -2.5L},
                 {"+2.5", 2.5L},
                 {"1e3", 1000},
                 {"1.5e-2", 0.015L},
                 {"1.5E+2", 150},
                 {"0.1", 0.1L}});
}

TEST(ValExt, ReadsAsFarAsTheTextIsANumber) {
    ExpectReads({{"12abc", 12},
                 {"1,5", 1},
                 {"", 0},
                 {"-", 0},
                 {"abc", 0},
                 {"0x10", 0},
                 // only decimal digits, and one sign
                 {"inf", 0},
                 {"nan", 0},
                 {"-infinity", 0},
                 {"--1", 0},
                 {"+-1", 0}});
}

// Short literals take a quicker road than the full conversion; both must give the same bits.
TEST(ValExt, ShortLiteralsReadAsTheFullConversionDoes) {
    std::vector<std::string> Texts = {"0.1",
                                      "0.30000000000000000004",
                                      "9999999999999999999",
                                      "99999999999999999999",
                                      "123456789.0123456789",
                                      "7.",
                                      ".5",
                                      "0000000000000000000.1",
                                      "1.7976931348623157"};
    std::uint64_t State = 12345;
    for (int K = 0; K < 20000; ++K) { // digits and a point in varied places
        std::string Text;
        const int Length = 1 + static_cast<int>((State >> 40) % 20), Point = (State >> 20) % 22;
        for (int D = 0; D < Length; ++D) {
            if (D == Point) Text += '.';
            State = State * 6364136223846793005u + 1442695040888963407u;
            Text += static_cast<char>('0' + (State >> 33) % 10);
        }
        Texts.push_back(Text);
    }
    for (const std::string& Text : Texts) {
        long double Full = 0;
        std::from_chars(Text.data(), Text.data() + Text.size(), Full);
        EXPECT_EQ(ValExt(Text), Full) << Text;
        EXPECT_EQ(ValExt("-" + Text), -Full) << Text;
    }
}

TEST(ValExt, OutOfRange) {
    ExpectReads({{"1e99999", Inf},
                 {"-1e99999", -Inf},
                 {"1e4933", Inf},
                 {"1.1e4932", 1.1e4932L}, // the top of the range is still finite
                 {"1e-99999", 0},
                 {"-1e-99999", 0},
                 {"1e-4952", 0}});
    EXPECT_FALSE(std::signbit(ValExt("1e-99999")));
}

TEST(ValExt, KeepsSubnormalValues) {
    ExpectReads({{"1.282540566677892115120955588e-4937", std::ldexp(1.0L, -16400)},
                 {"2.187119719129484761517043560e-4950", 3 * std::ldexp(1.0L, -16444)},
                 {"3.645199531882474602528405934e-4951", DenormMin},
                 {"-3.645199531882474602528405934e-4951", -DenormMin}});
}

TEST(ValExt, IgnoresTheProcessLocale) {
    TLocaleGuard Locale("de_DE.UTF-8");
    if (!Locale.Active()) {
        if (std::getenv("CI")) FAIL() << "CI must provide the locale de_DE.UTF-8";
        GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed here "
                        "(scripts/bootstrap.sh generates it)";
    }
    ASSERT_STREQ(std::localeconv()->decimal_point, ","); // the locale is really in force
    ExpectReads({{"2.5", 2.5L}, {"1,5", 1}, {"-1.25e2", -125}, {"1e99999", Inf}});
}

// --- Messages ------------------------------------------------------------------------------

TEST(ShowMessage, GoesToTheInstalledHandler) {
    std::vector<std::string> First, Second;
    SetMessageHandler([&](const std::string& Text) { First.push_back(Text); });
    ShowMessage("Identifier not defined");
    const TMessageHandler Previous =
        SetMessageHandler([&](const std::string& Text) { Second.push_back(Text); });
    ShowMessage("");
    ASSERT_TRUE(Previous);
    Previous("through the previous handler");
    SetMessageHandler({});
    EXPECT_EQ(First,
              (std::vector<std::string>{"Identifier not defined", "through the previous handler"}));
    EXPECT_EQ(Second, (std::vector<std::string>{""}));
}

TEST(ShowMessage, EmptyHandlerRestoresTheDefault) {
    std::vector<std::string> Shown;
    SetMessageHandler([&](const std::string& Text) { Shown.push_back(Text); });
    SetMessageHandler({});
    testing::internal::CaptureStderr();
    ShowMessage("Too many params");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Too many params\n");
    EXPECT_TRUE(Shown.empty());
    EXPECT_TRUE(SetMessageHandler({})); // the default is a real handler that can be put back
}

// --- Random numbers ------------------------------------------------------------------------

TEST(RandInt, StaysInRange) {
    RandSeed(1);
    for (const std::int32_t Range : {1, 2, 3, 10, 65000, INT32_MAX})
        for (int K = 0; K < 1000; ++K) {
            const std::int32_t Value = RandInt(Range);
            ASSERT_TRUE(Value >= 0 && Value < Range) << Value << " for range " << Range;
        }
    for (const std::int32_t Empty : {0, -1, INT32_MIN})
        EXPECT_EQ(RandInt(Empty), 0) << Empty;
}

TEST(RandInt, CoversItsRange) {
    RandSeed(7);
    std::set<std::int32_t> Seen;
    for (int K = 0; K < 1000; ++K)
        Seen.insert(RandInt(10));
    EXPECT_EQ(Seen.size(), 10u);
}

TEST(RandInt, SeedMakesSequencesReproducible) {
    auto Draw = [] {
        std::vector<std::int32_t> Values;
        for (int K = 0; K < 100; ++K)
            Values.push_back(RandInt(65000));
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

TEST(IntPower, Table) {
    struct TCase {
        long double Base;
        std::int32_t Exponent;
        long double Expected;
    };
    const std::vector<TCase> Cases = {
        {0, 0, 1},           {5, 0, 1},
        {Inf, 0, 1},         {2, 10, 1024},
        {2, -2, 0.25L},      {-2, 3, -8},
        {-2, 4, 16},         {-2, -3, -0.125L},
        {10, 18, 1e18L},     {3, 40, 12157665459056928801.0L}, // exact in 64 bits
        {0, -1, Inf},        {1, INT32_MIN, 1},
        {-1, INT32_MIN, 1}, // 2^31 is even
        {2, INT32_MIN, 0},   {0.5L, INT32_MIN, Inf},
        {-1, INT32_MAX, -1},
    };
    for (const auto& [Base, Exponent, Expected] : Cases)
        EXPECT_EQ(IntPower(Base, Exponent), Expected) << Base << " ^ " << Exponent;
}

TEST(ArcTan2, Table) {
    struct TCase {
        long double Y, X, Expected;
    };
    const std::vector<TCase> Cases = {
        {0, 1, 0},         {1, 0, Pi / 2},  {-1, 0, -Pi / 2},
        {0, -1, Pi},       {-0.0L, -1, Pi}, // a negative zero is no angle below the axis
        {-0.0L, -0.0L, 0}, {0, 0, 0},
    };
    for (const auto& [Y, X, Expected] : Cases)
        EXPECT_EQ(ArcTan2(Y, X), Expected) << "(" << X << ", " << Y << ")";
    EXPECT_NEAR(static_cast<double>(ArcTan2(-1, -1)), static_cast<double>(-3 * Pi / 4), 1e-15);
}

TEST(ArcTan2, StaysInMinusPiExcludedToPi) {
    for (int I = -20; I <= 20; ++I)
        for (int K = -20; K <= 20; ++K) {
            const long double Angle = ArcTan2(I * 0.25L, K * 0.25L);
            ASSERT_TRUE(Angle > -Pi && Angle <= Pi) << Angle << " for (" << K << ", " << I << ")";
        }
}
