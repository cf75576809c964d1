// Translation of an equation's postfix code into native x86-64 code (see NativeCode.h).
//
// The postfix code becomes a tree first, the code of every equation it calls inlined in place
// of the call. The tree is then emitted depth first. Each value is a pair of parts, and every
// part a symbol that the x87 register stack holds, a spill slot holds, or that is read where it
// lives (a literal, a table entry, a host cell) whenever an operation needs it. Every operation
// of the built-ins' formulas is emitted as it stands, in the formula's order of operands, so
// that the results are the interpreter's bits: nothing is folded, not even a sum with zero.

#include "FastBuiltins.h"
#include "NativeCode.h"
#include "Steps.h"
#include "X87Assembler.h"
#include "zoZezo/Equation.h"
#include "zoZezo/Equations.h"
#include "zoZezo/Evaluator.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <optional>
#include <vector>

namespace zoZezo {

#if defined(__x86_64__) && defined(__linux__)

namespace {

using namespace x87;

constexpr int MaxNodes = 4096;
constexpr int MaxInlineDepth = 4;
constexpr std::size_t MaxCallees = 8;
constexpr int Registers = 8;

// The byte offset of Field in an entry of the table that holds Entry.
template <class Entry, class Field>
std::int32_t OffsetIn(const Entry& Object, const Field& Member) {
    return static_cast<std::int32_t>(reinterpret_cast<const char*>(&Member) -
                                     reinterpret_cast<const char*>(&Object));
}

// --- the tree --------------------------------------------------------------------------

enum TNodeKind : std::uint8_t {
    nkLiteral,   // Re + Im·j
    nkConstant,  // Slot: the entry's pointer
    nkVariable,  // ReSlot, ImSlot: the cells' pointers, -1 for none
    nkParameter, // Slot: the entry's pointer
    nkBinary,    // Builtin of A and B
    nkPower,     // A ^ Exponent
    nkNegate,    // -A
    nkFunction,  // Builtin of A, through a helper
    nkCall,      // Args bound to Callee's parameters, then Body
};

struct TNode {
    TNodeKind Kind = nkLiteral;
    TBuiltin Builtin = biNone;
    long double Re = 0, Im = 0;
    int Slot = -1, ReSlot = -1, ImSlot = -1;
    int Table = 0, Index = 0; // parameters: 0 own, K those of callee K; the position
    int Exponent = 0;
    int A = -1, B = -1;
    int Callee = -1; // position in the callee list
    int Body = -1;
    std::vector<int> Args;
};

TNode NodeOf(TNodeKind Kind) {
    TNode Node;
    Node.Kind = Kind;
    return Node;
}

// An equation the code calls, with everything the code relies on.
struct TCallee {
    const TEquation* Equation;
    int Index;             // its position in the list
    std::uint64_t Version; // its code's version when translated
    int ParamCount;
};

// A guard the code's prologue checks: a table position, and what the entry there must hold.
struct TGuard {
    enum TKind : std::uint8_t { Operator, Function, Constant, Variable, Parameter } Kind;
    int Table = 0; // for parameters: 0 own, K callee K
    int Index = 0;
    std::uintptr_t Callback = 0; // operators and functions
    bool ReNull = false, ImNull = false;
    int Slot = -1, ReSlot = -1, ImSlot = -1; // where the prologue leaves pointers
};

// Reads an equation's postfix code into a tree, collecting the guards its entries need.
class TTreeBuilder {
public:
    explicit TTreeBuilder(const TzoZezoEvaluator& Evaluator) : FEvaluator(Evaluator) {}

    std::optional<int> Build(const TEquation& Equation, int Table, int Depth);

    std::vector<TNode> Nodes;
    std::vector<TGuard> Guards;
    std::vector<TCallee> Callees;
    int PointerSlots = 0;
    std::uint64_t Runs = 1;

private:
    int Add(TNode Node) {
        Nodes.push_back(std::move(Node));
        return static_cast<int>(Nodes.size() - 1);
    }
    int NewSlot() { return PointerSlots++; }
    TGuard& Guard(TGuard::TKind Kind, int Table, int Index);
    std::optional<int> Operand(const TInstruction& Instruction, int Table);
    bool Callback(TGuard::TKind Kind, int Index, TBuiltin& Builtin);
    std::optional<int> Call(const TEquation& Caller, const TInstruction& Instruction,
                            std::vector<int>& Stack, int Depth);

    const TzoZezoEvaluator& FEvaluator;
    std::vector<const TEquation*> FChain; // the equations being inlined, outermost first
};

TGuard& TTreeBuilder::Guard(TGuard::TKind Kind, int Table, int Index) {
    for (TGuard& Existing : Guards)
        if (Existing.Kind == Kind && Existing.Table == Table && Existing.Index == Index)
            return Existing;
    Guards.push_back({Kind, Table, Index});
    return Guards.back();
}

std::optional<int> TTreeBuilder::Operand(const TInstruction& Instruction, int Table) {
    TNode Node = NodeOf(nkLiteral);
    switch (Instruction.Kind) {
    case opRealNum: Node.Re = Instruction.Value; break;
    case opImaginaryNum: Node.Im = Instruction.Value; break;
    case opConstant: {
        if (!FEvaluator.Constants().GetConstant(Instruction.Index)) return std::nullopt;
        TGuard& G = Guard(TGuard::Constant, 0, Instruction.Index);
        if (G.Slot < 0) G.Slot = NewSlot();
        Node.Kind = nkConstant;
        Node.Slot = G.Slot;
        break;
    }
    case opVariable: {
        const TVariable* V = FEvaluator.Variables().GetVariable(Instruction.Index);
        if (!V) return std::nullopt;
        TGuard& G = Guard(TGuard::Variable, 0, Instruction.Index);
        if (G.ReSlot < 0 && G.ImSlot < 0 && !G.ReNull && !G.ImNull) {
            G.ReNull = !V->RePtr;
            G.ImNull = !V->ImPtr;
            if (!G.ReNull) G.ReSlot = NewSlot();
            if (!G.ImNull) G.ImSlot = NewSlot();
        }
        Node.Kind = nkVariable;
        Node.ReSlot = G.ReSlot;
        Node.ImSlot = G.ImSlot;
        break;
    }
    default: { // opLocalVar
        TGuard& G = Guard(TGuard::Parameter, Table, Instruction.Index);
        if (G.Slot < 0) G.Slot = NewSlot();
        Node.Kind = nkParameter;
        Node.Slot = G.Slot;
        Node.Table = Table;
        Node.Index = Instruction.Index;
    }
    }
    return Add(Node);
}

// Whether the entry holds a built-in that native code runs in place; guards it when it does.
bool TTreeBuilder::Callback(TGuard::TKind Kind, int Index, TBuiltin& Builtin) {
    const bool IsOperator = Kind == TGuard::Operator;
    Builtin = BuiltinOf(FEvaluator, IsOperator ? opOperator : opFunction, Index);
    if (Builtin == biNone) return false;
    TGuard& G = Guard(Kind, 0, Index);
    const TBuiltinCallback& Known = BuiltinCallbacks[Builtin];
    G.Callback = IsOperator ? reinterpret_cast<std::uintptr_t>(Known.Operator)
                            : reinterpret_cast<std::uintptr_t>(Known.Function);
    return true;
}

std::optional<int> TTreeBuilder::Call(const TEquation& Caller, const TInstruction& Instruction,
                                      std::vector<int>& Stack, int Depth) {
    const TEquation* Callee = Caller.Owner()->GetEquation(Instruction.Index);
    if (!Callee || !Callee->Checked() || Callee->ErrorCode() != 0 ||
        Callee->LocalConstants().Count() != Instruction.Args || Depth >= MaxInlineDepth ||
        Stack.size() < Instruction.Args)
        return std::nullopt;
    for (const TEquation* Running : FChain)
        if (Running == Callee) return std::nullopt; // recursion: its parameters are shared
    int Position = -1;
    for (std::size_t K = 0; K < Callees.size(); ++K)
        if (Callees[K].Equation == Callee) Position = static_cast<int>(K);
    if (Position < 0) {
        if (Callees.size() == MaxCallees) return std::nullopt;
        Callees.push_back({Callee, Instruction.Index, TNativeCode::VersionOf(*Callee),
                           Callee->LocalConstants().Count()});
        Position = static_cast<int>(Callees.size() - 1);
    }
    TNode Node = NodeOf(nkCall);
    Node.Callee = Position;
    Node.Args.assign(Stack.end() - Instruction.Args, Stack.end());
    Stack.resize(Stack.size() - Instruction.Args);
    // Every parameter is read through a pointer that the prologue fetches.
    for (int K = 0; K < Instruction.Args; ++K) {
        TGuard& G = Guard(TGuard::Parameter, Position + 1, K);
        if (G.Slot < 0) G.Slot = NewSlot();
    }
    const std::optional<int> Body = Build(*Callee, Position + 1, Depth + 1);
    if (!Body) return std::nullopt;
    Node.Body = *Body;
    ++Runs;
    return Add(Node);
}

std::optional<int> TTreeBuilder::Build(const TEquation& Equation, int Table, int Depth) {
    FChain.push_back(&Equation);
    std::vector<int> Stack;
    for (const TInstruction& Instruction : Equation.Instructions()) {
        if (Nodes.size() >= MaxNodes) return std::nullopt;
        switch (Instruction.Kind) {
        case opOperator: {
            TNode Node = NodeOf(nkBinary);
            if (Stack.size() < 2 || !Callback(TGuard::Operator, Instruction.Index, Node.Builtin))
                return std::nullopt;
            Node.B = Stack.back();
            Stack.pop_back();
            Node.A = Stack.back();
            Stack.pop_back();
            if (Node.Builtin == biPower) {
                const TNode& Exponent = Nodes[static_cast<std::size_t>(Node.B)];
                const long double E = Exponent.Re;
                if (Exponent.Kind != nkLiteral || Exponent.Im != 0 || !(E >= 0) ||
                    E > steps::MaxWholePower || E != static_cast<int>(E))
                    return std::nullopt;
                Node.Kind = nkPower;
                Node.Exponent = static_cast<int>(E);
            }
            Stack.push_back(Add(Node));
            break;
        }
        case opFunction: {
            TNode Node = NodeOf(nkFunction);
            if (Stack.empty() || Instruction.Arity != 1 || Instruction.Args != 1 ||
                !Callback(TGuard::Function, Instruction.Index, Node.Builtin))
                return std::nullopt;
            if (Node.Builtin == biNeg) Node.Kind = nkNegate;
            Node.A = Stack.back();
            Stack.back() = Add(Node);
            break;
        }
        case opLocalFunction: {
            const std::optional<int> Called = Call(Equation, Instruction, Stack, Depth);
            if (!Called) return std::nullopt;
            Stack.push_back(*Called);
            break;
        }
        default: {
            const std::optional<int> Leaf = Operand(Instruction, Table);
            if (!Leaf) return std::nullopt;
            Stack.push_back(*Leaf);
        }
        }
    }
    FChain.pop_back();
    if (Stack.size() != 1) return std::nullopt;
    return Stack.back();
}

// --- the x87 register stack ------------------------------------------------------------

// Where a symbol's value is: in a register, or somewhere an instruction can load it from.
struct TSymbol {
    enum TWhere : std::uint8_t { Register, Zero, One, Literal, Cell, Spilled } Where;
    // For a symbol in a register: where its value lives besides, so that evicting it costs no
    // store (Register for none).
    TWhere Home = Register;
    bool Quiet = false;    // the result of x87 arithmetic, so never a signalling NaN
    long double Value = 0; // Literal
    int Slot = -1;         // Cell: the pointer slot; Spilled: the spill slot
    std::int32_t Disp = 0; // Cell: the offset from the pointer
};

struct TValue {
    int Re, Im;
};

class TGenerationFailed {};

// Emits the tree's code onto the x87 register stack, spilling what does not fit.
class TGenerator {
public:
    TGenerator(TAssembler& Asm, const TTreeBuilder& Tree, int PointerSlots)
        : FAsm(Asm), FTree(Tree), FPointerBytes(8 * PointerSlots),
          FCallsHelper(Tree.Nodes.size(), -1) {}

    TValue Generate(int Node);
    // Leaves Re in st0 and Im at [rbx + ImOffset] (when the int at WantImOffset is not 0), the
    // stack otherwise empty.
    void Return(TValue Value, std::int32_t ImOffset, std::int32_t WantImOffset);
    // The label that empties a register stack Depth deep and declines.
    TAssembler::TLabel Decline() { return DeclineAt(static_cast<int>(FStack.size())); }
    TAssembler::TLabel DeclineAt(int Depth);
    void EmitDeclines(std::int32_t DeclinedOffset, std::int32_t FrameBytes);
    std::int32_t FrameBytes() const { return (FPointerBytes + 16 * FSpillSlots + 15) / 16 * 16; }
    std::int32_t PointerDisp(int Slot) const { return 8 * Slot; }

private:
    int NewSymbol(TSymbol Symbol) {
        FSymbols.push_back(Symbol);
        return static_cast<int>(FSymbols.size() - 1);
    }
    int Source(TSymbol::TWhere Where, long double Value = 0) {
        TSymbol S{Where};
        S.Value = Value;
        return NewSymbol(S);
    }
    int CellSymbol(int Slot, std::int32_t Disp) {
        if (Slot < 0) return Source(TSymbol::Zero); // a missing cell reads as 0
        TSymbol S{TSymbol::Cell};
        S.Slot = Slot;
        S.Disp = Disp;
        return NewSymbol(S);
    }
    int Position(int Symbol) const;
    void Pushed(int Symbol) {
        if (FStack.size() == Registers) throw TGenerationFailed();
        FStack.push_back(Symbol);
        FSymbols[static_cast<std::size_t>(Symbol)].Where = TSymbol::Register;
    }
    void Popped() { FStack.pop_back(); }
    void MakeRoom();
    void Evict(int Symbol);
    void EvictAll();
    int SpillSlot();
    std::int32_t SpillDisp(int Slot) const { return FPointerBytes + 16 * Slot; }
    void Release(int Symbol);
    int LoadCopy(int Symbol);
    int ToTop(int Symbol, bool Kill);
    void Exchange(int I);
    void Drop(int Symbol, bool Forgetting = true);
    void Forget(int Symbol);
    void PopTo(TGpr Base, std::int32_t Disp);
    void Materialize(int Symbol);
    void EmitLoad(int Symbol);
    int Arith(TArith Op, int A, int B, bool KillA, bool KillB);
    int Folded(TArith Op, int A, int B, bool KillA, bool KillB);
    int Computed(TArith Op, int A, int B, bool KillA, bool KillB);
    void Compare(int Below, bool KillBelow, int Top, bool KillTop);
    void RequireReal(int Im, bool Kill);
    int Truth(TCondition Condition);

    TValue Leaf(const TNode& Node);
    TValue Parameter(const TNode& Node);
    void StoreInto(int Part, TGpr Base, std::int32_t Disp, bool Kill);
    int Uses(int Node, int Table, int Index) const;
    TValue Binary(const TNode& Node);
    bool CallsHelper(int Node);
    TValue Arithmetic(TBuiltin Builtin, TValue A, TValue B);
    TValue Comparison(TBuiltin Builtin, TValue A, TValue B);
    TValue Power(const TNode& Node);
    TValue Negate(const TNode& Node);
    TValue Function(const TNode& Node);
    TValue SquareRoot(const TNode& Node);
    TValue Call(const TNode& Node);
    void NonZero(int Part, TGpr Into);

    TAssembler& FAsm;
    const TTreeBuilder& FTree;
    const std::int32_t FPointerBytes;
    std::vector<TSymbol> FSymbols;
    std::vector<int> FStack; // FStack.back() is st0
    std::vector<int> FPins;  // symbols MakeRoom must not evict
    std::vector<int> FFreeSlots;
    int FSpillSlots = 0;
    std::vector<std::pair<int, TAssembler::TLabel>> FDeclines;
    // The argument values of the calls being generated, by callee and parameter, and how many
    // of the body's reads of each are still to come.
    struct TBinding {
        TValue Value;
        int Uses;
    };
    std::vector<std::vector<TBinding>> FBindings;
    std::vector<std::int8_t> FCallsHelper; // by node: -1 not known yet, else CallsHelper
};

int TGenerator::Position(int Symbol) const {
    for (std::size_t I = 0; I < FStack.size(); ++I)
        if (FStack[FStack.size() - 1 - I] == Symbol) return static_cast<int>(I);
    return -1;
}

int TGenerator::SpillSlot() {
    if (!FFreeSlots.empty()) {
        const int Slot = FFreeSlots.back();
        FFreeSlots.pop_back();
        return Slot;
    }
    if (FSpillSlots == 1024) throw TGenerationFailed();
    return FSpillSlots++;
}

void TGenerator::Exchange(int I) {
    if (I == 0) return;
    FAsm.Fxch(I);
    std::swap(FStack.back(), FStack[FStack.size() - 1 - static_cast<std::size_t>(I)]);
}

// Frees a symbol's register: it goes back to where else it lives, or into a spill slot.
void TGenerator::Evict(int Symbol) {
    TSymbol& S = FSymbols[static_cast<std::size_t>(Symbol)];
    if (S.Home != TSymbol::Register) {
        const TSymbol::TWhere Home = S.Home;
        Drop(Symbol, false);
        S.Where = Home;
        return;
    }
    Exchange(Position(Symbol));
    const int Slot = SpillSlot();
    FAsm.Fstp(rsp, SpillDisp(Slot));
    Popped();
    S.Where = TSymbol::Spilled;
    S.Slot = Slot;
}

void TGenerator::EvictAll() {
    while (!FStack.empty())
        Evict(FStack.back());
}

// Frees a register for the next push, evicting the deepest symbol not in use.
void TGenerator::MakeRoom() {
    if (FStack.size() < Registers) return;
    for (const int Symbol : FStack) // deepest first
        if (std::find(FPins.begin(), FPins.end(), Symbol) == FPins.end()) return Evict(Symbol);
    throw TGenerationFailed();
}

// Stores st0 at [Base + Disp] and pops it.
void TGenerator::PopTo(TGpr Base, std::int32_t Disp) {
    const int Top = FStack.back();
    FAsm.Fstp(Base, Disp);
    Popped();
    Forget(Top);
}

// Forgets a symbol that has been used for the last time, wherever it is.
void TGenerator::Release(int Symbol) {
    if (FSymbols[static_cast<std::size_t>(Symbol)].Where == TSymbol::Register) return Drop(Symbol);
    Forget(Symbol);
}

// Marks a symbol gone, giving its spill slot back.
void TGenerator::Forget(int Symbol) {
    TSymbol& S = FSymbols[static_cast<std::size_t>(Symbol)];
    if (S.Where == TSymbol::Spilled || S.Home == TSymbol::Spilled) FFreeSlots.push_back(S.Slot);
    S.Where = TSymbol::Zero;
    S.Home = TSymbol::Register;
}

// Loads a symbol that is not in a register into the register it keeps from now on, when it is
// worth keeping there: one that lives in memory and will be read again.
void TGenerator::Materialize(int Symbol) {
    TSymbol& S = FSymbols[static_cast<std::size_t>(Symbol)];
    if (S.Where == TSymbol::Register || S.Where == TSymbol::Zero || S.Where == TSymbol::One) return;
    FPins.push_back(Symbol);
    MakeRoom();
    FPins.pop_back();
    EmitLoad(Symbol);
    const TSymbol::TWhere Home = S.Where;
    Pushed(Symbol);
    FSymbols[static_cast<std::size_t>(Symbol)].Home = Home;
}

// Pushes a copy of the symbol onto the register stack; returns the copy.
int TGenerator::LoadCopy(int Symbol) {
    FPins.push_back(Symbol);
    MakeRoom();
    FPins.pop_back();
    EmitLoad(Symbol);
    const int Copy = Source(TSymbol::Register);
    Pushed(Copy);
    return Copy;
}

// The instruction that pushes the symbol's value.
void TGenerator::EmitLoad(int Symbol) {
    const TSymbol S = FSymbols[static_cast<std::size_t>(Symbol)];
    switch (S.Where) {
    case TSymbol::Register: FAsm.FldSt(Position(Symbol)); break;
    case TSymbol::Zero: FAsm.Fldz(); break;
    case TSymbol::One: FAsm.Fld1(); break;
    case TSymbol::Literal: FAsm.FldLiteral(S.Value); break;
    case TSymbol::Cell: // through rdi: al, cl and dl may hold truth values
        FAsm.Load(rdi, rsp, PointerDisp(S.Slot));
        FAsm.Fld(rdi, S.Disp);
        break;
    case TSymbol::Spilled: FAsm.Fld(rsp, SpillDisp(S.Slot)); break;
    }
}

// Brings the symbol to st0: itself when it is used for the last time and in a register, a copy
// otherwise. Returns the symbol now in st0.
int TGenerator::ToTop(int Symbol, bool Kill) {
    if (Kill && FSymbols[static_cast<std::size_t>(Symbol)].Where == TSymbol::Register) {
        Exchange(Position(Symbol));
        return Symbol;
    }
    if (!Kill) Materialize(Symbol);
    const int Copy = LoadCopy(Symbol);
    if (Kill) Release(Symbol);
    return Copy;
}

// Takes the symbol off the register stack; forgets it too unless Forgetting is false.
void TGenerator::Drop(int Symbol, bool Forgetting) {
    const int I = Position(Symbol);
    FAsm.FstpSt(I); // st0 moves into st(I), which is popped
    if (I > 0) FStack[FStack.size() - 1 - static_cast<std::size_t>(I)] = FStack.back();
    Popped();
    if (Forgetting) Forget(Symbol);
}

// A Op B as a new symbol. KillA and KillB say that the operand is not used again.
// The value of a symbol known when translating: Zero, One and Literal.
std::optional<long double> KnownValue(const TSymbol& S) {
    switch (S.Where) {
    case TSymbol::Zero: return 0.0L;
    case TSymbol::One: return 1.0L;
    case TSymbol::Literal: return S.Value;
    default: return std::nullopt;
    }
}

// A Op B worked out while translating, where that gives the bits the operation would give:
// both operands known (the arithmetic is the x87's either way), or an identity that holds for
// every value but a signalling NaN, applied to a result of arithmetic, which is never one:
// Q - (+0) and Q * 1, Q / 1, 1 * Q are Q. (Q + (+0) is not: it makes -0 into +0.) -1 when
// nothing folds.
int TGenerator::Folded(TArith Op, int A, int B, bool KillA, bool KillB) {
    const TSymbol &SA = FSymbols[static_cast<std::size_t>(A)],
                  &SB = FSymbols[static_cast<std::size_t>(B)];
    const std::optional<long double> VA = KnownValue(SA), VB = KnownValue(SB);
    if (VA && VB && Op != faDiv) {
        const long double V = Op == faAdd ? *VA + *VB : Op == faSub ? *VA - *VB : *VA * *VB;
        if (KillA) Release(A);
        if (KillB) Release(B);
        if (V == 0 && !std::signbit(V)) return Source(TSymbol::Zero);
        return V == 1 ? Source(TSymbol::One) : Source(TSymbol::Literal, V);
    }
    auto Keeps = [&](const TSymbol& Q, int Kept, bool KillKept, int Other, bool KillOther) {
        if (!Q.Quiet || !KillKept) return -1;
        if (KillOther) Release(Other);
        return Kept;
    };
    if ((Op == faSub && SB.Where == TSymbol::Zero) ||
        ((Op == faMul || Op == faDiv) && SB.Where == TSymbol::One))
        return Keeps(SA, A, KillA, B, KillB);
    if (Op == faMul && SA.Where == TSymbol::One) return Keeps(SB, B, KillB, A, KillA);
    return -1;
}

int TGenerator::Arith(TArith Op, int A, int B, bool KillA, bool KillB) {
    if (A != B)
        if (const int Result = Folded(Op, A, B, KillA, KillB); Result >= 0) return Result;
    const int Result = Computed(Op, A, B, KillA, KillB);
    FSymbols[static_cast<std::size_t>(Result)].Quiet = true;
    return Result;
}

int TGenerator::Computed(TArith Op, int A, int B, bool KillA, bool KillB) {
    FPins = {A, B};
    if (A == B) {
        const int T = ToTop(A, KillA && KillB);
        FAsm.ArithToTop(Op, 0, false);
        if (KillA != KillB) throw TGenerationFailed();
        FPins.clear();
        return T;
    }
    if (!KillA) Materialize(A);
    if (FSymbols[static_cast<std::size_t>(A)].Where != TSymbol::Register) {
        const int Copy = LoadCopy(A);
        if (KillA) Release(A);
        A = Copy;
        KillA = true;
        FPins = {A, B};
    }
    if (!KillB) Materialize(B);
    if (FSymbols[static_cast<std::size_t>(B)].Where != TSymbol::Register) {
        const int Copy = LoadCopy(B);
        if (KillB) Release(B);
        B = Copy;
        KillB = true;
    }
    FPins.clear();
    int IA = Position(A), IB = Position(B);
    if (IA != 0 && IB != 0) {
        if (KillA) {
            Exchange(IA);
        } else if (KillB) {
            Exchange(IB);
        } else {
            FPins = {A, B};
            A = LoadCopy(A);
            KillA = true;
            FPins.clear();
        }
        IA = Position(A);
        IB = Position(B);
    }
    const int Result = Source(TSymbol::Register);
    auto Replace = [&](int Old) {
        FStack[FStack.size() - 1 - static_cast<std::size_t>(Position(Old))] = Result;
        Forget(Old);
    };
    if (IA == 0) {
        if (!KillA && !KillB) {
            FPins = {A, B};
            A = LoadCopy(A);
            FPins.clear();
            KillA = true;
            IB = Position(B);
        }
        if (KillA && KillB) { // st(iB) := st0 op st(iB), pop
            FAsm.ArithToOther(Op, IB, true, true);
            Replace(B);
            Popped();
            Forget(A);
        } else if (KillA) { // st0 := st0 op st(iB)
            FAsm.ArithToTop(Op, IB, false);
            Replace(A);
        } else { // st(iB) := st0 op st(iB)
            FAsm.ArithToOther(Op, IB, true, false);
            Replace(B);
        }
    } else {
        if (!KillA && !KillB) {
            FPins = {A, B};
            B = LoadCopy(B);
            FPins.clear();
            KillB = true;
            IA = Position(A);
        }
        if (KillA && KillB) { // st(iA) := st(iA) op st0, pop
            FAsm.ArithToOther(Op, IA, false, true);
            Replace(A);
            Popped();
            Forget(B);
        } else if (KillB) { // st0 := st(iA) op st0
            FAsm.ArithToTop(Op, IA, true);
            Replace(B);
        } else { // st(iA) := st(iA) op st0
            FAsm.ArithToOther(Op, IA, false, false);
            Replace(A);
        }
    }
    return Result;
}

// Sets the flags as fucomip does for Top compared with Below (st0 with st(i)), both gone from
// the stack afterwards unless they are kept (not killed) where they were.
void TGenerator::Compare(int Below, bool KillBelow, int Top, bool KillTop) {
    FPins = {Below, Top};
    const int B = ToTop(Below, KillBelow);
    FPins = {B, Top};
    const int T = ToTop(Top, KillTop);
    FPins.clear();
    FAsm.Fucomip(Position(B));
    Popped();
    Forget(T);
    Drop(B);
}

// Declines unless Im is zero: the operand is real. A part known to be +0 needs no test.
void TGenerator::RequireReal(int Im, bool Kill) {
    if (FSymbols[static_cast<std::size_t>(Im)].Where == TSymbol::Zero) {
        if (Kill) Release(Im);
        return;
    }
    const int Zero = Source(TSymbol::Zero);
    Compare(Zero, true, Im, Kill);
    FAsm.Jump(ccNotEqual, Decline());
    FAsm.Jump(ccParity, Decline());
}

// Pushes 1 when the condition holds on al, else 0.
int TGenerator::Truth(TCondition Condition) {
    MakeRoom();
    const TAssembler::TLabel Zero = FAsm.NewLabel(), Done = FAsm.NewLabel();
    FAsm.Jump(Condition == ccNotEqual ? ccEqual : ccNotEqual, Zero);
    FAsm.Fld1();
    FAsm.Jump(Done);
    FAsm.Bind(Zero);
    FAsm.Fldz();
    FAsm.Bind(Done);
    const int Result = Source(TSymbol::Register);
    Pushed(Result);
    FSymbols[static_cast<std::size_t>(Result)].Quiet = true;
    return Result;
}

TValue TGenerator::Leaf(const TNode& Node) {
    switch (Node.Kind) {
    case nkLiteral: {
        auto Part = [&](long double V) {
            if (V == 0 && !std::signbit(V)) return Source(TSymbol::Zero);
            if (V == 1) return Source(TSymbol::One);
            return Source(TSymbol::Literal, V);
        };
        return {Part(Node.Re), Part(Node.Im)};
    }
    case nkVariable: return {CellSymbol(Node.ReSlot, 0), CellSymbol(Node.ImSlot, 0)};
    case nkParameter:
        if (Node.Table > 0) return Parameter(Node);
        [[fallthrough]];
    default: { // constants and parameters: the entry's Re and Im
        static const TConstant Probe(nullptr, "", {});
        return {CellSymbol(Node.Slot, OffsetIn(Probe, Probe.Re)),
                CellSymbol(Node.Slot, OffsetIn(Probe, Probe.Im))};
    }
    }
}

TValue TGenerator::Arithmetic(TBuiltin Builtin, TValue A, TValue B) {
    switch (Builtin) {
    case biAdd: return {Arith(faAdd, A.Re, B.Re, true, true), Arith(faAdd, A.Im, B.Im, true, true)};
    case biSubtract:
        return {Arith(faSub, A.Re, B.Re, true, true), Arith(faSub, A.Im, B.Im, true, true)};
    case biMultiply: { // {A.Re * B.Re - A.Im * B.Im, A.Im * B.Re + A.Re * B.Im}
        const int RR = Arith(faMul, A.Re, B.Re, false, false);
        const int II = Arith(faMul, A.Im, B.Im, false, false);
        const int Re = Arith(faSub, RR, II, true, true);
        const int IR = Arith(faMul, A.Im, B.Re, true, true);
        const int RI = Arith(faMul, A.Re, B.Im, true, true);
        return {Re, Arith(faAdd, IR, RI, true, true)};
    }
    default: { // biDivide: D = B.Re * B.Re + B.Im * B.Im;
               // {(A.Im * B.Im + A.Re * B.Re) / D, (B.Re * A.Im - A.Re * B.Im) / D}
        const int D = Arith(faAdd, Arith(faMul, B.Re, B.Re, false, false),
                            Arith(faMul, B.Im, B.Im, false, false), true, true);
        const int II = Arith(faMul, A.Im, B.Im, false, false);
        const int RR = Arith(faMul, A.Re, B.Re, false, false);
        const int Re = Arith(faDiv, Arith(faAdd, II, RR, true, true), D, true, false);
        const int RI = Arith(faMul, B.Re, A.Im, true, true);
        const int IR = Arith(faMul, A.Re, B.Im, true, true);
        return {Re, Arith(faDiv, Arith(faSub, RI, IR, true, true), D, true, true)};
    }
    }
}

// al := Part != 0 (true for a NaN), into the byte register Into.
void TGenerator::NonZero(int Part, TGpr Into) {
    Compare(Source(TSymbol::Zero), true, Part, true);
    FAsm.Set(ccNotEqual, Into);
    FAsm.Set(ccParity, rdx);
    FAsm.OrBytes(Into, rdx);
}

TValue TGenerator::Comparison(TBuiltin Builtin, TValue A, TValue B) {
    if (Builtin == biEqual || Builtin == biNotEqual) { // both parts, complex operands too
        const bool Equal = Builtin == biEqual;
        auto Combine = [&](TGpr Into, TGpr From) {
            Equal ? FAsm.AndBytes(Into, From) : FAsm.OrBytes(Into, From);
        };
        auto Parts = [&](int X, int Y, TGpr Into) {
            Compare(Y, true, X, true);
            FAsm.Set(Equal ? ccEqual : ccNotEqual, Into);
            FAsm.Set(Equal ? ccNoParity : ccParity, rdx);
            Combine(Into, rdx);
        };
        Parts(A.Re, B.Re, rax);
        Parts(A.Im, B.Im, rcx);
        Combine(rax, rcx);
        FAsm.TestByte(rax);
        return {Truth(ccNotEqual), Source(TSymbol::Zero)};
    }
    RequireReal(A.Im, true); // the others take real operands only
    RequireReal(B.Im, true);
    switch (Builtin) {
    case biGreater:
        Compare(B.Re, true, A.Re, true);
        FAsm.Set(ccAbove, rax);
        break;
    case biLess:
        Compare(A.Re, true, B.Re, true);
        FAsm.Set(ccAbove, rax);
        break;
    case biGreaterEqual:
        Compare(B.Re, true, A.Re, true);
        FAsm.Set(ccAboveEqual, rax);
        break;
    case biLessEqual:
        Compare(A.Re, true, B.Re, true);
        FAsm.Set(ccAboveEqual, rax);
        break;
    default: { // and, or, xor of A.Re != 0 and B.Re != 0
        NonZero(A.Re, rax);
        NonZero(B.Re, rcx);
        if (Builtin == biAnd) FAsm.AndBytes(rax, rcx);
        if (Builtin == biOr) FAsm.OrBytes(rax, rcx);
        if (Builtin == biXor) FAsm.XorBytes(rax, rcx);
    }
    }
    FAsm.TestByte(rax);
    return {Truth(ccNotEqual), Source(TSymbol::Zero)};
}

// Whether the tree under Node calls a helper, which empties the register stack.
bool TGenerator::CallsHelper(int Node) {
    std::int8_t& Known = FCallsHelper[static_cast<std::size_t>(Node)];
    if (Known < 0) {
        const TNode& N = FTree.Nodes[static_cast<std::size_t>(Node)];
        bool Calls = N.Kind == nkFunction && N.Builtin != biSqrt;
        for (const int Child : {N.A, N.B, N.Body})
            Calls = Calls || (Child >= 0 && CallsHelper(Child));
        for (const int Arg : N.Args)
            Calls = Calls || CallsHelper(Arg);
        Known = Calls;
    }
    return Known != 0;
}

// The operand that calls a helper goes first, so that the other one is not pending in the
// registers meanwhile, to be stored and loaded again; the values are the same in either order.
TValue TGenerator::Binary(const TNode& Node) {
    TValue A, B;
    if (CallsHelper(Node.B) && !CallsHelper(Node.A)) {
        B = Generate(Node.B);
        A = Generate(Node.A);
    } else {
        A = Generate(Node.A);
        B = Generate(Node.B);
    }
    switch (Node.Builtin) {
    case biAdd:
    case biSubtract:
    case biMultiply:
    case biDivide: return Arithmetic(Node.Builtin, A, B);
    default: return Comparison(Node.Builtin, A, B);
    }
}

// A real base to a whole literal exponent: IntPower's square-and-multiply, its first product
// with 1 left out as the compiler leaves it out.
TValue TGenerator::Power(const TNode& Node) {
    const TValue Base = Generate(Node.A);
    RequireReal(Base.Im, true);
    if (Node.Exponent == 0) {
        Release(Base.Re);
        return {Source(TSymbol::One), Source(TSymbol::Zero)};
    }
    int Square = Base.Re, Result = -1;
    for (int N = Node.Exponent; N != 0; N >>= 1) {
        const bool More = (N >> 1) != 0;
        if (N & 1) {
            if (Result < 0)
                Result = More ? LoadCopy(Square) : Square;
            else
                Result = Arith(faMul, Result, Square, true, !More);
        }
        if (More) Square = Arith(faMul, Square, Square, true, true);
    }
    return {Result, Source(TSymbol::Zero)};
}

TValue TGenerator::Negate(const TNode& Node) {
    const TValue Z = Generate(Node.A);
    const int Re = ToTop(Z.Re, true);
    FAsm.Fchs();
    FPins = {Re};
    const int Im = ToTop(Z.Im, true);
    FPins.clear();
    FAsm.Fchs();
    return {Re, Im};
}

// The built-in functions, called from native code with the argument in memory: in place where
// the engine runs them in place, through the callback otherwise. False when the callback
// threw: native code cannot pass an exception on, so the interpreter computes again and
// throws it.
template <TBuiltin Builtin>
bool InPlace(TComplex* Z) {
    TComplex Result;
    if (!fast::Function(Builtin, *Z, Result)) try {
            Result = BuiltinCallbacks[Builtin].Function(std::span<const TComplex>(Z, 1));
        } catch (...) {
            return false;
        }
    fast::Assign(*Z, Result);
    return true;
}

using THelper = bool (*)(TComplex*);

THelper HelperOf(TBuiltin Builtin) {
    switch (Builtin) {
    case biExp: return InPlace<biExp>;
    case biSin: return InPlace<biSin>;
    case biCos: return InPlace<biCos>;
    case biTan: return InPlace<biTan>;
    case biSqrt: return InPlace<biSqrt>;
    case biATan: return InPlace<biATan>;
    default: throw TGenerationFailed();
    }
}

// The square root of a positive real in place (fsqrt rounds as sqrtl does); anything else
// declines.
TValue TGenerator::SquareRoot(const TNode& Node) {
    const TValue Z = Generate(Node.A);
    RequireReal(Z.Im, true);
    const int Zero = Source(TSymbol::Zero);
    FPins = {Z.Re};
    Compare(Zero, true, Z.Re, false); // Z.Re > 0
    FPins.clear();
    FAsm.Jump(ccBelowEqual, Decline());
    const int Re = ToTop(Z.Re, true);
    FAsm.Fsqrt();
    FSymbols[static_cast<std::size_t>(Re)].Quiet = true;
    return {Re, Source(TSymbol::Zero)};
}

// A call follows the ABI: the register stack is empty, every value in memory.
TValue TGenerator::Function(const TNode& Node) {
    if (Node.Builtin == biSqrt) return SquareRoot(Node);
    const THelper Helper = HelperOf(Node.Builtin);
    const TValue Z = Generate(Node.A);
    int Slot = FSpillSlots; // two slots in a row: the TComplex the helper reads and writes
    FSpillSlots += 2;
    ToTop(Z.Re, true);
    PopTo(rsp, SpillDisp(Slot));
    ToTop(Z.Im, true);
    PopTo(rsp, SpillDisp(Slot + 1));
    EvictAll();
    FAsm.Lea(rdi, rsp, SpillDisp(Slot));
    FAsm.MovImm(rax, reinterpret_cast<std::uint64_t>(Helper));
    FAsm.CallReg(rax);
    FAsm.TestByte(rax);
    FAsm.Jump(ccEqual, Decline());
    TSymbol Re{TSymbol::Spilled}, Im{TSymbol::Spilled};
    Re.Slot = Slot;
    Im.Slot = Slot + 1;
    return {NewSymbol(Re), NewSymbol(Im)};
}

// Stores a copy of Part at [Base + Disp]. An extended real leaves the x87 slowly, so a value
// that is in memory already moves as integers: its ten bytes are copied exactly.
void TGenerator::StoreInto(int Part, TGpr Base, std::int32_t Disp, bool Kill) {
    const TSymbol S = FSymbols[static_cast<std::size_t>(Part)];
    auto CopyFrom = [&](TGpr From, std::int32_t At) {
        FAsm.Load(rcx, From, At);
        FAsm.Store(Base, Disp, rcx);
        FAsm.Load16(rcx, From, At + 8);
        FAsm.Store16(Base, Disp + 8, rcx);
    };
    switch (S.Where) {
    case TSymbol::Zero:
    case TSymbol::One:
    case TSymbol::Literal: {
        const long double Value = S.Where == TSymbol::Literal ? S.Value
                                  : S.Where == TSymbol::One   ? 1.0L
                                                              : 0.0L;
        std::uint64_t Low;
        std::uint16_t High;
        std::memcpy(&Low, &Value, 8);
        std::memcpy(&High, reinterpret_cast<const char*>(&Value) + 8, 2);
        FAsm.MovImm(rcx, Low);
        FAsm.Store(Base, Disp, rcx);
        FAsm.StoreImm16(Base, Disp + 8, High);
        break;
    }
    case TSymbol::Cell:
        FAsm.Load(rdi, rsp, PointerDisp(S.Slot));
        CopyFrom(rdi, S.Disp);
        break;
    case TSymbol::Spilled: CopyFrom(rsp, SpillDisp(S.Slot)); break;
    case TSymbol::Register:
        ToTop(Part, Kill);
        PopTo(Base, Disp);
        return;
    }
    if (Kill) Release(Part);
}

// A read of a called equation's parameter: the argument's value itself, rather than the copy
// stored in the parameter's entry, which would be read back at once.
TValue TGenerator::Parameter(const TNode& Node) {
    TBinding& Binding =
        FBindings[static_cast<std::size_t>(Node.Table)][static_cast<std::size_t>(Node.Index)];
    if (--Binding.Uses == 0) return Binding.Value;
    const int Re = LoadCopy(Binding.Value.Re);
    FPins = {Re};
    const int Im = LoadCopy(Binding.Value.Im);
    FPins.clear();
    return {Re, Im};
}

// How often the tree under Node reads parameter Index of table Table.
int TGenerator::Uses(int Node, int Table, int Index) const {
    const TNode& N = FTree.Nodes[static_cast<std::size_t>(Node)];
    int Count = N.Kind == nkParameter && N.Table == Table && N.Index == Index;
    for (const int Child : {N.A, N.B, N.Body})
        if (Child >= 0) Count += Uses(Child, Table, Index);
    for (const int Arg : N.Args)
        Count += Uses(Arg, Table, Index);
    return Count;
}

// Every argument is computed before any is bound: an argument may call the same equation.
// Each parameter's entry gets its value, as the interpreter leaves it.
TValue TGenerator::Call(const TNode& Node) {
    std::vector<TValue> Args;
    for (const int Arg : Node.Args)
        Args.push_back(Generate(Arg));
    static const TConstant Probe(nullptr, "", {});
    const int Table = Node.Callee + 1;
    if (FBindings.size() <= static_cast<std::size_t>(Table))
        FBindings.resize(static_cast<std::size_t>(Table) + 1);
    std::vector<TBinding>& Bindings = FBindings[static_cast<std::size_t>(Table)];
    Bindings.clear();
    for (std::size_t K = 0; K < Args.size(); ++K) {
        const TGuard* G = nullptr;
        for (const TGuard& Each : FTree.Guards)
            if (Each.Kind == TGuard::Parameter && Each.Table == Table &&
                Each.Index == static_cast<int>(K))
                G = &Each;
        const int Uses = this->Uses(Node.Body, Table, static_cast<int>(K));
        for (const bool Real : {true, false}) {
            FAsm.Load(rax, rsp, PointerDisp(G->Slot));
            StoreInto(Real ? Args[K].Re : Args[K].Im, rax,
                      Real ? OffsetIn(Probe, Probe.Re) : OffsetIn(Probe, Probe.Im), Uses == 0);
        }
        Bindings.push_back({Args[K], Uses});
    }
    return Generate(Node.Body);
}

TValue TGenerator::Generate(int Index) {
    const TNode& Node = FTree.Nodes[static_cast<std::size_t>(Index)];
    switch (Node.Kind) {
    case nkBinary: return Binary(Node);
    case nkPower: return Power(Node);
    case nkNegate: return Negate(Node);
    case nkFunction: return Function(Node);
    case nkCall: return Call(Node);
    default: return Leaf(Node);
    }
}

void TGenerator::Return(TValue Value, std::int32_t ImOffset, std::int32_t WantImOffset) {
    if (FSymbols[static_cast<std::size_t>(Value.Im)].Where == TSymbol::Register) {
        const TAssembler::TLabel Unwanted = FAsm.NewLabel(), Done = FAsm.NewLabel();
        ToTop(Value.Im, true);
        FAsm.CmpMem32Imm(rbx, WantImOffset, 0);
        FAsm.Jump(ccEqual, Unwanted);
        FAsm.Fstp(rbx, ImOffset);
        FAsm.Jump(Done);
        FAsm.Bind(Unwanted);
        FAsm.FstpSt(0);
        FAsm.Bind(Done);
        Forget(FStack.back());
        Popped();
    } else {
        StoreInto(Value.Im, rbx, ImOffset, true);
    }
    ToTop(Value.Re, true);
    if (FStack.size() != 1) throw TGenerationFailed(); // a value left behind: a fault here
}

TAssembler::TLabel TGenerator::DeclineAt(int Depth) {
    for (const auto& [D, Label] : FDeclines)
        if (D == Depth) return Label;
    FDeclines.emplace_back(Depth, FAsm.NewLabel());
    return FDeclines.back().second;
}

void TGenerator::EmitDeclines(std::int32_t DeclinedOffset, std::int32_t FrameBytes) {
    for (const auto& [Depth, Label] : FDeclines) {
        FAsm.Bind(Label);
        for (int K = 0; K < Depth; ++K)
            FAsm.FstpSt(0);
        FAsm.Fldz();
        FAsm.StoreImm32(rbx, DeclinedOffset, 1);
        FAsm.AddRsp(FrameBytes);
        FAsm.Pop(rbx);
        FAsm.Ret();
    }
}

// --- the prologue ----------------------------------------------------------------------

// Whether std::vector keeps its begin and end pointers first, as the code reads them.
bool VectorsAsNativeCodeReadsThem() {
    static const bool Holds = [] {
        const std::vector<int*> Probe(2);
        const void* Raw[2];
        std::memcpy(Raw, &Probe, sizeof Raw);
        return sizeof(Probe) == 3 * sizeof(void*) && Raw[0] == Probe.data() &&
               Raw[1] == Probe.data() + 2;
    }();
    return Holds;
}

// Leaves the table kept in the vector at Vector in rsi (its first entry) and rdx (its size in
// bytes).
void LoadTable(TAssembler& Asm, const void* Vector) {
    Asm.MovImm(rcx, reinterpret_cast<std::uintptr_t>(Vector));
    Asm.Load(rsi, rcx, 0);
    Asm.Load(rdx, rcx, 8);
    Asm.SubRegReg(rdx, rsi);
}

// Declines unless each equation the code calls is still the one at its position, with the code
// it was translated against.
void EmitCalleeGuards(TAssembler& Asm, const TTreeBuilder& Tree, const TEquation& Equation,
                      TAssembler::TLabel Decline) {
    if (Tree.Callees.empty()) return;
    int Last = 0;
    for (const TCallee& Callee : Tree.Callees)
        Last = std::max(Last, Callee.Index);
    LoadTable(Asm, &Equation.Owner()->Items());
    Asm.CmpImm(rdx, 8 * Last);
    Asm.Jump(ccBelowEqual, Decline);
    for (const TCallee& Callee : Tree.Callees) {
        const TNativeCode::TEquationLayout Layout = TNativeCode::LayoutOf(*Callee.Equation);
        Asm.Load(rax, rsi, 8 * Callee.Index);
        Asm.MovImm(rcx, reinterpret_cast<std::uintptr_t>(Callee.Equation));
        Asm.CmpRegReg(rax, rcx);
        Asm.Jump(ccNotEqual, Decline);
        Asm.MovImm(rcx, Callee.Version);
        Asm.CmpMem(rax, Layout.Version, rcx);
        Asm.Jump(ccNotEqual, Decline);
        Asm.CmpMem8Imm(rax, Layout.Checked, 1);
        Asm.Jump(ccNotEqual, Decline);
        Asm.CmpMem32Imm(rax, Layout.ErrorCode, 0);
        Asm.Jump(ccNotEqual, Decline);
    }
}

// Checks the entry in rax that guard G names, and leaves the pointers G's slots want.
void EmitEntryGuard(TAssembler& Asm, const TGuard& G, TAssembler::TLabel Decline,
                    const TGenerator& Generator) {
    static const TOperator OperatorProbe(nullptr, "", {});
    static const TFunction FunctionProbe(nullptr, "", {});
    static const TVariable VariableProbe(nullptr, "", {});
    switch (G.Kind) {
    case TGuard::Operator:
    case TGuard::Function: {
        const bool IsOperator = G.Kind == TGuard::Operator;
        Asm.MovImm(rcx, G.Callback);
        Asm.CmpMem(rax,
                   IsOperator ? OffsetIn(OperatorProbe, OperatorProbe.Callback)
                              : OffsetIn(FunctionProbe, FunctionProbe.Callback),
                   rcx);
        Asm.Jump(ccNotEqual, Decline);
        if (!IsOperator) {
            Asm.CmpMem32Imm(rax, OffsetIn(FunctionProbe, FunctionProbe.ParamCount), 1);
            Asm.Jump(ccNotEqual, Decline);
        }
        break;
    }
    case TGuard::Variable:
        for (const bool Real : {true, false}) {
            Asm.Load(rcx, rax,
                     Real ? OffsetIn(VariableProbe, VariableProbe.RePtr)
                          : OffsetIn(VariableProbe, VariableProbe.ImPtr));
            Asm.Test(rcx);
            const bool Null = Real ? G.ReNull : G.ImNull;
            Asm.Jump(Null ? ccNotEqual : ccEqual, Decline);
            if (!Null) Asm.Store(rsp, Generator.PointerDisp(Real ? G.ReSlot : G.ImSlot), rcx);
        }
        break;
    default: Asm.Store(rsp, Generator.PointerDisp(G.Slot), rax);
    }
}

// Checks the entries of one table that the code reads. A called equation's parameter table
// must hold exactly its parameters; any other must reach the last position read.
void EmitTableGuards(TAssembler& Asm, const TTreeBuilder& Tree, TGuard::TKind Kind, int Table,
                     const void* Vector, TAssembler::TLabel Decline, const TGenerator& Generator) {
    std::vector<const TGuard*> Guards;
    int Last = 0;
    for (const TGuard& G : Tree.Guards)
        if (G.Kind == Kind && G.Table == Table) {
            Guards.push_back(&G);
            Last = std::max(Last, G.Index);
        }
    const bool CalleeParameters = Kind == TGuard::Parameter && Table > 0;
    if (Guards.empty() && !CalleeParameters) return;
    LoadTable(Asm, Vector);
    if (CalleeParameters) {
        Asm.CmpImm(rdx, 8 * Tree.Callees[static_cast<std::size_t>(Table - 1)].ParamCount);
        Asm.Jump(ccNotEqual, Decline);
    } else {
        Asm.CmpImm(rdx, 8 * Last);
        Asm.Jump(ccBelowEqual, Decline);
    }
    for (const TGuard* G : Guards) {
        Asm.Load(rax, rsi, 8 * G->Index);
        EmitEntryGuard(Asm, *G, Decline, Generator);
    }
}

void EmitGuards(TAssembler& Asm, const TTreeBuilder& Tree, const TEquation& Equation,
                const TzoZezoEvaluator& Evaluator, TAssembler::TLabel Decline,
                const TGenerator& Generator) {
    EmitCalleeGuards(Asm, Tree, Equation, Decline);
    auto Table = [&](TGuard::TKind Kind, int Index, const void* Vector) {
        EmitTableGuards(Asm, Tree, Kind, Index, Vector, Decline, Generator);
    };
    Table(TGuard::Operator, 0, &Evaluator.Operators().Items());
    Table(TGuard::Function, 0, &Evaluator.Functions().Items());
    Table(TGuard::Constant, 0, &Evaluator.Constants().Items());
    Table(TGuard::Variable, 0, &Evaluator.Variables().Items());
    Table(TGuard::Parameter, 0, &Equation.LocalConstants().Items());
    for (std::size_t K = 0; K < Tree.Callees.size(); ++K)
        Table(TGuard::Parameter, static_cast<int>(K + 1),
              &Tree.Callees[K].Equation->LocalConstants().Items());
}

} // namespace

std::unique_ptr<TNativeCode> TranslateToNative(const TEquation& Equation,
                                               const TzoZezoEvaluator& Evaluator) {
    if (!VectorsAsNativeCodeReadsThem()) return nullptr;
    TTreeBuilder Tree(Evaluator);
    const std::optional<int> Root = Tree.Build(Equation, 0, 0);
    if (!Root) return nullptr;
    TAssembler Asm;
    TGenerator Generator(Asm, Tree, Tree.PointerSlots);
    try {
        Asm.Push(rbx);
        Asm.MovRegReg(rbx, rdi);
        const std::size_t Frame = Asm.SubRsp();
        EmitGuards(Asm, Tree, Equation, Evaluator, Generator.DeclineAt(0), Generator);
        Generator.Return(Generator.Generate(*Root), offsetof(TNativeResult, Im),
                         offsetof(TNativeResult, WantIm));
        const std::int32_t Bytes = Generator.FrameBytes();
        Asm.PatchSubRsp(Frame, Bytes);
        Asm.AddRsp(Bytes);
        Asm.Pop(rbx);
        Asm.Ret();
        Generator.EmitDeclines(offsetof(TNativeResult, Declined), Bytes);
        Asm.EmitLiterals();
        Asm.Finish();
    } catch (const TGenerationFailed&) {
        return nullptr;
    }
    auto Memory = TExecutableMemory::Create(Asm.Code());
    if (!Memory) return nullptr;
    return std::make_unique<TNativeCode>(std::move(Memory), Tree.Runs);
}

#else

std::unique_ptr<TNativeCode> TranslateToNative(const TEquation&, const TzoZezoEvaluator&) {
    return nullptr;
}

#endif

} // namespace zoZezo
