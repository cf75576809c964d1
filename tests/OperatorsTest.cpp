#include "BuiltinsTestSupport.h"
#include "zoZezo/Evaluator.h"

#include <iterator>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

using namespace zoZezo;

namespace {

constexpr TComplex J{0, 1};
constexpr long double Inf = std::numeric_limits<long double>::infinity();

struct TOperatorCase {
    const char* Label;
    TOperatorCallback Op;
    TComplex A, B, Want;
};

void ExpectExact(std::span<const TOperatorCase> Cases) {
    for (const TOperatorCase& C : Cases) {
        SCOPED_TRACE(C.Label);
        EXPECT_EQ(C.Op(C.A, C.B), C.Want);
    }
}

const TOperatorCase ExactArithmetic[] = {
    {"(1+2j)*(3+4j)", OpMultiply, {1, 2}, {3, 4}, {-5, 10}},
    {"j*j", OpMultiply, J, J, {-1, 0}},
    {"(1+2j)+(3+4j)", OpAdd, {1, 2}, {3, 4}, {4, 6}},
    {"(1+2j)-(3+4j)", OpSubtract, {1, 2}, {3, 4}, {-2, -2}},
    {"6/3", OpDivide, {6}, {3}, {2}},
    {"(0+5j)/(0+1j)", OpDivide, {0, 5}, J, {5, 0}},
};

const TOperatorCase ExactPowers[] = {
    {"2^10", OpPower, {2}, {10}, {1024}},
    {"(-2)^3", OpPower, {-2}, {3}, {-8}},
    {"0^0", OpPower, {0}, {0}, {1}},
    {"2^-2", OpPower, {2}, {-2}, {0.25L}},
    {"4^0.5", OpPower, {4}, {0.5L}, {2}},
    {"9^1.5", OpPower, {9}, {1.5L}, {27}},
    // Whole exponents beyond 32 bits keep their value instead of wrapping.
    {"2^(2^32)", OpPower, {2}, {0x1p32L}, {Inf}},
    {"(-1)^(2^32+1)", OpPower, {-1}, {0x1p32L + 1}, {-1}},
    {"0.5^(2^40)", OpPower, {0.5L}, {0x1p40L}, {0}},
    {"1^(1e30)", OpPower, {1}, {1e30L}, {1}},
};

const TOperatorCase Remainders[] = {
    {"7\\3", OpRemainder, {7}, {3}, {1}},
    {"-7\\3", OpRemainder, {-7}, {3}, {-1}},
    {"7\\-3", OpRemainder, {7}, {-3}, {1}},
    {"7.5\\2", OpRemainder, {7.5L}, {2}, {1.5L}},
    {"5\\0", OpRemainder, {5}, {0}, {0}},
    // Quotients beyond the 64-bit integers: the exact remainder, with the sign of the left.
    {"2^70\\3", OpRemainder, {0x1p70L}, {3}, {1}},
    {"-2^70\\3", OpRemainder, {-0x1p70L}, {3}, {-1}},
};

const TOperatorCase Comparisons[] = {
    {"3>2", OpGreater, {3}, {2}, {1}},
    {"2>3", OpGreater, {2}, {3}, {0}},
    {"2<3", OpLess, {2}, {3}, {1}},
    {"2>=2", OpGreaterEqual, {2}, {2}, {1}},
    {"2<=1", OpLessEqual, {2}, {1}, {0}},
    {"2<>2", OpNotEqual, {2}, {2}, {0}},
    {"(1+2j)<>(1+3j)", OpNotEqual, {1, 2}, {1, 3}, {1}},
    {"(1+2j)=(1+2j)", OpEqual, {1, 2}, {1, 2}, {1}},
    {"(1+2j)=(1+3j)", OpEqual, {1, 2}, {1, 3}, {0}},
    {"1=1+2^-63", OpEqual, {1}, {1 + 0x1p-63L}, {0}},
};

const TOperatorCase Logic[] = {
    {"2 and -3", OpAnd, {2}, {-3}, {1}},  {"2 and 0", OpAnd, {2}, {0}, {0}},
    {"0 or 0.5", OpOr, {0}, {0.5L}, {1}}, {"0 or 0", OpOr, {0}, {0}, {0}},
    {"1 xor 1", OpXor, {1}, {1}, {0}},    {"1 xor 0", OpXor, {1}, {0}, {1}},
    {"0 xor 0", OpXor, {0}, {0}, {0}},
};

TEST(Operators, ArithmeticIsExact) {
    ExpectExact(ExactArithmetic);
}
TEST(Operators, IntegerAndRealPowersAreExact) {
    ExpectExact(ExactPowers);
}
TEST(Operators, RemainderTakesTheSignOfTheLeftOperand) {
    ExpectExact(Remainders);
}
TEST(Operators, ComparisonsAreExact) {
    ExpectExact(Comparisons);
}
TEST(Operators, LogicTestsRealPartsAgainstZero) {
    ExpectExact(Logic);
}

TEST(Operators, ComplexResultsAreNearTheirValues) {
    const TOperatorCase Cases[] = {
        {"(1+2j)/(3+4j)", OpDivide, {1, 2}, {3, 4}, {0.44L, 0.08L}},
        {"(-8)^(1/3)", OpPower, {-8}, {1.0L / 3}, {1, std::sqrt(3.0L)}},
        {"2^0.5", OpPower, {2}, {0.5L}, {std::sqrt(2.0L)}},
        {"(3+4j)^2", OpPower, {3, 4}, {2}, {-7, 24}},
    };
    for (const TOperatorCase& C : Cases) {
        SCOPED_TRACE(C.Label);
        EXPECT_TRUE(Near(C.Op(C.A, C.B), C.Want));
    }
}

TEST(Operators, ImaginaryBaseGoesThroughTheComplexPower) {
    const TComplex Squared = OpPower(J, {2});
    EXPECT_TRUE(Near(Squared, {-1, 0}));
    EXPECT_NE(Squared.Im, 0);
    EXPECT_LT(std::fabs(Squared.Im), 1e-18L);
}

TEST(Operators, FaultsAreCarriedAsNonFiniteValues) {
    const TComplex ZeroRoot = OpPower({0}, {0.5L});
    EXPECT_FALSE(std::isfinite(ZeroRoot.Re) && std::isfinite(ZeroRoot.Im));
    EXPECT_EQ(OpPower({0}, {-1}).Re, Inf);
    const TComplex Quotient = OpDivide({1}, {0});
    EXPECT_TRUE(std::isnan(Quotient.Re) && std::isnan(Quotient.Im));
    EXPECT_TRUE(std::isnan(OpRemainder({Inf}, {3}).Re));
}

TEST(Operators, RealOnlyOperatorsRefuseComplexOperands) {
    for (TOperatorCallback Op :
         {OpRemainder, OpGreater, OpLess, OpGreaterEqual, OpLessEqual, OpAnd, OpOr, OpXor}) {
        ExpectNotReal([&] { Op({1, 2}, {0}); });
        ExpectNotReal([&] { Op({1}, J); });
    }
    EXPECT_NO_THROW(OpEqual({1, 2}, J));
    EXPECT_NO_THROW(OpNotEqual({1, 2}, J));
}

// --- Start ----------------------------------------------------------------------------------

// Registration order: compiled code refers to entries by these positions.
constexpr const char* FunctionNames =
    "Neg Not Exp Sin Cos Tan If Abs Sqrt U Rect Sinc Ln Imp "
    "Round Int Odd Rand Cosh Sinh Tanh Re Im Diode Asin ACos ATan";
const TFunctionCallback FunctionCallbacks[] = {
    FnNeg,  FnNot,  FnExp,  FnSin, FnCos, FnTan,   FnIf,   FnAbs,  FnSqrt,
    FnU,    FnRect, FnSinc, FnLn,  FnImp, FnRound, FnInt,  FnOdd,  FnRand,
    FnCosh, FnSinh, FnTanh, FnRe,  FnIm,  FnDiode, FnAsin, FnACos, FnATan};
constexpr const char* OperatorSymbols = "^ * / \\ + - > < >= <= <> = and or xor";
const int OperatorPriorities[] = {0, 1, 1, 1, 2, 2, 3, 3, 3, 3, 3, 3, 4, 4, 4};
const TOperatorCallback OperatorCallbacks[] = {
    OpPower,        OpMultiply,  OpDivide,   OpRemainder, OpAdd, OpSubtract, OpGreater, OpLess,
    OpGreaterEqual, OpLessEqual, OpNotEqual, OpEqual,     OpAnd, OpOr,       OpXor};

std::vector<std::string> Words(const char* Text) {
    std::istringstream In(Text);
    return {std::istream_iterator<std::string>(In), std::istream_iterator<std::string>()};
}

std::string Lower(std::string S) {
    for (char& C : S)
        C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
    return S;
}

// Table holds exactly the entries named in Names, in order, with these callbacks, each found
// by its name in lower case.
template <class Table, class Callback>
void ExpectEntries(const Table& T, const char* Names, std::span<const Callback> Callbacks) {
    const std::vector<std::string> Want = Words(Names);
    ASSERT_EQ(T.Count(), static_cast<int>(Want.size()));
    for (int I = 0; I < T.Count(); ++I) {
        EXPECT_EQ(T.Get(I)->Name, Want[I]);
        EXPECT_EQ(T.Get(I)->Callback, Callbacks[I]) << Want[I];
        EXPECT_EQ(T.IndexOf(Lower(Want[I])), I);
    }
}

void ExpectBuiltinsOnly(const TzoZezoEvaluator& E) {
    ExpectEntries<TFunctions, TFunctionCallback>(E.Functions(), FunctionNames, FunctionCallbacks);
    for (const TFunction* F : E.Functions().Items())
        EXPECT_EQ(F->ParamCount, F->Name == "If" ? 3 : 1) << F->Name;
    ExpectEntries<TOperators, TOperatorCallback>(E.Operators(), OperatorSymbols, OperatorCallbacks);
    for (int I = 0; I < E.Operators().Count(); ++I)
        EXPECT_EQ(E.Operators().GetOperator(I)->Priority, OperatorPriorities[I]);
    ASSERT_EQ(E.Constants().Count(), 2);
    EXPECT_EQ(E.Constants().GetConstant(0)->Name, "e");
    EXPECT_EQ(E.Constants().GetConstant(1)->Name, "pi");
    EXPECT_EQ(E.Variables().Count(), 0);
    EXPECT_EQ(E.Equations().Count(), 0);
}

long double Cell = 0;
TComplex HostFunction(std::span<const TComplex>) {
    return {};
}

void AddHostEntries(TzoZezoEvaluator& E) {
    E.Constants().Add("c", 1.0L, 2.0L);
    E.Variables().Add("x", &Cell, &Cell);
    E.Functions().Add("f", 0, HostFunction);
    E.Operators().Add("%", 1, OpRemainder);
    E.Equations().Add("y: 2*x");
}

TEST(Start, NewEvaluatorHoldsTheBuiltinsInOrder) {
    const TzoZezoEvaluator E;
    ExpectBuiltinsOnly(E);
    EXPECT_EQ(E.Operators().IndexOf("^"), 0);
    EXPECT_EQ(E.Operators().IndexOf("XOR"), 14);
}

TEST(Start, ConstantsAreExactExtendedValues) {
    const TzoZezoEvaluator E;
    const TConstant& EConst = *E.Constants().GetConstant(0);
    const TConstant& PiConst = *E.Constants().GetConstant(1);
    EXPECT_EQ(EConst.Re, Call(FnExp, {1}).Re);
    EXPECT_EQ(EConst.Im, 0);
    EXPECT_EQ(BitsOf(PiConst.Re).Significand, 0xC90FDAA22168C235u);
    EXPECT_EQ(BitsOf(PiConst.Re).Exponent, 0x4000u);
    EXPECT_EQ(PiConst.Im, 0);
}

TEST(Start, AgainAfterHostAdditionsRestoresTheNewState) {
    TzoZezoEvaluator E;
    AddHostEntries(E);
    E.Start();
    ExpectBuiltinsOnly(E);
}

// The sanitizer build reports any entry that Start leaves allocated.
TEST(Start, FreesEveryHostEntry) {
    TzoZezoEvaluator E;
    for (int Pass = 0; Pass < 3; ++Pass) {
        AddHostEntries(E);
        E.Start();
    }
    EXPECT_EQ(E.Functions().Count() + E.Operators().Count() + E.Constants().Count(), 44);
}

} // namespace
