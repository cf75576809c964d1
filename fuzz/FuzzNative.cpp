#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "zoZezo/zoZezo.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

namespace zoZezo::fuzz {
namespace {

constexpr int MaxLines = 16;
constexpr int MaxSteps = 256;
constexpr int MaxComputations = 48;
// A refused run is mostly a recursion that used up the run budget; an input stops after this
// many, so that such inputs do not take most of the fuzzing time.
constexpr int MaxRefusals = 2;
constexpr std::uint64_t RunBudget = 100'000;
constexpr int CellCount = 6;

constexpr long double Inf = std::numeric_limits<long double>::infinity();
constexpr long double NaN = std::numeric_limits<long double>::quiet_NaN();

// An extended real from its sign-and-exponent field and its significand (with the explicit
// integer bit), for the NaN payloads no literal writes.
long double Extended(std::uint16_t SignExponent, std::uint64_t Significand) {
    long double Value = 0;
    std::memcpy(&Value, &Significand, sizeof Significand);
    std::memcpy(reinterpret_cast<char*>(&Value) + sizeof Significand, &SignExponent,
                sizeof SignExponent);
    return Value;
}

// The values cells, constants and arguments take: signed zeros, infinities, NaNs with
// payloads, denormals, the ends of the range, encodings that arithmetic turns into others
// (which copying keeps), and plain numbers that whole powers and the comparisons meet.
const std::vector<long double>& Values() {
    static const std::vector<long double> Table = {
        0.0L,
        -0.0L,
        1,
        -1,
        0.5L,
        -1.5L,
        2,
        3,
        16,
        0.1L,
        Inf,
        -Inf,
        NaN,
        -NaN,
        Extended(0x7FFF, 0xC000'0000'0000'0123), // quiet, with a payload
        Extended(0xFFFF, 0xC000'0000'DEAD'BEEF), // negative quiet, another payload
        Extended(0x7FFF, 0x8000'0000'0000'0001), // signalling
        Extended(0x0000, 0x8000'0000'0000'0001), // pseudo-denormal
        Extended(0x3FFF, 0x4000'0000'0000'0000), // unnormal
        Extended(0x7FFF, 0),                     // pseudo-infinity
        Extended(0xFFFF, 0x4000'0000'0000'0001), // pseudo-NaN
        std::numeric_limits<long double>::denorm_min(),
        -1e-4940L, // denormal
        std::numeric_limits<long double>::min(),
        1e-4000L,
        1e4000L,
        -std::numeric_limits<long double>::max(),
        1e300L,
    };
    return Table;
}

// What host code throws that is not the evaluator's: it must pass through unchanged.
struct THostError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Host callbacks: pure, so that both evaluators see the same values.
TComplex HostMix(const TComplex& Left, const TComplex& Right) {
    return {Left.Re * 2 - Right.Re, Left.Im - Right.Im};
}

TComplex HostRefuseZero(const TComplex& Left, const TComplex& Right) {
    if (Right.Re == 0) throw EzoZezoEvaluatorError("the host operator refuses a zero");
    return {Left.Re / Right.Re, Left.Im};
}

TComplex HostThrowAbove(const TComplex& Left, const TComplex& Right) {
    if (Left.Re > Right.Re) throw THostError("the host operator meets a left operand above");
    return {Left.Re + Right.Re, Left.Im * Right.Im};
}

TComplex HostSum(std::span<const TComplex> Args) {
    TComplex Total;
    for (const TComplex& A : Args)
        Total = {Total.Re + A.Re, Total.Im + A.Im};
    return Total;
}

TComplex HostHalf(std::span<const TComplex> Args) {
    if (Args.empty()) return {0.25L, 0};
    return {Args[0].Re / 2, -Args[0].Im};
}

TComplex HostThrowNaN(std::span<const TComplex> Args) {
    for (const TComplex& A : Args) {
        if (A.Re != A.Re) throw THostError("the host function meets a NaN");
        if (A.Re == 3) throw EzoZezoEvaluatorError("the host function refuses a 3");
    }
    return Args.empty() ? TComplex{} : Args.back();
}

// Callbacks an entry gets instead of its own: host code, other built-ins (a callback that is
// still a built-in, but not the one translated), and none.
constexpr std::array<TOperatorCallback, 10> OperatorCallbacks = {
    HostMix, HostRefuseZero, HostThrowAbove, OpMultiply,  OpPower,
    OpAdd,   OpLess,         OpAnd,          OpRemainder, nullptr};
constexpr std::array<TFunctionCallback, 10> FunctionCallbacks = {
    HostSum, HostHalf, HostThrowNaN, FnCos, FnSqrt, FnNeg, FnExp, FnIf, FnAbs, nullptr};
constexpr std::array<int, 7> ParamCounts = {-1, 0, 1, 2, 3, 4, 5};

constexpr std::array<const char*, 16> Names = {"x", "y",  "z", "w",   "v", "a",  "b",   "f",
                                               "g", "pi", "e", "Sin", "r", "If", "Neg", "Sqrt"};
constexpr std::array<const char*, 9> Symbols = {"+", "-", "*", "/", "^", "#", "mod", "and", "<"};

// Equations of every kind of step: the arithmetic benchmarks, whole, fractional and negative
// powers, comparisons and the logical words, the functions that run in place and the others,
// literals, equation calls with enough, too few and too many arguments, and recursion.
constexpr std::array<const char*, 32> Texts = {
    "r: (x+1)*(x-1)/(x*x+1)",
    "r: 1+x+x^2+x^3+x^4+x^5+x^6+x^7+x^8+x^9+x^10",
    "r: x>0.5 and y<2",
    "r: pi*x+e*y-2.5",
    "f(a;b): a*b+1",
    "r: 2*f(x;3)-pi",
    "r: Sqrt(x*x+y*y)",
    "p: x^0+x^16-x^-2+x^0.5+x^-1.5+w^3+2^x+w^16",
    "c: (x>=y) or (x<=w) xor (x=v) and (x<>y)",
    "s: Sin(x)+Cos(y)*Exp(w)-Sqrt(v)/Tan(x)+ATan(y)",
    "n: Neg(x)-Neg(w)*Abs(y)+Ln(w)+7\\x",
    "d: x/0+0*w-x/(x-x)+(1/x)*0",
    "g(a): f(a;a)+f(a;x)*a",
    "h: g(y)-g(w)+f(x;w)",
    "k: f(x;y)*f(1;2)/f(v;-0)",
    "i: If(x>y;w;v)+Round(x)+Int(y)+Re(w)+Im(w)",
    "z: 3j*w-x*2j+1.5e-3-(2+1j)^2",
    "m: h+h*k-g(2)",
    "q(a;b): q(b;a)+1",
    "t: Sinh(x)+Cosh(y)/Tanh(w)+Asin(0.5)+ACos(v)+Sinc(x)+U(y)+Rect(x)",
    "o: Imp(x)+Odd(y)+Diode(y)+Not(x)+Rand(10)*0",
    "u: x*y*w/v+y^2^3-w^-2*v^1.5",
    "l(a): -a^2+a^-1-(a>0)*a",
    "b: l(x)+l(w)*l(v)-g(l(y))",
    // parts known while translating (literals, z's missing cells) that are no identities for
    // signed zeros, infinities and NaNs
    "r: x+0+(0+y)-0*w+w*1-1*v+x/1-(0-x)",
    "r: x*0+0*y+w*0+(v-v)+(z+z)-z*w",
    "r: 2j*x+3*1j*y+(1+0j)*w-0j*w+z*1j",
    "r: v*v+z/x+x^1+x^-1+(-x)^2+x^0*w+z^2",
    "r: Sqrt(z)+Sqrt(v)+Sqrt(-x)+Exp(z)*Sin(z)-Cos(v)",
    "r: Abs(w*2j-z)+Re(v/w)-Im(x-2j)*Abs(-0)+Re(z)-0+Im(y)*1",
    // a part known to be zero taken from another, and x*y-0, which rounding down makes -0
    "r: w-2+(y-3j)*(v-Sin(0.5))-(x*y-0)",
    // parameters written between reads of variables, which may alias them
    "r: x+f(2;y)+x*w-f(5;x)/v",
};

// The 80-bit representation, sign and exponent first, for the messages.
std::string Bits(long double Value) {
    unsigned char Bytes[10];
    std::memcpy(Bytes, &Value, sizeof Bytes);
    char Text[24];
    std::snprintf(Text, sizeof Text, "%02X%02X:%02X%02X%02X%02X%02X%02X%02X%02X", Bytes[9],
                  Bytes[8], Bytes[7], Bytes[6], Bytes[5], Bytes[4], Bytes[3], Bytes[2], Bytes[1],
                  Bytes[0]);
    return Text;
}

bool SameBits(const TComplex& A, const TComplex& B) {
    return std::memcmp(&A.Re, &B.Re, 10) == 0 && std::memcmp(&A.Im, &B.Im, 10) == 0;
}

// What one computation gave: a value, or the type and message of what it threw; and the
// messages it showed.
struct TOutcome {
    bool Threw = false;
    TComplex Value;
    std::string Type;
    std::string Message;
    std::string Shown;
    bool Expensive = false; // refused after using up the run budget or the call depth

    std::string Show() const {
        const std::string Messages = Shown.empty() ? "" : ", showing \"" + Shown + "\"";
        if (Threw) return Type + " \"" + Message + "\"" + Messages;
        return "(" + Bits(Value.Re) + ", " + Bits(Value.Im) + ")" + Messages;
    }
};

std::string* Shown = nullptr; // where ShowMessage writes, while a computation runs

template <class Action>
TOutcome Outcome(Action Run) {
    TOutcome Result;
    Shown = &Result.Shown;
    try {
        Result.Value = Run();
    } catch (const std::exception& Error) {
        Result.Threw = true;
        Result.Type = typeid(Error).name();
        Result.Message = Error.what();
        Result.Expensive = dynamic_cast<const EzoZezoRunBudgetError*>(&Error) != nullptr ||
                           Result.Message.find("levels deep") != std::string::npos;
    }
    Shown = nullptr;
    return Result;
}

// One evaluator and the host cells its variables read: x real only, y complex (its imaginary
// cell holding 0 at first), w complex, z with no cells, v with an imaginary cell only.
struct TSide {
    explicit TSide(TNativeMode Mode) {
        Evaluator.SetNativeMode(Mode);
        Evaluator.SetRunBudget(RunBudget);
        TVariables& Variables = Evaluator.Variables();
        Variables.Add("x", &Cells[0]);
        Variables.Add("y", &Cells[1], &Cells[2]);
        Variables.Add("z", nullptr, nullptr);
        Variables.Add("w", &Cells[3], &Cells[4]);
        Variables.Add("v", nullptr, &Cells[5]);
    }
    TSide(const TSide&) = delete;
    TSide& operator=(const TSide&) = delete;

    // The cell an input byte names: one of the side's own, or none.
    long double* Cell(std::uint8_t B) {
        return B % (CellCount + 1) == CellCount ? nullptr : &Cells[B % (CellCount + 1)];
    }

    TzoZezoEvaluator Evaluator;
    std::array<long double, CellCount> Cells = {0.75L, -1.5L, 0, 2, -0.5L, 0.25L};
};

// The built-in entries as a new evaluator holds them, to restore replaced ones by name.
const TzoZezoEvaluator& Builtins() {
    static const TzoZezoEvaluator Fresh;
    return Fresh;
}

// The x87 control word, whose rounding and precision the computations follow; restored when the
// scope ends.
class TControlWord {
public:
    TControlWord() : FSaved(Read()) {}
    ~TControlWord() { Write(FSaved); }
    TControlWord(const TControlWord&) = delete;
    TControlWord& operator=(const TControlWord&) = delete;

    // Rounding: 0 nearest, 1 down, 2 up, 3 toward zero; precision: 0 24 bits, 2 53, 3 64.
    void Set(int Rounding, int Precision) {
        Write(static_cast<std::uint16_t>((FSaved & ~0x0F00) | Rounding << 10 | Precision << 8));
    }

private:
#if defined(__x86_64__) || defined(__i386__)
    static std::uint16_t Read() {
        std::uint16_t Word;
        asm volatile("fnstcw %0" : "=m"(Word));
        return Word;
    }
    static void Write(std::uint16_t Word) {
        asm volatile("fldcw %0" : : "m"(Word));
    }
#else
    static std::uint16_t Read() {
        return 0;
    }
    static void Write(std::uint16_t) {}
#endif
    std::uint16_t FSaved;
};

enum TTable { tbConstants, tbVariables, tbFunctions, tbOperators, tbEquations, tbTableCount };

// Runs the same steps on an interpreting evaluator and on one that translates every equation
// into native code, and requires the same outcome of every computation: the same bits or the
// same exception, the same messages shown, the same values left in the parameters.
class TSession {
public:
    explicit TSession(TFuzzInput& Steps) : FIn(Steps) {}

    void Enter(std::string_view Lines);
    void Run();

private:
    // Applies a change to both sides alike. Every input byte it needs is read before.
    template <class Change>
    void Both(Change Apply) {
        Apply(FOff);
        Apply(FAlways);
    }

    long double Value() { return Values()[FIn.Byte() % Values().size()]; }
    // A position of a table of Count entries, or one past its end.
    int Position(int Count) { return FIn.Byte() % (Count + 1); }
    std::string Text() {
        const std::uint8_t B = FIn.Byte();
        return B < 200 ? Texts[B % Texts.size()] : FIn.Text(64);
    }
    bool Done() const { return FComputations >= MaxComputations || FRefusals >= MaxRefusals; }

    void Step();
    void ComputeStep();
    void ComputeAliased();
    void SetControlWord();
    void Compute(int K, std::uint8_t Form, const std::vector<TComplex>& Args);
    TComplex ComputeOn(TSide& Side, int K, std::uint8_t Form, const std::vector<TComplex>& Args);
    void Compare(const TOutcome& Off, const TOutcome& Always, int K) const;
    void CompareParameters(int K) const;
    void SetOperator();
    void RestoreOperator();
    void SetFunction();
    void RestoreFunction();
    void SetParamCount();
    void Delete();
    void AddEntry();
    void BindCell();
    void SetText();
    void SetConstant();

    TFuzzInput& FIn;
    TControlWord FControlWord;
    TSide FOff{TNativeMode::Off};
    TSide FAlways{TNativeMode::Always};
    int FComputations = 0;
    int FRefusals = 0;
};

void TSession::Enter(std::string_view Lines) {
    for (int Count = 0; Count < MaxLines && !Lines.empty(); ++Count) {
        const std::size_t End = std::min(Lines.find('\n'), Lines.size());
        const std::string Line(Lines.substr(0, End));
        Both([&](TSide& S) { S.Evaluator.Equations().Add(Line)->Check(); });
        Lines.remove_prefix(std::min(End + 1, Lines.size()));
    }
}

void TSession::Run() {
    for (int Steps = 0; Steps < MaxSteps && !FIn.Empty() && !Done(); ++Steps)
        Step();
    // Every equation at least twice: translated at the first computation, reused at the second.
    const int Count = FOff.Evaluator.Equations().Count();
    for (int K = 0; K < Count && !Done(); ++K) {
        Compute(K, 0, {});
        Compute(K, 0, {});
    }
}

void TSession::Step() {
    switch (FIn.Byte() % 16) {
    case 0:
    case 1: ComputeStep(); break;
    case 2: {
        const std::uint8_t I = FIn.Byte() % CellCount;
        const long double V = Value();
        Both([&](TSide& S) { S.Cells[I] = V; });
        break;
    }
    case 3: SetOperator(); break;
    case 4: RestoreOperator(); break;
    case 5: SetFunction(); break;
    case 6: RestoreFunction(); break;
    case 7: SetParamCount(); break;
    case 8: Delete(); break;
    case 9: AddEntry(); break;
    case 10: BindCell(); break;
    case 11: SetText(); break;
    case 12: SetConstant(); break;
    case 14: SetControlWord(); break;
    case 15: ComputeAliased(); break;
    default: {
        const int K = Position(FOff.Evaluator.Equations().Count());
        Both([&](TSide& S) {
            if (TEquation* E = S.Evaluator.Equations().GetEquation(K)) E->Check();
        });
        break;
    }
    }
}

// Computes an equation one to four times. The form byte: bits 0-1 the call (ComputeC,
// Compute, ComputeArgsC, ComputeArgs), bits 2-4 the number of arguments (0 to 5), bits 5-6
// the repetitions, bit 7 complex arguments.
void TSession::ComputeStep() {
    const int Count = FOff.Evaluator.Equations().Count();
    if (Count == 0) return;
    const int K = FIn.Byte() % Count;
    const std::uint8_t Form = FIn.Byte();
    std::vector<TComplex> Args(((Form >> 2) & 7) % 6);
    for (TComplex& A : Args) {
        A.Re = Value();
        if (Form & 0x80) A.Im = Value();
    }
    for (int Times = 1 + ((Form >> 5) & 3); Times > 0 && !Done(); --Times)
        Compute(K, Form, Args);
}

// Computes an equation once while a variable has a parameter of an equation for its real or
// imaginary cell. Only while every equation is compiled: nothing then compiles during the
// computation, which would free the parameter.
void TSession::ComputeAliased() {
    const auto& Equations = FOff.Evaluator.Equations();
    const int Count = Equations.Count();
    const int Variable = FIn.Byte() % (FOff.Evaluator.Variables().Count() + 1);
    const int Owner = Count ? FIn.Byte() % Count : 0;
    const std::uint8_t Which = FIn.Byte();
    const int K = Count ? FIn.Byte() % Count : 0;
    const std::uint8_t Form = FIn.Byte() & 0x03;
    for (const TEquation* E : Equations.Items())
        if (!E->Checked()) return;
    const TVariable* Target = FOff.Evaluator.Variables().GetVariable(Variable);
    if (!Target || Count == 0) return;
    const int Parameters = Equations.GetEquation(Owner)->LocalConstants().Count();
    if (Parameters == 0) return;
    const bool Imaginary = Which & 0x80;
    struct TBound {
        long double** Cell;
        long double* Was;
    };
    std::vector<TBound> Bound;
    Both([&](TSide& S) {
        TVariable& V = *S.Evaluator.Variables().GetVariable(Variable);
        TConstant& P = *S.Evaluator.Equations().GetEquation(Owner)->LocalConstants().GetConstant(
            (Which & 0x7F) % Parameters);
        long double*& Cell = Imaginary ? V.ImPtr : V.RePtr;
        Bound.push_back({&Cell, Cell});
        Cell = Which & 0x40 ? &P.Im : &P.Re;
    });
    Compute(K, Form, {});
    for (const TBound& B : Bound)
        *B.Cell = B.Was;
}

void TSession::SetControlWord() {
    const std::uint8_t B = FIn.Byte();
    FControlWord.Set(B & 3, std::array{0, 2, 3}[(B >> 2) % 3]);
}

void TSession::Compute(int K, std::uint8_t Form, const std::vector<TComplex>& Args) {
    ++FComputations;
    const TOutcome Off = Outcome([&] { return ComputeOn(FOff, K, Form, Args); });
    const TOutcome Always = Outcome([&] { return ComputeOn(FAlways, K, Form, Args); });
    Compare(Off, Always, K);
    CompareParameters(K);
    if (Off.Expensive || Always.Expensive) ++FRefusals;
    for (const TEquation* E : FOff.Evaluator.Equations().Items())
        Require(!E->HasNativeCode(), "an equation holds native code in Off mode");
}

TComplex TSession::ComputeOn(TSide& Side, int K, std::uint8_t Form,
                             const std::vector<TComplex>& Args) {
    TEquation& Equation = *Side.Evaluator.Equations().GetEquation(K);
    RandSeed(static_cast<std::uint32_t>(FComputations));
    switch (Form & 3) {
    case 0: return Equation.ComputeC();
    case 1: return {Equation.Compute(), 0};
    case 2: return Equation.ComputeArgsC(Args);
    default: {
        std::vector<long double> Reals;
        for (const TComplex& A : Args)
            Reals.push_back(A.Re);
        return {Equation.ComputeArgs(Reals), 0};
    }
    }
}

void TSession::Compare(const TOutcome& Off, const TOutcome& Always, int K) const {
    const bool Same = Off.Threw == Always.Threw && Off.Shown == Always.Shown &&
                      (Off.Threw ? Off.Type == Always.Type && Off.Message == Always.Message
                                 : SameBits(Off.Value, Always.Value));
    if (Same) return;
    const std::string& Text = FOff.Evaluator.Equations().GetEquation(K)->EquationStr();
    Fail("computation " + std::to_string(FComputations) + " of equation " + std::to_string(K) +
         " \"" + Text + "\": the interpreter gives " + Off.Show() + ", native code " +
         Always.Show());
}

// Parameters hold the latest arguments of their equation, which host code may read.
void TSession::CompareParameters(int K) const {
    const auto& Off = FOff.Evaluator.Equations().Items();
    const auto& Always = FAlways.Evaluator.Equations().Items();
    for (std::size_t E = 0; E < Off.size(); ++E) {
        const auto& OffParameters = Off[E]->LocalConstants().Items();
        const auto& AlwaysParameters = Always[E]->LocalConstants().Items();
        Require(OffParameters.size() == AlwaysParameters.size(), "parameter counts differ");
        for (std::size_t P = 0; P < OffParameters.size(); ++P) {
            const TComplex A{OffParameters[P]->Re, OffParameters[P]->Im};
            const TComplex B{AlwaysParameters[P]->Re, AlwaysParameters[P]->Im};
            if (SameBits(A, B)) continue;
            Fail("after computation " + std::to_string(FComputations) + " of equation " +
                 std::to_string(K) + ", parameter " + OffParameters[P]->Name + " of \"" +
                 Off[E]->EquationStr() + "\" holds (" + Bits(A.Re) + ", " + Bits(A.Im) +
                 ") interpreted, (" + Bits(B.Re) + ", " + Bits(B.Im) + ") native");
        }
    }
}

void TSession::SetOperator() {
    const int I = Position(FOff.Evaluator.Operators().Count());
    const TOperatorCallback Callback = OperatorCallbacks[FIn.Byte() % OperatorCallbacks.size()];
    Both([&](TSide& S) {
        if (TOperator* Op = S.Evaluator.Operators().GetOperator(I)) Op->Callback = Callback;
    });
}

void TSession::RestoreOperator() {
    const int I = Position(FOff.Evaluator.Operators().Count());
    Both([&](TSide& S) {
        TOperator* Op = S.Evaluator.Operators().GetOperator(I);
        if (!Op) return;
        const TOperators& Own = Builtins().Operators();
        if (const TOperator* Builtin = Own.GetOperator(Own.IndexOf(Op->Name)))
            Op->Callback = Builtin->Callback;
    });
}

void TSession::SetFunction() {
    const int I = Position(FOff.Evaluator.Functions().Count());
    const TFunctionCallback Callback = FunctionCallbacks[FIn.Byte() % FunctionCallbacks.size()];
    Both([&](TSide& S) {
        if (TFunction* Fn = S.Evaluator.Functions().GetFunction(I)) Fn->Callback = Callback;
    });
}

void TSession::RestoreFunction() {
    const int I = Position(FOff.Evaluator.Functions().Count());
    Both([&](TSide& S) {
        TFunction* Fn = S.Evaluator.Functions().GetFunction(I);
        if (!Fn) return;
        const TFunctions& Own = Builtins().Functions();
        if (const TFunction* Builtin = Own.GetFunction(Own.IndexOf(Fn->Name))) {
            Fn->Callback = Builtin->Callback;
            Fn->ParamCount = Builtin->ParamCount;
        }
    });
}

void TSession::SetParamCount() {
    const int I = Position(FOff.Evaluator.Functions().Count());
    const int Count = ParamCounts[FIn.Byte() % ParamCounts.size()];
    Both([&](TSide& S) {
        if (TFunction* Fn = S.Evaluator.Functions().GetFunction(I)) Fn->ParamCount = Count;
    });
}

// Deletes an entry or an equation: the entries after it move up a position.
void TSession::Delete() {
    const auto Table = TTable(FIn.Byte() % tbTableCount);
    const std::uint8_t B = FIn.Byte();
    Both([&](TSide& S) {
        TzoZezoEvaluator& E = S.Evaluator;
        switch (Table) {
        case tbConstants: E.Constants().Delete(B % (E.Constants().Count() + 1)); break;
        case tbVariables: E.Variables().Delete(B % (E.Variables().Count() + 1)); break;
        case tbFunctions: E.Functions().Delete(B % (E.Functions().Count() + 1)); break;
        case tbOperators: E.Operators().Delete(B % (E.Operators().Count() + 1)); break;
        default: E.Equations().Delete(B % (E.Equations().Count() + 1)); break;
        }
    });
}

// Appends a variable, a constant, a function or an operator, which hides no entry compiled
// code refers to, but takes the name for the next compilation when the name is new.
void TSession::AddEntry() {
    const auto Table = TTable(FIn.Byte() % tbEquations);
    const std::string Name = Names[FIn.Byte() % Names.size()];
    const std::uint8_t A = FIn.Byte();
    const std::uint8_t B = FIn.Byte();
    switch (Table) {
    case tbConstants: {
        const long double Re = Values()[A % Values().size()];
        const long double Im = B % 2 ? Values()[B % Values().size()] : 0;
        Both([&](TSide& S) { S.Evaluator.Constants().Add(Name, Re, Im); });
        break;
    }
    case tbVariables:
        Both([&](TSide& S) { S.Evaluator.Variables().Add(Name, S.Cell(A), S.Cell(B)); });
        break;
    case tbFunctions:
        Both([&](TSide& S) {
            S.Evaluator.Functions().Add(Name, ParamCounts[A % ParamCounts.size()],
                                        FunctionCallbacks[B % FunctionCallbacks.size()]);
        });
        break;
    default:
        Both([&](TSide& S) {
            S.Evaluator.Operators().Add(Symbols[A % Symbols.size()], B % 6 - 1,
                                        OperatorCallbacks[B / 6 % OperatorCallbacks.size()]);
        });
        break;
    }
}

// Points a variable's real or imaginary part at a cell or at none.
void TSession::BindCell() {
    const int I = Position(FOff.Evaluator.Variables().Count());
    const std::uint8_t B = FIn.Byte();
    Both([&](TSide& S) {
        TVariable* V = S.Evaluator.Variables().GetVariable(I);
        if (!V) return;
        (B & 0x80 ? V->ImPtr : V->RePtr) = S.Cell(B & 0x7F);
    });
}

// Gives an equation, or a new one, another text, and compiles it or leaves that to the next
// computation.
void TSession::SetText() {
    const int K = Position(FOff.Evaluator.Equations().Count());
    const std::uint8_t Check = FIn.Byte();
    const std::string NewText = Text();
    Both([&](TSide& S) {
        TEquation* E = S.Evaluator.Equations().GetEquation(K);
        if (E)
            E->SetEquationStr(NewText);
        else
            E = S.Evaluator.Equations().Add(NewText);
        if (Check % 2) E->Check();
    });
}

void TSession::SetConstant() {
    const int I = Position(FOff.Evaluator.Constants().Count());
    const long double Re = Value();
    const long double Im = Value();
    Both([&](TSide& S) {
        if (TConstant* C = S.Evaluator.Constants().GetConstant(I)) {
            C->Re = Re;
            C->Im = Im;
        }
    });
}

} // namespace

int FuzzNative(const std::uint8_t* Data, std::size_t Size) {
    SetMessageHandler([](const std::string& Text) {
        if (Shown) *Shown += Text + '\n';
    });
    const std::string_view Input(reinterpret_cast<const char*>(Data), Size);
    const std::size_t End = std::min(Input.find('\0'), Input.size());
    const std::string_view Rest = Input.substr(std::min(End + 1, Input.size()));
    TFuzzInput Steps(reinterpret_cast<const std::uint8_t*>(Rest.data()), Rest.size());
    TSession Session(Steps);
    Session.Enter(Input.substr(0, End));
    Session.Run();
    return 0;
}

} // namespace zoZezo::fuzz
