// Native code must give the interpreter's bits (signed zeros and NaN payloads included) and
// raise its errors, and must give way to the interpreter as soon as a table entry it was
// translated against changes. Every case runs one evaluator that interprets and one that
// translates at the first computation, and compares them. The expectations about whether code
// was translated skip where this build translates nothing.

#include "zoZezo/zoZezo.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <pthread.h>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

using namespace zoZezo;

namespace {

constexpr long double Inf = std::numeric_limits<long double>::infinity();
constexpr long double NaN = std::numeric_limits<long double>::quiet_NaN();

// A quiet NaN with a payload, which an operation that passes its operand on must keep.
long double PayloadNaN() {
    long double Value = NaN;
    const std::uint64_t Significand = 0xC000'0000'0000'0123;
    std::memcpy(&Value, &Significand, sizeof Significand);
    return Value;
}

// An extended real from its sign and exponent and its significand, the integer bit included:
// also the encodings no arithmetic makes.
long double Extended(std::uint16_t SignExponent, std::uint64_t Significand) {
    long double Value = 0;
    std::memcpy(&Value, &Significand, sizeof Significand);
    std::memcpy(reinterpret_cast<char*>(&Value) + sizeof Significand, &SignExponent,
                sizeof SignExponent);
    return Value;
}

std::string Bits(long double Value) {
    unsigned char Bytes[10];
    std::memcpy(Bytes, &Value, sizeof Bytes);
    std::string Text;
    for (int K = 9; K >= 0; --K) {
        constexpr const char* Digits = "0123456789ABCDEF";
        Text += Digits[Bytes[K] >> 4];
        Text += Digits[Bytes[K] & 15];
        if (K == 8) Text += ':';
    }
    return Text;
}

// What a computation gave: its value, or the type and message of what it threw.
struct TOutcome {
    TComplex Value;
    std::string Type;
    std::string Error;

    std::string Show() const {
        if (!Type.empty()) return Type + " \"" + Error + "\"";
        return "(" + Bits(Value.Re) + ", " + Bits(Value.Im) + ")";
    }
    // Both parts bit for bit, the ten bytes of each extended real; or the same exception.
    friend bool operator==(const TOutcome& A, const TOutcome& B) {
        return A.Type == B.Type && A.Error == B.Error &&
               std::memcmp(&A.Value.Re, &B.Value.Re, 10) == 0 &&
               std::memcmp(&A.Value.Im, &B.Value.Im, 10) == 0;
    }
};

void PrintTo(const TOutcome& Outcome, std::ostream* Out) {
    *Out << Outcome.Show();
}

template <class Action>
TOutcome Outcome(Action Run) {
    try {
        return {Run(), {}, {}};
    } catch (const std::exception& Error) {
        return {{}, typeid(Error).name(), Error.what()};
    }
}

// What host code throws that is not the evaluator's.
struct THostError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// An evaluator in one mode, with x bound to a real-only cell, y and w to complex cells (y's
// holding a real value at first) and z to no cells.
struct TBench {
    explicit TBench(TNativeMode Mode) {
        Evaluator.SetNativeMode(Mode);
        Evaluator.Variables().Add("x", &X.Re);
        Evaluator.Variables().Add("y", &Y.Re, &Y.Im);
        Evaluator.Variables().Add("z", nullptr, nullptr);
        Evaluator.Variables().Add("w", &W.Re, &W.Im);
    }

    // Adds each line as an equation and compiles it; returns the last.
    TEquation& Add(const std::string& Lines) {
        TEquation* Last = nullptr;
        std::size_t Start = 0;
        while (Start <= Lines.size()) {
            const std::size_t End = std::min(Lines.find('\n', Start), Lines.size());
            Last = Evaluator.Equations().Add(Lines.substr(Start, End - Start));
            EXPECT_TRUE(Last->Check()) << Last->EquationStr() << ": " << Last->ErrorMsg();
            Start = End + 1;
        }
        return *Last;
    }

    TOutcome Run(TEquation& Equation, std::vector<TComplex> Args = {}) {
        return Outcome([&] { return Equation.ComputeArgsC(Args); });
    }
    // The real part alone, for which native code computes nothing of the imaginary part.
    TOutcome RunRe(TEquation& Equation) {
        return Outcome([&] { return TComplex{Equation.Compute(), 0}; });
    }

    TzoZezoEvaluator Evaluator;
    TComplex X{0.75L, 0}, Y{-1.5L, 0}, W{2, -0.5L};
};

// Runs a scenario on an interpreting and on a translating evaluator; the outcomes it
// collects must agree one by one, and so must the messages shown meanwhile.
using TScenario = std::function<void(TBench&, std::vector<TOutcome>&)>;

std::string ShownWhile(const std::function<void()>& Run) {
    std::string Shown;
    const TMessageHandler Previous =
        SetMessageHandler([&](const std::string& Text) { Shown += Text + "|"; });
    Run();
    SetMessageHandler(Previous);
    return Shown;
}

void ExpectSameInBothModes(const TScenario& Scenario) {
    std::vector<TOutcome> Interpreted, Translated;
    TBench Off(TNativeMode::Off), Always(TNativeMode::Always);
    const std::string OffShown = ShownWhile([&] { Scenario(Off, Interpreted); });
    const std::string AlwaysShown = ShownWhile([&] { Scenario(Always, Translated); });
    EXPECT_EQ(AlwaysShown, OffShown);
    ASSERT_EQ(Interpreted.size(), Translated.size());
    for (std::size_t K = 0; K < Interpreted.size(); ++K)
        EXPECT_EQ(Translated[K], Interpreted[K]) << "outcome " << K;
}

// Whether the equation holds native code, expected only where this build can translate.
void ExpectTranslated(const TEquation& Equation, bool Expected) {
    if (!TzoZezoEvaluator::NativeCodeAvailable()) return;
    EXPECT_EQ(Equation.HasNativeCode(), Expected) << Equation.EquationStr();
}

// The equations native code is made for: the arithmetic benchmarks and the equation call.
const std::vector<std::string> Benchmarks = {
    "r: (x+1)*(x-1)/(x*x+1)",
    "r: 1+x+x^2+x^3+x^4+x^5+x^6+x^7+x^8+x^9+x^10",
    "r: x>0.5 and y<2",
    "r: pi*x+e*y-2.5",
    "f(a;b): a*b+1\nr: 2*f(x;3)-pi",
    "r: Sqrt(x*x+y*y)",
};

struct TInputs {
    TComplex X, Y, W;
};

// Values that arithmetic turns into others, where copying them keeps them: a signalling NaN,
// a pseudo-denormal, an unnormal, a pseudo-infinity.
const long double Signalling = Extended(0x7FFF, 0x8000'0000'0000'0001),
                  PseudoDenormal = Extended(0x0000, 0x8000'0000'0000'0001),
                  Unnormal = Extended(0x3FFF, 0x4000'0000'0000'0000),
                  PseudoInfinity = Extended(0x7FFF, 0);

// Cells that reach the edges: signed zeros, infinities, NaNs, denormals, the ends of the
// range, complex values where comparisons refuse them, encodings arithmetic does not keep.
const std::vector<TInputs> Inputs = {
    {{0.75L, 0}, {-1.5L, 0}, {2, 0}},
    {{0.75L, 0}, {-1.5L, 0.25L}, {2, -0.5L}},
    {{-0.0L, 0}, {0.0L, -0.0L}, {-0.0L, 0.0L}},
    {{Inf, 0}, {-Inf, 0}, {NaN, 0}},
    {{PayloadNaN(), 0}, {1, PayloadNaN()}, {0, Inf}},
    {{1e-4940L, 0}, {std::numeric_limits<long double>::min(), 0}, {1e-4000L, 1e-4940L}},
    {{1e4000L, 0}, {-std::numeric_limits<long double>::max(), 0}, {1e300L, -1e300L}},
    {{-2, 0}, {0.5L, 0}, {-1.5L, 3}},
    {{Signalling, 0}, {1, Signalling}, {Signalling, Signalling}},
    {{PseudoDenormal, 0}, {2, PseudoDenormal}, {PseudoDenormal, PseudoDenormal}},
    {{Unnormal, 0}, {-1, Unnormal}, {Unnormal, Unnormal}},
    {{PseudoInfinity, 0}, {0, PseudoInfinity}, {PseudoInfinity, PseudoInfinity}},
};

} // namespace

TEST(NativeCode, GivesTheInterpretersBits) {
    std::vector<std::string> Equations = Benchmarks;
    Equations.insert(Equations.end(),
                     {
                         "r: x^0+y^0+w^0",
                         "r: x^16-y^16*w^16",
                         "r: x^-2+y^-2",
                         "r: x^0.5+y^-1.5+w^2.5+2^x",
                         "r: (x<y)+(x<=w)+(x>=y)+(y>w)",
                         "r: (x=y)+(x<>w)+(w=w)",
                         "r: x and y or w xor x",
                         "r: x/0+y/z+1/(x-x)",
                         "r: 0*x*w+z*y-(w-w)*x",
                         "r: -x*0+(-0)*y-z",
                         "r: Neg(x)*0-z",
                         "r: x*y*w/y+3j*w-(2+1j)^2",
                         "r: Sin(x)+Cos(y)*Exp(w)-Tan(x)/ATan(y)",
                         "r: 7\\x+y\\2",
                         "r: If(x>y;w;z)+Abs(w)+Ln(y)",
                         // parts known while translating: the literals, z's missing cells
                         "r: x+0+(0+y)-0*w+w*1-1*y+x/1-(0-x)",
                         "r: x*0+0*y+w*0+(z+z)-z*w",
                         "r: 2j*x+(1+0j)*w-0j*w+z*1j",
                         "r: z/x+x^1+x^-1+(-x)^2+x^0*w+z^2",
                         "r: Sqrt(z)+Sqrt(-x)+Exp(z)*Sin(z)",
                         // a part known to be zero taken from another: the interpreter too
                         // computes what native code computes
                         "r: w-2",
                         "r: w-3j",
                         "r: w-Sin(0.5)",
                         "r: w-x^2",
                         "r: y-Sqrt(2)",
                         // complex bases and roots of negative or complex values, through the
                         // interpreter's helpers out of line, with many values pending
                         "r: w^3+y^2*w^0-Sqrt(y)*Sqrt(w)+(1+2j)*x^3-Sqrt(-x)",
                         "r: x+(y+(w+(x+(y+(w+(x+Sqrt(w-y)*(y+1j)^2))))))",
                         "r: x^y+w^0.5-(-2)^x+x^-1+Sqrt(x+Sqrt(y-Sqrt(w)))",
                         // parts passed on as they stand, and the modulus from the squares
                         "r: Re(w)-Im(w)*Abs(w)+Abs(x-z)+Im(3)",
                         "r: Re(x)-0",
                         "r: Im(w)*1",
                         // and each alone, where no other term hides a sign or a payload
                         "r: x+0",
                         "r: 0+x",
                         "r: x-0",
                         "r: 0-x",
                         "r: x*1",
                         "r: 1*x",
                         "r: x*0",
                         "r: 0*w",
                         "r: w*1",
                         "r: x/1",
                         "r: z*w",
                         "r: w*z",
                         "r: z+w",
                         "r: w-z",
                         "r: z-w",
                         "r: 1j*w",
                         "r: w*0j",
                         "r: x^1",
                         "r: w^1",
                         "r: w^0",
                         "r: -w",
                         "r: -z",
                     });
    for (const std::string& Text : Equations)
        for (const TInputs& In : Inputs)
            for (const bool RealFirst : {false, true})
                ExpectSameInBothModes([&](TBench& B, std::vector<TOutcome>& Out) {
                    B.X = In.X;
                    B.Y = In.Y;
                    B.W = In.W;
                    TEquation& Equation = B.Add(Text);
                    if (RealFirst) { // translated for the real part, then again for both
                        Out.push_back(B.RunRe(Equation));
                        Out.push_back(B.RunRe(Equation));
                    }
                    Out.push_back(B.Run(Equation)); // translated here
                    Out.push_back(RealFirst ? B.RunRe(Equation) : B.Run(Equation)); // reused
                });
}

TEST(NativeCode, BindsArgumentsLikeTheInterpreter) {
    const std::vector<std::vector<TComplex>> Arguments = {
        {},
        {{2, 0}},
        {{2, 0}, {-0.0L, 0}},
        {{1, -1}, {PayloadNaN(), 0}},
        {{2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}},
    };
    for (const std::vector<TComplex>& Args : Arguments)
        ExpectSameInBothModes([&](TBench& B, std::vector<TOutcome>& Out) {
            TEquation& F = B.Add("f(a;b): a*b+1");
            Out.push_back(B.Run(F, Args));
            Out.push_back(B.Run(F, Args));
            Out.push_back(Outcome([&] { return TComplex{F.Compute(), 0}; }));
        });
}

// Host code may read the parameters, which hold the latest arguments of their equation.
TEST(NativeCode, LeavesTheInterpretersParameterValues) {
    // The interpreter goes left to right, also past operands that call Sin, and stops at the
    // comparison of a complex w before f(5;6) runs.
    for (const char* Caller : {"r: 2*f(x;3)-pi", "r: f(f(x;-0);f(w;y))", "r: f(1;2)+f(w;x)*0",
                               "r: f(1;2)+Sin(f(3;4))", "r: (y>w)+Sin(f(5;6))"})
        ExpectSameInBothModes([&](TBench& B, std::vector<TOutcome>& Out) {
            B.Add("f(a;b): a*b+1");
            TEquation& R = B.Add(Caller);
            Out.push_back(B.Run(R));
            for (const TConstant* P :
                 B.Evaluator.Equations().GetEquation(0)->LocalConstants().Items())
                Out.push_back({{P->Re, P->Im}, {}, {}});
        });
}

// Runs Work on a thread whose stack is Bytes large, as hosts give their worker threads.
void OnSmallStack(std::size_t Bytes, const std::function<void()>& Work) {
    pthread_attr_t Attributes;
    pthread_attr_init(&Attributes);
    ASSERT_EQ(pthread_attr_setstacksize(&Attributes, Bytes), 0);
    pthread_t Thread;
    auto Run = [](void* Argument) -> void* {
        (*static_cast<const std::function<void()>*>(Argument))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&Thread, &Attributes, Run, const_cast<std::function<void()>*>(&Work)),
              0);
    pthread_join(Thread, nullptr);
    pthread_attr_destroy(&Attributes);
}

// However long the equation, translating it must fit the stack of such a thread, 64 KiB (more
// under AddressSanitizer, whose red zones make the engine's frame alone some 230 KiB).
TEST(NativeCode, TranslatesOnASmallThreadStack) {
#ifdef __SANITIZE_ADDRESS__
    constexpr std::size_t Stack = 16 * 64 * 1024;
#else
    constexpr std::size_t Stack = 64 * 1024;
#endif
    std::string Sum = "r: x", Product = "r: x";
    for (int K = 0; K < 2000; ++K) {
        Sum += "+x*" + std::to_string(K % 7);
        Product += "*w";
    }
    for (const std::string& Text : {Sum, Product})
        OnSmallStack(Stack, [&] {
            ExpectSameInBothModes([&](TBench& B, std::vector<TOutcome>& Out) {
                TEquation& R = B.Add(Text);
                Out.push_back(B.Run(R));
                Out.push_back(B.Run(R));
            });
        });
}

#if defined(__x86_64__) || defined(__i386__)

// The x87 control word: rounding in bits 10-11, precision in bits 8-9.
std::uint16_t ControlWord() {
    std::uint16_t Word;
    asm volatile("fnstcw %0" : "=m"(Word));
    return Word;
}

void SetControlWord(std::uint16_t Word) {
    asm volatile("fldcw %0" : : "m"(Word));
}

// Sets the control word's rounding or precision while it lives.
class TControlWordScope {
public:
    TControlWordScope(std::uint16_t Mask, std::uint16_t Bits) : FSaved(ControlWord()) {
        SetControlWord(static_cast<std::uint16_t>((FSaved & ~Mask) | Bits));
    }
    ~TControlWordScope() { SetControlWord(FSaved); }
    TControlWordScope(const TControlWordScope&) = delete;
    TControlWordScope& operator=(const TControlWordScope&) = delete;

private:
    std::uint16_t FSaved;
};

// Native code computes as the interpreter does under the control word in force at each
// computation: translated under one rounding or precision and run under another, and
// translated under the other.
struct TMode {
    const char* Name;
    std::uint16_t Mask, Bits;
};
const std::vector<TMode> Modes = {
    {"round down", 0x0C00, 0x0400},        {"round up", 0x0C00, 0x0800},
    {"round toward zero", 0x0C00, 0x0C00}, {"53-bit precision", 0x0300, 0x0200},
    {"24-bit precision", 0x0300, 0x0000},
};

TEST(NativeCode, FollowsTheControlWordInForce) {
    const std::vector<std::string> Equations = {
        "r: x+0.1*3", "r: 0.1*3", "r: x*y-0", "r: w-2", "r: 1/3+x/3-(0-0)", "r: (x-x)*2-0",
    };
    for (const TMode& Mode : Modes)
        for (const std::string& Text : Equations)
            for (const bool TranslatedUnderIt : {false, true}) {
                SCOPED_TRACE(std::string(Mode.Name) + ", " + Text);
                ExpectSameInBothModes([&](TBench& B, std::vector<TOutcome>& Out) {
                    B.X = {0, 0};
                    B.Y = {1, 0};
                    B.W = {2, 0};
                    TEquation& R = B.Add(Text);
                    if (!TranslatedUnderIt) Out.push_back(B.Run(R));
                    const TControlWordScope Scope(Mode.Mask, Mode.Bits);
                    Out.push_back(B.Run(R));
                    Out.push_back(B.Run(R));
                });
            }
}

// Sin, Cos and Tan of a real value take a short way in both paths, which must give their
// callbacks' bits under every control word too: the sign of the zero imaginary part follows
// the rounding, the real part the precision. The callback runs where the entry has another
// built-in's callback.
TEST(NativeCode, RealSinesGiveTheirCallbacksBitsInEveryMode) {
    const std::vector<std::pair<const char*, TFunctionCallback>> Functions = {
        {"Sin", FnSin}, {"Cos", FnCos}, {"Tan", FnTan}};
    for (const TMode& Mode : Modes)
        for (const auto& [Name, Callback] : Functions)
            for (const long double X : {0.5L, -0.0L, 2.0L, -2.5L, 4.5L, -4.5L, 1e10L}) {
                SCOPED_TRACE(std::string(Mode.Name) + ", " + Name + "(" + Bits(X) + ")");
                ExpectSameInBothModes([&](TBench& B, std::vector<TOutcome>& Out) {
                    B.X = {X, 0};
                    TEquation& R = B.Add(std::string("r: ") + Name + "(x)");
                    const TControlWordScope Scope(Mode.Mask, Mode.Bits);
                    const TOutcome Short = B.Run(R);
                    EXPECT_EQ(Short, (TOutcome{Callback(std::vector<TComplex>{B.X}), {}, {}}));
                    Out.push_back(Short);
                });
            }
}

#endif

// A variable whose cell is a parameter of an equation the code calls reads the argument the
// latest call stored, as interpreted: bound so before the translation, and after it.
TEST(NativeCode, ReadsParametersThroughAliasingCells) {
    for (const bool BoundBefore : {true, false})
        ExpectSameInBothModes([&](TBench& B, std::vector<TOutcome>& Out) {
            TEquation& F = B.Add("f(a): a*2");
            long double Own = 3;
            TVariable& P = *B.Evaluator.Variables().Add("p", &Own);
            long double* Parameter = &F.LocalConstants().GetConstant(0)->Re;
            if (BoundBefore) P.RePtr = Parameter;
            TEquation& R = B.Add("r: p+f(2)+p*p+f(5)-p");
            Out.push_back(B.Run(R));
            P.RePtr = Parameter;
            Out.push_back(B.Run(R));
            P.ImPtr = &F.LocalConstants().GetConstant(0)->Im;
            P.RePtr = &Own;
            Out.push_back(B.Run(R));
            if (BoundBefore && B.Evaluator.NativeMode() == TNativeMode::Always &&
                TzoZezoEvaluator::NativeCodeAvailable()) {
                EXPECT_EQ(R.NativeStatus().Reason, TNativeAbort::AliasedParameter);
            }
        });
}

TEST(NativeCode, AlwaysTranslatesAtTheFirstComputation) {
    if (!TzoZezoEvaluator::NativeCodeAvailable()) GTEST_SKIP() << "no native code here";
    for (const std::string& Text : Benchmarks) {
        TBench B(TNativeMode::Always);
        TEquation& Equation = B.Add(Text);
        EXPECT_FALSE(Equation.HasNativeCode()) << Text;
        (void)B.Run(Equation);
        EXPECT_TRUE(Equation.HasNativeCode()) << Text;
        if (TEquation* Callee = B.Evaluator.Equations().GetEquation(0); Callee != &Equation) {
            (void)B.Run(*Callee);
            EXPECT_TRUE(Callee->HasNativeCode()) << Callee->EquationStr();
        }
    }
}

TEST(NativeCode, OffNeverTranslates) {
    for (const std::string& Text : Benchmarks) {
        TBench B(TNativeMode::Off);
        TEquation& Equation = B.Add(Text);
        for (int K = 0; K < 1000; ++K)
            (void)B.Run(Equation);
        EXPECT_FALSE(Equation.HasNativeCode()) << Text;
    }
}

TEST(NativeCode, OftenTranslatesOnceComputedOften) {
    for (const std::string& Text : Benchmarks) {
        TBench B(TNativeMode::Often);
        TEquation& Equation = B.Add(Text);
        (void)B.Run(Equation);
        EXPECT_FALSE(Equation.HasNativeCode()) << Text;
        for (int K = 0; K < 1000; ++K)
            (void)B.Run(Equation);
        ExpectTranslated(Equation, true);
    }
}

TEST(NativeCode, ChangingTheModeKeepsTheCode) {
    TBench B(TNativeMode::Always);
    TEquation& Equation = B.Add(Benchmarks[0]);
    const TOutcome Translated = B.Run(Equation);
    ExpectTranslated(Equation, true);
    B.Evaluator.SetNativeMode(TNativeMode::Off);
    EXPECT_EQ(B.Run(Equation), Translated);
    ExpectTranslated(Equation, true);
}

// The mode of a new evaluator comes from ZOZEZO_NATIVE, which the test sets and restores.
TEST(NativeCode, NewEvaluatorsTakeTheModeTheEnvironmentNames) {
    const char* Saved = std::getenv("ZOZEZO_NATIVE");
    const std::optional<std::string> Previous =
        Saved ? std::optional<std::string>(Saved) : std::nullopt;
    const std::vector<std::pair<const char*, TNativeMode>> Cases = {
        {"off", TNativeMode::Off},     {"always", TNativeMode::Always},
        {"often", TNativeMode::Often}, {"ALWAYS", TNativeMode::Often},
        {"", TNativeMode::Often},      {nullptr, TNativeMode::Often},
    };
    for (const auto& [Value, Mode] : Cases) {
        if (Value)
            setenv("ZOZEZO_NATIVE", Value, 1);
        else
            unsetenv("ZOZEZO_NATIVE");
        EXPECT_EQ(TzoZezoEvaluator().NativeMode(), Mode) << (Value ? Value : "(unset)");
    }
    if (Previous)
        setenv("ZOZEZO_NATIVE", Previous->c_str(), 1);
    else
        unsetenv("ZOZEZO_NATIVE");
}

// --- Entries that change after the translation ------------------------------------------

namespace {

int HostCalls = 0;

TComplex CountedMultiply(const TComplex& A, const TComplex& B) {
    ++HostCalls;
    return {A.Re * B.Re + 0.5L, A.Im};
}

TComplex ThrowingOperator(const TComplex&, const TComplex&) {
    throw THostError("the host operator refuses");
}

TComplex RefusingFunction(std::span<const TComplex> Args) {
    throw EzoZezoEvaluatorError("the host function refuses " +
                                std::to_string(static_cast<int>(Args.size())) + " arguments");
}

TComplex HalfOfSum(std::span<const TComplex> Args) {
    TComplex Sum;
    for (const TComplex& A : Args)
        Sum = {Sum.Re + A.Re, Sum.Im + A.Im};
    return {Sum.Re / 2, Sum.Im / 2};
}

// Compiles Text, computes it once (which translates it in Always mode: the benchmarks must
// be), applies the change and computes again, twice.
TScenario ChangeAfterTranslation(std::string Text, std::function<void(TBench&)> Change) {
    return [Text = std::move(Text), Change = std::move(Change)](TBench& B,
                                                                std::vector<TOutcome>& Out) {
        TEquation& Equation = B.Add(Text);
        Out.push_back(B.Run(Equation));
        const bool Benchmark =
            std::find(Benchmarks.begin(), Benchmarks.end(), Text) != Benchmarks.end();
        if (Benchmark && B.Evaluator.NativeMode() == TNativeMode::Always)
            ExpectTranslated(Equation, true);
        Change(B);
        Out.push_back(B.Run(Equation));
        Out.push_back(B.Run(Equation));
        // else stale native code would go unnoticed
        EXPECT_NE(Out[1], Out[0]) << Text << ": the change changes nothing";
    };
}

TOperator& OperatorNamed(TBench& B, const char* Name) {
    return *B.Evaluator.Operators().GetOperator(B.Evaluator.Operators().IndexOf(Name));
}

TFunction& FunctionNamed(TBench& B, const char* Name) {
    return *B.Evaluator.Functions().GetFunction(B.Evaluator.Functions().IndexOf(Name));
}

} // namespace

TEST(NativeCodeGuard, ReplacedOperatorCallbackIsCalled) {
    std::vector<int> Calls;
    ExpectSameInBothModes([&](TBench& B, std::vector<TOutcome>& Out) {
        HostCalls = 0;
        ChangeAfterTranslation(Benchmarks[0], [](TBench& B) {
            OperatorNamed(B, "*").Callback = CountedMultiply;
        })(B, Out);
        Calls.push_back(HostCalls);
        OperatorNamed(B, "*").Callback = OpMultiply;
        Out.push_back(B.Run(*B.Evaluator.Equations().GetEquation(0)));
    });
    ASSERT_EQ(Calls.size(), 2u);
    EXPECT_EQ(Calls[0], 4); // two computations of two products
    EXPECT_EQ(Calls[1], Calls[0]);
}

TEST(NativeCodeGuard, OperatorGivenAnotherBuiltinComputesThatOne) {
    for (const char* Symbol : {"+", "*", "^", "and", "<"})
        ExpectSameInBothModes(
            ChangeAfterTranslation("r: x*x+x^2*3-(x<1)*5+(x and 0)", [Symbol](TBench& B) {
                OperatorNamed(B, Symbol).Callback = Symbol[0] == '+' ? OpSubtract : OpAdd;
            }));
}

TEST(NativeCodeGuard, OperatorThatLostItsCallbackIsRefused) {
    ExpectSameInBothModes(ChangeAfterTranslation(
        Benchmarks[1], [](TBench& B) { OperatorNamed(B, "^").Callback = nullptr; }));
}

TEST(NativeCodeGuard, DeletedEntriesRefuseOrShift) {
    const std::vector<std::pair<std::string, std::function<void(TBench&)>>> Cases = {
        // e stands before pi: pi moves to e's place, and pi's is gone
        {Benchmarks[3], [](TBench& B) { B.Evaluator.Constants().Delete(0); }},
        // the variables move up: x reads y's cells and y z's; w, the last, is gone
        {Benchmarks[3], [](TBench& B) { B.Evaluator.Variables().Delete(0); }},
        {"r: x*w", [](TBench& B) { B.Evaluator.Variables().Delete(3); }},
        // the operators move up: every symbol computes the next one's operation
        {Benchmarks[0], [](TBench& B) { B.Evaluator.Operators().Delete(0); }},
        {Benchmarks[5], [](TBench& B) { B.Evaluator.Functions().Delete(0); }},
        {Benchmarks[5], [](TBench& B) { B.Evaluator.Functions().Clear(); }},
        {Benchmarks[4], [](TBench& B) { B.Evaluator.Equations().Delete(0); }},
    };
    for (const auto& [Text, Change] : Cases)
        ExpectSameInBothModes(ChangeAfterTranslation(Text, Change));
}

TEST(NativeCodeGuard, ChangedParamCountGivesTheInterpretersCall) {
    for (const TFunctionCallback Callback : {FnSqrt, HalfOfSum})
        for (int Count : {-1, 0, 1, 2, 3, 5}) {
            if (Callback == FnSqrt && Count == 1) continue; // the entry as translated
            SCOPED_TRACE("ParamCount " + std::to_string(Count));
            ExpectSameInBothModes(
                ChangeAfterTranslation(Benchmarks[5], [Callback, Count](TBench& B) {
                    TFunction& Sqrt = FunctionNamed(B, "Sqrt");
                    Sqrt.Callback = Callback;
                    Sqrt.ParamCount = Count;
                }));
        }
}

TEST(NativeCodeGuard, CellsSetAfterTranslationAreRead) {
    long double Cell = 2.5L, ImCell = 1.5L;
    const auto PiIm = [](TBench& B) -> long double& {
        return B.Evaluator.Constants().GetConstant(B.Evaluator.Constants().IndexOf("pi"))->Im;
    };
    const auto Variable = [](TBench& B, int I) -> TVariable& {
        return *B.Evaluator.Variables().GetVariable(I);
    };
    const std::string WithZ = "r: x*w+z-(z*y)";
    const std::vector<std::pair<std::string, std::function<void(TBench&)>>> Cases = {
        // z's null cells get cells
        {WithZ, [&](TBench& B) { Variable(B, 2).RePtr = &Cell; }},
        {WithZ, [&](TBench& B) { Variable(B, 2).ImPtr = &ImCell; }},
        // x gets an imaginary cell, y another one; w loses its cells
        {Benchmarks[3], [&](TBench& B) { Variable(B, 0).ImPtr = &Cell; }},
        {Benchmarks[5], [&](TBench& B) { Variable(B, 0).ImPtr = &Cell; }},
        {Benchmarks[5], [&](TBench& B) { Variable(B, 1).ImPtr = &ImCell; }},
        {WithZ, [&](TBench& B) { Variable(B, 3).RePtr = nullptr; }},
        {WithZ, [&](TBench& B) { Variable(B, 3).ImPtr = nullptr; }},
        // x reads another cell; then its own cell changes
        {Benchmarks[3], [&](TBench& B) { Variable(B, 0).RePtr = &B.W.Im; }},
        {Benchmarks[3], [&](TBench& B) { B.X.Re = PayloadNaN(); }},
        {Benchmarks[0], [&](TBench& B) { B.X.Re = -0.0L; }},
        // pi's imaginary part, +0 when translated, written in place: each byte of it counts
        {"r: pi-3", [&](TBench& B) { PiIm(B) = 0.5L; }},
        {"r: pi-3", [&](TBench& B) { PiIm(B) = -0.0L; }},
        {"r: pi-3", [&](TBench& B) { PiIm(B) = Extended(0x0000, 1); }},
    };
    for (const auto& [Text, Change] : Cases)
        ExpectSameInBothModes(ChangeAfterTranslation(Text, Change));
}

TEST(NativeCodeGuard, RecheckedCalleeGivesItsNewResult) {
    const std::vector<std::string> Bodies = {
        "f(a;b): a-b",        // another body
        "f(a): a^2",          // fewer parameters than the call's arguments
        "f(a;b;c): a+b+c",    // more
        "f(a;b): a/0+Neg(b)", // other steps
        "f(a;b): a+",         // a compile error
    };
    for (const std::string& Body : Bodies)
        ExpectSameInBothModes(ChangeAfterTranslation(Benchmarks[4], [&](TBench& B) {
            TEquation& F = *B.Evaluator.Equations().GetEquation(0);
            F.SetEquationStr(Body);
            (void)F.Check();
        }));
    // Given a new text and not checked yet, the callee compiles when the call reaches it.
    ExpectSameInBothModes(ChangeAfterTranslation(Benchmarks[4], [](TBench& B) {
        B.Evaluator.Equations().GetEquation(0)->SetEquationStr("f(a;b): b*a-1");
    }));
}

// Changes the evaluator learns of are looked at before the next run: code that went on reading
// the entries and equations it was translated against would read freed ones, or old code.
TEST(NativeCodeGuard, ChangesToTheListsAndEquationsAreSeen) {
    const auto Callee = [](TBench& B) -> TEquation& {
        return *B.Evaluator.Equations().GetEquation(0);
    };
    const std::vector<std::pair<std::string, std::function<void(TBench&)>>> Cases = {
        // the equation's own parameters, and its callee's
        {"f(a;b): a*b+1", [&](TBench& B) { Callee(B).LocalConstants().Delete(0); }},
        {Benchmarks[4], [&](TBench& B) { Callee(B).LocalConstants().Delete(1); }},
        {Benchmarks[4], [&](TBench& B) { Callee(B).LocalConstants().Add("c", 2); }},
        {Benchmarks[4], [&](TBench& B) { Callee(B).ClearInstructions(); }},
        {"g: x*3+1\nr: 2*g-pi", [&](TBench& B) { Callee(B).ClearInstructions(); }},
        // the callee gone, and another equation in its place
        {"f(a;b): a*b+1\ng(a;b): a-b\nr: 2*f(x;3)-pi",
         [](TBench& B) { B.Evaluator.Equations().Delete(0); }},
        // a constant given another value: read where it is, never folded in
        {Benchmarks[3],
         [](TBench& B) {
             TConstants& Constants = B.Evaluator.Constants();
             Constants.SetConstant(Constants.IndexOf("pi"), *Constants.GetConstant(0));
         }},
    };
    for (const auto& [Text, Change] : Cases)
        ExpectSameInBothModes(ChangeAfterTranslation(Text, Change));
}

// A list the host makes on the evaluator counts its changes with the evaluator's own lists:
// else the code would go on computing the callee it inlined after the callee is gone.
TEST(NativeCodeGuard, ChangesToAHostsEquationListAreSeen) {
    ExpectSameInBothModes([](TBench& B, std::vector<TOutcome>& Out) {
        TEquations List(&B.Evaluator);
        for (const char* Text : {"f(a;b): a*b+1", "g(a;b): a-b", "r: 2*f(x;3)-pi"})
            EXPECT_TRUE(List.Add(Text)->Check());
        TEquation& Equation = *List.GetEquation(2);
        Out.push_back(B.Run(Equation));
        List.Delete(0);
        Out.push_back(B.Run(Equation));
    });
}

// A change elsewhere in the lists leaves the code running.
TEST(NativeCodeGuard, ChangesElsewhereKeepTheCode) {
    TBench B(TNativeMode::Always);
    TEquation& Equation = B.Add(Benchmarks[4]);
    const TOutcome Before = B.Run(Equation);
    long double Cell = 1;
    B.Evaluator.Variables().Add("v", &Cell);
    (void)B.Evaluator.Equations().Add("q: v+1")->Check();
    EXPECT_EQ(B.Run(Equation), Before);
    ExpectTranslated(Equation, true);
}

TEST(NativeCodeGuard, HostExceptionsPassThroughUnchanged) {
    ExpectSameInBothModes(ChangeAfterTranslation(
        Benchmarks[0], [](TBench& B) { OperatorNamed(B, "+").Callback = ThrowingOperator; }));
    ExpectSameInBothModes(ChangeAfterTranslation(
        Benchmarks[5], [](TBench& B) { FunctionNamed(B, "Sqrt").Callback = RefusingFunction; }));
    // and the type is the host's own
    TBench B(TNativeMode::Always);
    TEquation& Equation = B.Add(Benchmarks[0]);
    (void)Equation.ComputeC();
    OperatorNamed(B, "+").Callback = ThrowingOperator;
    EXPECT_THROW((void)Equation.ComputeC(), THostError);
}

TEST(NativeCodeGuard, RunBudgetRefusesAlike) {
    ExpectSameInBothModes([](TBench& B, std::vector<TOutcome>& Out) {
        TEquation& R = B.Add(Benchmarks[4]);
        Out.push_back(B.Run(R));
        B.Evaluator.SetRunBudget(1);
        Out.push_back(B.Run(R));                                       // r and f: two runs
        Out.push_back(B.Run(*B.Evaluator.Equations().GetEquation(0))); // f alone: one
        B.Evaluator.SetRunBudget(2);
        Out.push_back(B.Run(R));
    });
    ExpectSameInBothModes([](TBench& B, std::vector<TOutcome>& Out) {
        B.Evaluator.SetRunBudget(1);
        TEquation& R = B.Add(Benchmarks[4]);
        Out.push_back(B.Run(R));
        Out.push_back(B.Run(R));
    });
}

TEST(NativeCodeGuard, DeepRecursionRefusesAlike) {
    ExpectSameInBothModes([](TBench& B, std::vector<TOutcome>& Out) {
        // an equation names itself once it is known by its name
        TEquation& Q = B.Add("q(a): a");
        Q.SetEquationStr("q(a): q(a+1)*2");
        EXPECT_TRUE(Q.Check()) << Q.ErrorMsg();
        Out.push_back(B.Run(Q, {{1, 0}}));
        Out.push_back(B.Run(Q, {{1, 0}}));
    });
}

// --- Why an equation runs interpreted ----------------------------------------------------

namespace {

TComplex HostTwice(std::span<const TComplex> Args) {
    return {2 * Args[0].Re, 2 * Args[0].Im};
}

} // namespace

TEST(NativeCodeStatus, NamesTheReasonOfEveryDecline) {
    if (!TzoZezoEvaluator::NativeCodeAvailable()) {
        TBench B(TNativeMode::Always);
        EXPECT_EQ(B.Add("r: x").NativeStatus().State, TNativeState::Unavailable);
        GTEST_SKIP() << "no native code here";
    }
    struct TCase {
        std::string Lines;
        TNativeAbort Reason;
    };
    const std::string Chain = "f1(a): a+1\nf2(a): f1(a)\nf3(a): f2(a)\nf4(a): f3(a)\nf5(a): f4(a)";
    const std::vector<TCase> Cases = {
        {"r: x*2+y", TNativeAbort::None},
        {"r: Twice(x)", TNativeAbort::HostCallback},
        {"r: If(x;1;2)+x", TNativeAbort::UntranslatedBuiltin},
        {"r: Ln(x)", TNativeAbort::UntranslatedBuiltin},
        {"r: x^0.5+w^2+Sqrt(w)-x^y+Re(w)*Abs(w)-Im(w)", TNativeAbort::None},
        {"r: w>1", TNativeAbort::KeptDeclining}, // declines at every run, the interpreter throws
        {Chain + "\nr: f4(x)", TNativeAbort::None},
        {Chain + "\nr: f5(x)", TNativeAbort::InlineDepth},
        {"f1(a): a\nf2(a): a\nf3(a): a\nf4(a): a\nf5(a): a\nf6(a): a\nf7(a): a\nf8(a): a\n"
         "f9(a): a\nr: f1(1)+f2(2)+f3(3)+f4(4)+f5(5)+f6(6)+f7(7)+f8(8)+f9(9)",
         TNativeAbort::TooManyCallees},
    };
    for (const TCase& Case : Cases) {
        TBench B(TNativeMode::Always);
        B.Evaluator.Functions().Add("Twice", 1, HostTwice);
        TEquation& R = B.Add(Case.Lines);
        const TNativeStatus Before = R.NativeStatus();
        EXPECT_EQ(Before.State, TNativeState::NotYetHot) << Case.Lines;
        EXPECT_EQ(Before.Reason,
                  Case.Reason == TNativeAbort::KeptDeclining ? TNativeAbort::None : Case.Reason)
            << Case.Lines;
        for (int K = 0; K < 20; ++K)
            (void)B.Run(R);
        const TNativeStatus After = R.NativeStatus();
        EXPECT_EQ(After.State, Case.Reason == TNativeAbort::None ? TNativeState::Translated
                                                                 : TNativeState::Declined)
            << Case.Lines;
        EXPECT_EQ(After.Reason, Case.Reason) << Case.Lines;
    }
}

TEST(NativeCodeStatus, FollowsTheModeAndTheComputations) {
    TBench B(TNativeMode::Often);
    TEquation& R = B.Add("r: x+1");
    TEquation* Unchecked = B.Evaluator.Equations().Add("s: x");
    if (!TzoZezoEvaluator::NativeCodeAvailable()) GTEST_SKIP() << "no native code here";
    EXPECT_EQ(Unchecked->NativeStatus().State, TNativeState::NotCompiled);
    for (int K = 0; K < 3; ++K)
        (void)B.Run(R);
    EXPECT_EQ(R.NativeStatus().Text(),
              "interpreted until computed 64 times (3 so far), then native code");
    B.Evaluator.SetNativeMode(TNativeMode::Off);
    EXPECT_EQ(R.NativeStatus().State, TNativeState::Off);
    B.Evaluator.SetNativeMode(TNativeMode::Often);
    for (int K = 0; K < 100; ++K)
        (void)B.Run(R);
    EXPECT_EQ(R.NativeStatus().State, TNativeState::Translated);
    B.Evaluator.Functions().Add("Twice", 1, HostTwice);
    R.SetEquationStr("r: Twice(x)");
    (void)R.Check();
    EXPECT_EQ(R.NativeStatus().Text(),
              "interpreted: translating it would decline: it calls an operator or function of "
              "the host's");
}
