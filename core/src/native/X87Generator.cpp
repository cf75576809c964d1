#include "native/X87Generator.h"

#include "zoZezo/SymbolTable.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <span>

namespace zoZezo::native {

using namespace x87; // the registers, conditions and operations by their short names

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
    return FSpillSlots++;
}

std::int32_t TGenerator::FrameBytes() const {
    const std::int64_t Bytes = FPointerBytes + std::int64_t{16} * FSpillSlots;
    if (Bytes > MaxFrameBytes) Abort(TNativeAbort::SpillOverflow);
    return static_cast<std::int32_t>(Bytes);
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
// Frees a register for the next push: a cell's cached value goes first, then a value that
// lives elsewhere too, then the deepest one, which the computation needs last.
void TGenerator::MakeRoom() {
    if (FStack.size() < Registers) return;
    auto Free = [&](int Symbol) {
        return std::find(FPins.begin(), FPins.end(), Symbol) == FPins.end();
    };
    for (const int Symbol : FStack) // deepest first
        if (Free(Symbol) && FSymbols[static_cast<std::size_t>(Symbol)].Cache) return Drop(Symbol);
    for (const int Symbol : FStack)
        if (Free(Symbol) && FSymbols[static_cast<std::size_t>(Symbol)].Home != TSymbol::Register)
            return Evict(Symbol);
    for (const int Symbol : FStack)
        if (Free(Symbol)) return Evict(Symbol);
    Abort(TNativeAbort::RegisterOverflow);
}

// Counts, for every cell, the leaves of the tree that read it.
void TGenerator::CountCellReads() {
    static const TConstant Probe(nullptr, "", {});
    for (const TNode& Node : FTree.Nodes) {
        if (Node.Kind == nkVariable) {
            if (Node.ReSlot >= 0) ++FCellReads[{Node.ReSlot, 0}];
            if (Node.ImSlot >= 0) ++FCellReads[{Node.ImSlot, 0}];
        }
        if (Node.Kind == nkConstant || (Node.Kind == nkParameter && Node.Table == 0)) {
            ++FCellReads[{Node.Slot, OffsetIn(Probe, Probe.Re)}];
            if (!Node.ImZero) ++FCellReads[{Node.Slot, OffsetIn(Probe, Probe.Im)}];
        }
    }
}

// Counts a leaf's read of its cell once, when it first reads it or goes unread.
void TGenerator::CountRead(int Symbol) {
    TSymbol& S = FSymbols[static_cast<std::size_t>(Symbol)];
    if (S.Where != TSymbol::Cell || S.Counted) return;
    S.Counted = true;
    --FCellReads[{S.Slot, S.Disp}];
}

// A register that holds the cell's value, or -1.
int TGenerator::CachedCell(int Slot, std::int32_t Disp) const {
    for (const int Symbol : FStack) {
        const TSymbol& S = FSymbols[static_cast<std::size_t>(Symbol)];
        if (S.Home == TSymbol::Cell && S.Slot == Slot && S.Disp == Disp) return Symbol;
    }
    return -1;
}

void TGenerator::DropCaches() {
    for (std::size_t I = FStack.size(); I-- > 0;)
        if (FSymbols[static_cast<std::size_t>(FStack[I])].Cache) Drop(FStack[I]);
}

// Marks a register symbol whose value an instruction changed in place: it no longer equals
// where it came from.
void TGenerator::Changed(int Symbol) {
    TSymbol& S = FSymbols[static_cast<std::size_t>(Symbol)];
    S.Home = TSymbol::Register;
    S.Cache = false;
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
    CountRead(Symbol);
    TSymbol& S = FSymbols[static_cast<std::size_t>(Symbol)];
    if (S.Where == TSymbol::Spilled || S.Home == TSymbol::Spilled) FFreeSlots.push_back(S.Slot);
    S.Where = TSymbol::Zero;
    S.Home = TSymbol::Register;
    S.Cache = false;
}

// Loads a symbol that is not in a register into the register it keeps from now on, when it is
// worth keeping there: one that lives in memory and will be read again.
void TGenerator::Materialize(int Symbol) {
    const TSymbol::TWhere Home = FSymbols[static_cast<std::size_t>(Symbol)].Where;
    if (Home == TSymbol::Register || Home == TSymbol::Zero || Home == TSymbol::One) return;
    {
        const TPin Pin(*this, {Symbol});
        MakeRoom();
    }
    EmitLoad(Symbol); // may add symbols: no reference into FSymbols across it
    Pushed(Symbol);
    FSymbols[static_cast<std::size_t>(Symbol)].Home = Home;
}

// Pushes a copy of the symbol onto the register stack; returns the copy.
int TGenerator::LoadCopy(int Symbol) {
    {
        const TPin Pin(*this, {Symbol});
        MakeRoom();
    }
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
    case TSymbol::Cell: { // through rdi: al, cl and dl may hold truth values
        CountRead(Symbol);
        if (const int Cached = CachedCell(S.Slot, S.Disp); Cached >= 0) {
            FAsm.FldSt(Position(Cached));
            break;
        }
        FAsm.Load(rdi, rsp, PointerDisp(S.Slot));
        FAsm.Fld(rdi, S.Disp);
        if (FCellReads[{S.Slot, S.Disp}] > 0 && FStack.size() + 2 <= Registers) {
            TSymbol Cache{TSymbol::Register}; // the value loaded stays; the caller gets a copy
            Cache.Home = TSymbol::Cell;
            Cache.Slot = S.Slot;
            Cache.Disp = S.Disp;
            Cache.Cache = true;
            FStack.push_back(NewSymbol(Cache));
            FAsm.FldSt(0);
        }
        break;
    }
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
namespace {

// The value of a symbol known when translating: Zero, One and Literal.
std::optional<long double> KnownValue(const TSymbol& S) {
    switch (S.Where) {
    case TSymbol::Zero: return 0.0L;
    case TSymbol::One: return 1.0L;
    case TSymbol::Literal: return S.Value;
    default: return std::nullopt;
    }
}

} // namespace

namespace {

// The built-ins, called from native code with their operands in memory (an operator's two in a
// row): in place where the engine runs them in place, through the callback otherwise. False
// when the callback threw: native code cannot pass an exception on, so the interpreter
// computes again and throws it.
template <TBuiltin Builtin>
bool InPlace(TComplex* Z) {
    constexpr bool IsOperator = Builtin <= biLastOperator;
    TComplex Result;
    bool Done;
    if constexpr (IsOperator)
        Done = fast::Operator(Builtin, Z[0], Z[1], Result);
    else
        Done = fast::Function(Builtin, Z[0], Result);
    if (!Done) try {
            if constexpr (IsOperator)
                Result = BuiltinCallbacks[Builtin].Operator(Z[0], Z[1]);
            else
                Result = BuiltinCallbacks[Builtin].Function(std::span<const TComplex>(Z, 1));
        } catch (...) {
            return false;
        }
    fast::Assign(Z[0], Result);
    return true;
}

// Whether native code computes the function through its helper, emptying the registers.
bool HelperCalled(TBuiltin Function) {
    return Function != biSqrt && Function != biRe && Function != biIm && Function != biAbs;
}

THelper HelperOf(TBuiltin Builtin) {
    switch (Builtin) {
    case biExp: return InPlace<biExp>;
    case biSin: return InPlace<biSin>;
    case biCos: return InPlace<biCos>;
    case biTan: return InPlace<biTan>;
    case biATan: return InPlace<biATan>;
    default: Abort(TNativeAbort::GeneratorFault);
    }
}

} // namespace

// A Op B worked out while translating, where that gives the bits the operation would give:
// both operands known (the arithmetic is the x87's either way, under the control word the code
// runs under), or an identity that holds for every value but a signalling NaN or an invalid
// encoding, applied to a result of arithmetic, which is never one: Q * 1, Q / 1, 1 * Q are Q,
// and so is Q - (+0) but when rounding down (+0 - +0 is -0 then). (Q + (+0) is not: it makes
// -0 into +0.) -1 when nothing folds.
int TGenerator::Folded(TArith Op, int A, int B, bool KillA, bool KillB) {
    const TSymbol &SA = FSymbols[static_cast<std::size_t>(A)],
                  &SB = FSymbols[static_cast<std::size_t>(B)];
    const std::optional<long double> VA = KnownValue(SA), VB = KnownValue(SB);
    if (VA && VB && Op != faDiv) {
        const long double X = fast::Opaque(*VA), Y = fast::Opaque(*VB);
        const long double V = Op == faAdd ? X + Y : Op == faSub ? X - Y : X * Y;
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
    const bool RoundsDown = (FControlWord >> 10 & 3) == 1;
    if ((Op == faSub && SB.Where == TSymbol::Zero && !RoundsDown) ||
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

// Both operands stay pinned throughout, and so does every copy that stands in for one.
int TGenerator::Computed(TArith Op, int A, int B, bool KillA, bool KillB) {
    TPin Pin(*this, {A, B});
    if (A == B) {
        const int T = ToTop(A, KillA && KillB);
        FAsm.ArithToTop(Op, 0, false);
        Changed(T);
        if (KillA != KillB) Abort(TNativeAbort::GeneratorFault);
        return T;
    }
    if (!KillA) Materialize(A);
    if (FSymbols[static_cast<std::size_t>(A)].Where != TSymbol::Register) {
        const int Copy = LoadCopy(A);
        if (KillA) Release(A);
        A = Copy;
        KillA = true;
        Pin.Add(A);
    }
    if (!KillB) Materialize(B);
    if (FSymbols[static_cast<std::size_t>(B)].Where != TSymbol::Register) {
        const int Copy = LoadCopy(B);
        if (KillB) Release(B);
        B = Copy;
        KillB = true;
        Pin.Add(B);
    }
    int IA = Position(A), IB = Position(B);
    if (IA != 0 && IB != 0) {
        if (KillA) {
            Exchange(IA);
        } else if (KillB) {
            Exchange(IB);
        } else {
            A = LoadCopy(A);
            KillA = true;
            Pin.Add(A);
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
            A = LoadCopy(A);
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
            B = LoadCopy(B);
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
    const int B = [&] {
        const TPin Pin(*this, {Below, Top});
        return ToTop(Below, KillBelow);
    }();
    const int T = [&] {
        const TPin Pin(*this, {B, Top});
        return ToTop(Top, KillTop);
    }();
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
                Node.ImZero ? Source(TSymbol::Zero)
                            : CellSymbol(Node.Slot, OffsetIn(Probe, Probe.Im))};
    }
    }
}

// The operations' formulas, each part apart. Without the imaginary part, only what the real
// part reads: the operands' parts that the imaginary part alone would have read are let go.
TValue TGenerator::Arithmetic(TBuiltin Builtin, TValue A, TValue B, bool WantIm) {
    switch (Builtin) {
    case biAdd:
    case biSubtract: {
        const TArith Op = Builtin == biAdd ? faAdd : faSub;
        const int Re = Arith(Op, A.Re, B.Re, true, true);
        return {Re, WantIm ? Arith(Op, A.Im, B.Im, true, true) : Unneeded({A.Im, B.Im})};
    }
    case biMultiply: { // {A.Re * B.Re - A.Im * B.Im, A.Im * B.Re + A.Re * B.Im}
        const int RR = Arith(faMul, A.Re, B.Re, false, false);
        const int II = Arith(faMul, A.Im, B.Im, false, false);
        const int Re = Arith(faSub, RR, II, true, true);
        if (!WantIm) return {Re, Unneeded({A.Im, B.Re, A.Re, B.Im})};
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
        if (!WantIm) return {Re, Unneeded({B.Re, A.Im, A.Re, B.Im, D})};
        const int RI = Arith(faMul, B.Re, A.Im, true, true);
        const int IR = Arith(faMul, A.Re, B.Im, true, true);
        return {Re, Arith(faDiv, Arith(faSub, RI, IR, true, true), D, true, true)};
    }
    }
}

// Lets go of parts that nothing reads any more; returns what stands for a part not computed.
int TGenerator::Unneeded(std::initializer_list<int> Parts) {
    for (const int Part : Parts)
        Release(Part);
    return Source(TSymbol::Zero);
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
    if (Builtin == biAnd || Builtin == biOr || Builtin == biXor) { // of A.Re != 0, B.Re != 0
        NonZero(A.Re, rax);
        NonZero(B.Re, rcx);
        if (Builtin == biAnd) FAsm.AndBytes(rax, rcx);
        if (Builtin == biOr) FAsm.OrBytes(rax, rcx);
        if (Builtin == biXor) FAsm.XorBytes(rax, rcx);
    } else { // A > B compares A on top with B, A < B B on top with A; unordered is false
        const bool Less = Builtin == biLess || Builtin == biLessEqual;
        const bool OrEqual = Builtin == biGreaterEqual || Builtin == biLessEqual;
        Compare(Less ? A.Re : B.Re, true, Less ? B.Re : A.Re, true);
        FAsm.Set(OrEqual ? ccAboveEqual : ccAbove, rax);
    }
    FAsm.TestByte(rax);
    return {Truth(ccNotEqual), Source(TSymbol::Zero)};
}

// Marks, for every node, whether the tree under it calls a helper, which empties the register
// stack. Children stand before their parents.
void TGenerator::FindHelperCalls() {
    for (std::size_t K = 0; K < FTree.Nodes.size(); ++K) {
        const TNode& Node = FTree.Nodes[K];
        bool Calls = (Node.Kind == nkFunction && HelperCalled(Node.Builtin)) ||
                     (Node.Kind == nkBinary && Node.Builtin == biPower);
        ForEachChild(Node, [&](int Child) {
            Calls = Calls || FCallsHelper[static_cast<std::size_t>(Child)];
        });
        FCallsHelper[K] = Calls;
    }
}

// Marks, for every node, whether anything reads its imaginary part: the root's when WantIm;
// an operand's of + and - and a negated value's when their own is; a call's body's when the
// call's is; every other operand's always (a product's or a quotient's real part reads both
// parts, and so do functions, comparisons and the arguments written to parameters). Parents
// stand after their children, so each node is marked before its children are.
void TGenerator::FindImNeeds(int Root, bool WantIm) {
    FImNeeded[static_cast<std::size_t>(Root)] = WantIm;
    for (std::size_t K = FTree.Nodes.size(); K-- > 0;) {
        const TNode& Node = FTree.Nodes[K];
        const bool Passes =
            Node.Kind == nkNegate ||
            (Node.Kind == nkBinary && (Node.Builtin == biAdd || Node.Builtin == biSubtract));
        ForEachChild(Node, [&](int Child) {
            const bool Needed = Passes || Child == Node.Body ? FImNeeded[K] : true;
            FImNeeded[static_cast<std::size_t>(Child)] =
                FImNeeded[static_cast<std::size_t>(Child)] || Needed;
        });
    }
}

// The operand that calls a helper goes first, so that the other one is not pending in the
// registers meanwhile, to be stored and loaded again; the values are the same in either order.
// Not where an operand calls an equation: the parameters it writes, and where the code may
// decline, stay in the interpreter's order, so that the parameters hold what the interpreter
// leaves, also when it throws.
TValue TGenerator::Binary(const TNode& Node) {
    const auto& Nodes = FTree.Nodes;
    const bool Calls = Nodes[static_cast<std::size_t>(Node.A)].Calls ||
                       Nodes[static_cast<std::size_t>(Node.B)].Calls;
    TValue A, B;
    if (!Calls && FCallsHelper[static_cast<std::size_t>(Node.B)] &&
        !FCallsHelper[static_cast<std::size_t>(Node.A)]) {
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
    case biDivide: return Arithmetic(Node.Builtin, A, B, ImNeeded(Node));
    case biPower: return CallHelper(InPlace<biPower>, {A, B});
    default: return Comparison(Node.Builtin, A, B);
    }
}

// A real base to a whole literal exponent: IntPower's square-and-multiply, starting at the
// lowest power it takes. A base not known to be real is tested: straight code for a real one,
// and out of line the interpreter's power of a complex base, Exp(Exponent * Ln(Base)).
TValue TGenerator::Power(const TNode& Node) {
    const TValue Base = Generate(Node.A);
    if (FSymbols[static_cast<std::size_t>(Base.Im)].Where != TSymbol::Zero)
        return TwoWay(
            Base, InPlace<biPower>, static_cast<long double>(Node.Exponent),
            [&](TAssembler::TLabel Complex) { JumpUnlessZero(2, Complex); },
            [&] {
                WholePowerOnTop(Node.Exponent);
                FAsm.Fldz(); // the imaginary part +0, also for a base of -0j
                FAsm.FstpSt(2);
            });
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
    Changed(Re);
    if (!ImNeeded(Node)) return {Re, Unneeded({Z.Im})};
    const int Im = [&] {
        const TPin Pin(*this, {Re});
        return ToTop(Z.Im, true);
    }();
    FAsm.Fchs();
    Changed(Im);
    return {Re, Im};
}

// Z ^ Exponent, Z real and on top, by IntPower's square-and-multiply in the registers: the
// square stays on top, the product below it.
void TGenerator::WholePowerOnTop(int Exponent) {
    if (Exponent == 0) {
        FAsm.Fld1();
        FAsm.FstpSt(1);
        return;
    }
    bool Started = false;
    for (int N = Exponent; N != 0; N >>= 1) {
        const bool More = (N >> 1) != 0;
        if (N & 1) {
            if (!Started && More) FAsm.FldSt(0);
            if (Started) FAsm.ArithToOther(faMul, 1, false, !More); // product * square
            Started = true;
        }
        if (More) FAsm.ArithToTop(faMul, 0, false); // square * square
    }
}

// Jumps to Label unless st(Depth - 1) is zero (of either sign); uses one free register.
void TGenerator::JumpUnlessZero(int Depth, TAssembler::TLabel Label) {
    FAsm.Fldz();
    FAsm.Fucomip(Depth);
    FAsm.Jump(ccNotEqual, Label);
    FAsm.Jump(ccParity, Label);
}

// Z's parts brought to st0 (Re) and st1 (Im) with a register free above them, F(Z) computed
// there and left in their place: by straight code Fast for the values that pass Tests, and out
// of line, for those that Tests sends to the label it is given, by Helper on Z (and on Second,
// when given, as the right operand), every other register saved around the call.
TValue TGenerator::TwoWay(TValue Z, THelper Helper, std::optional<long double> Second,
                          const std::function<void(TAssembler::TLabel)>& Tests,
                          const std::function<void()>& Fast) {
    const int Im = ToTop(Z.Im, true);
    TPin Pin(*this, {Im});
    const int Re = ToTop(Z.Re, true);
    Pin.Add(Re);
    MakeRoom();
    Exchange(Position(Im));
    Exchange(1);
    Exchange(Position(Re));
    const int Depth = static_cast<int>(FStack.size());
    const TSlowPath Path{FAsm.NewLabel(), FAsm.NewLabel(), Helper, Second, Depth, FSpillSlots};
    FSpillSlots += 4 + Depth - 2; // two operands, then the registers below Z
    Tests(Path.Entry);
    Fast();
    FAsm.Bind(Path.Resume);
    FSlowPaths.push_back(Path);
    const TValue Result{Source(TSymbol::Register), Source(TSymbol::Register)};
    FStack.back() = Result.Re;
    FStack[FStack.size() - 2] = Result.Im;
    Forget(Re);
    Forget(Im);
    return Result;
}

// The slow paths of TwoWay: the operands stored where the helper takes them, the other
// registers saved, the helper called, the registers and the result loaded where straight code
// leaves them.
void TGenerator::EmitSlowPaths() {
    for (const TSlowPath& Path : FSlowPaths) {
        FAsm.Bind(Path.Entry);
        FAsm.Fstp(rsp, SpillDisp(Path.Slot));
        FAsm.Fstp(rsp, SpillDisp(Path.Slot + 1));
        if (Path.Second) {
            StoreLiteral(*Path.Second, rsp, SpillDisp(Path.Slot + 2));
            StoreLiteral(0, rsp, SpillDisp(Path.Slot + 3));
        }
        const int Saved = Path.Depth - 2;
        for (int K = 0; K < Saved; ++K)
            FAsm.Fstp(rsp, SpillDisp(Path.Slot + 4 + K));
        EmitCall(Path.Helper, Path.Slot);
        for (int K = Saved; K-- > 0;)
            FAsm.Fld(rsp, SpillDisp(Path.Slot + 4 + K));
        FAsm.Fld(rsp, SpillDisp(Path.Slot + 1));
        FAsm.Fld(rsp, SpillDisp(Path.Slot));
        FAsm.Jump(Path.Resume);
    }
}

// Calls Helper on the operands from spill slot Slot on, the register stack empty; declines when
// it fails.
void TGenerator::EmitCall(THelper Helper, int Slot) {
    FAsm.Lea(rdi, rsp, SpillDisp(Slot));
    FAsm.MovImm(rax, reinterpret_cast<std::uint64_t>(Helper));
    FAsm.CallReg(rax);
    FAsm.TestByte(rax);
    FAsm.Jump(ccEqual, DeclineAt(0));
}

// The square root of a positive real in place (fsqrt rounds as sqrtl does), with +0 for its
// imaginary part; out of line, the interpreter's root of anything else (the power Z^0.5 of a
// complex or negative Z).
TValue TGenerator::SquareRoot(const TNode& Node) {
    const TValue Z = Generate(Node.A);
    const bool Real = FSymbols[static_cast<std::size_t>(Z.Im)].Where == TSymbol::Zero;
    return TwoWay(
        Z, InPlace<biSqrt>, std::nullopt,
        [&](TAssembler::TLabel Other) {
            if (!Real) JumpUnlessZero(2, Other);
            FAsm.Fldz(); // 0 < Re, and not unordered
            FAsm.Fucomip(1);
            FAsm.Jump(ccAboveEqual, Other);
            FAsm.Jump(ccEqual, Other);
        },
        [&] {
            FAsm.Fsqrt();
            if (Real) return; // the imaginary part is +0 already
            FAsm.Fldz();
            FAsm.FstpSt(2);
        });
}

// Re and Im pass a part on as it stands, as the interpreter copies it; Abs is the modulus from
// the squares, Sqrt(Re * Re + Im * Im).
TValue TGenerator::Function(const TNode& Node) {
    switch (Node.Builtin) {
    case biSqrt: return SquareRoot(Node);
    case biRe:
    case biIm: {
        const TValue Z = Generate(Node.A);
        const bool Re = Node.Builtin == biRe;
        Release(Re ? Z.Im : Z.Re);
        return {Re ? Z.Re : Z.Im, Source(TSymbol::Zero)};
    }
    case biAbs: {
        const TValue Z = Generate(Node.A);
        const int Squares = Arith(faAdd, Arith(faMul, Z.Re, Z.Re, true, true),
                                  Arith(faMul, Z.Im, Z.Im, true, true), true, true);
        const int Modulus = ToTop(Squares, true);
        FAsm.Fsqrt();
        Changed(Modulus);
        FSymbols[static_cast<std::size_t>(Modulus)].Quiet = true;
        return {Modulus, Source(TSymbol::Zero)};
    }
    default: break;
    }
    const THelper Helper = HelperOf(Node.Builtin);
    const TValue Z = Generate(Node.A);
    return CallHelper(Helper, {Z});
}

// Calls Helper on the operands, which go to spill slots in a row (the TComplex values it reads,
// the first of which it overwrites with the result). A call follows the ABI: the register stack
// is empty, every value in memory.
TValue TGenerator::CallHelper(THelper Helper, std::initializer_list<TValue> Operands) {
    const int Slot = FSpillSlots;
    FSpillSlots += 2 * static_cast<int>(Operands.size());
    int Part = Slot;
    for (const TValue& Operand : Operands)
        for (const int Symbol : {Operand.Re, Operand.Im})
            StoreInto(Symbol, rsp, SpillDisp(Part++), true);
    EvictAll();
    EmitCall(Helper, Slot);
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
    case TSymbol::Literal: StoreLiteral(*KnownValue(S), Base, Disp); break;
    case TSymbol::Cell:
        CountRead(Part);
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

// Stores the ten bytes of Value at [Base + Disp] by integer moves.
void TGenerator::StoreLiteral(long double Value, TGpr Base, std::int32_t Disp) {
    std::uint64_t Low;
    std::uint16_t High;
    std::memcpy(&Low, &Value, 8);
    std::memcpy(&High, reinterpret_cast<const char*>(&Value) + 8, 2);
    FAsm.MovImm(rcx, Low);
    FAsm.Store(Base, Disp, rcx);
    FAsm.StoreImm16(Base, Disp + 8, High);
}

// A read of a called equation's parameter: the argument's value itself, rather than the copy
// stored in the parameter's entry, which would be read back at once.
TValue TGenerator::Parameter(const TNode& Node) {
    TBinding& Binding =
        FBindings[static_cast<std::size_t>(Node.Table)][static_cast<std::size_t>(Node.Index)];
    if (--Binding.Uses == 0) return Binding.Value;
    const int Re = LoadCopy(Binding.Value.Re);
    const TPin Pin(*this, {Re});
    return {Re, LoadCopy(Binding.Value.Im)};
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
        const int Uses = Node.Reads[K];
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
    DropCaches();
    if (!FWantIm) {
        Release(Value.Im);
    } else if (FSymbols[static_cast<std::size_t>(Value.Im)].Where == TSymbol::Register) {
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
    if (FStack.size() != 1) Abort(TNativeAbort::GeneratorFault); // a value left behind
}

TAssembler::TLabel TGenerator::DeclineAt(int Depth) {
    for (const auto& [D, Label] : FDeclines)
        if (D == Depth) return Label;
    FDeclines.emplace_back(Depth, FAsm.NewLabel());
    return FDeclines.back().second;
}

void TGenerator::EmitDeclines(std::int32_t DeclinedOffset, std::int32_t FrameBytes) {
    EmitSlowPaths(); // which may decline
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

} // namespace zoZezo::native
