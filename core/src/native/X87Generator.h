#pragma once

// The second step of translating an equation into native code (see NativeCode.h): the tree's
// code emitted onto the x87 register stack.
//
// The tree is emitted depth first. Each value is a pair of parts, and every part a symbol that
// the register stack holds, a spill slot holds, or that is read where it lives (a literal, a
// table entry, a host cell) whenever an operation needs it. Every operation of the built-ins'
// formulas is emitted as it stands, in the formula's order of operands, so that the results are
// the interpreter's bits; only what gives those very bits is worked out while translating.

#include "native/Tree.h"
#include "native/X87Assembler.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace zoZezo::native {

using x87::TArith;
using x87::TAssembler;
using x87::TCondition;
using x87::TGpr;

// The x87 register stack's depth, and the most stack the code's frame takes (pointers to the
// entries it reads, and 16-byte spill slots), so that it runs on small thread stacks too.
constexpr int Registers = 8;
constexpr std::int32_t MaxFrameBytes = 16 * 1024;

// Where a symbol's value is: in a register, or somewhere an instruction can load it from.
struct TSymbol {
    enum TWhere : std::uint8_t { Register, Zero, One, Literal, Cell, Spilled } Where;
    // For a symbol in a register: where its value lives besides, so that evicting it costs no
    // store (Register for none).
    TWhere Home = Register;
    bool Quiet = false;    // the result of x87 arithmetic, so never a signalling NaN
    bool Counted = false;  // Cell: its read has been counted (see FCellReads)
    bool Cache = false;    // a register kept with a cell's value for the reads to come
    long double Value = 0; // Literal
    int Slot = -1;         // Cell: the pointer slot; Spilled: the spill slot
    std::int32_t Disp = 0; // Cell: the offset from the pointer
};

struct TValue {
    int Re, Im;
};

// A function that native code calls on TComplex operands in memory, leaving the result in the
// first; false when it failed, and the code must decline.
using THelper = bool (*)(TComplex*);

// Emits the tree's code onto the x87 register stack, spilling what does not fit.
class TGenerator {
public:
    // The code computes under the x87 control word ControlWord, which its prologue checks.
    // With WantIm false it computes the real part of Root alone, and none of the arithmetic
    // that only the imaginary part needs.
    TGenerator(TAssembler& Asm, const TTreeBuilder& Tree, int PointerSlots,
               std::uint16_t ControlWord, int Root, bool WantIm)
        : FAsm(Asm), FTree(Tree), FControlWord(ControlWord), FWantIm(WantIm),
          FPointerBytes((8 * PointerSlots + 15) / 16 * 16), FCallsHelper(Tree.Nodes.size()),
          FImNeeded(Tree.Nodes.size()) {
        CountCellReads();
        FindHelperCalls();
        FindImNeeds(Root, WantIm);
    }

    TValue Generate(int Node);
    // Leaves Re in st0 and Im at [rbx + ImOffset] (when the int at WantImOffset is not 0, and
    // the code computes Im at all), the stack otherwise empty.
    void Return(TValue Value, std::int32_t ImOffset, std::int32_t WantImOffset);
    // The label that empties a register stack Depth deep and declines.
    TAssembler::TLabel Decline() { return DeclineAt(static_cast<int>(FStack.size())); }
    TAssembler::TLabel DeclineAt(int Depth);
    void EmitDeclines(std::int32_t DeclinedOffset, std::int32_t FrameBytes);
    std::int32_t FrameBytes() const;
    std::int32_t PointerDisp(int Slot) const { return 8 * Slot; }

private:
    // Keeps symbols in their registers while it lives: MakeRoom evicts none of them. Pins nest,
    // and a scope gives back only the pins it took, never an outer one's.
    class TPin {
    public:
        TPin(TGenerator& Generator, std::initializer_list<int> Symbols)
            : FPins(Generator.FPins), FOuter(FPins.size()) {
            FPins.insert(FPins.end(), Symbols);
        }
        ~TPin() { FPins.resize(FOuter); }
        TPin(const TPin&) = delete;
        TPin& operator=(const TPin&) = delete;
        // Pins one more symbol until the scope ends.
        void Add(int Symbol) { FPins.push_back(Symbol); }

    private:
        std::vector<int>& FPins;
        std::size_t FOuter;
    };

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
        if (FStack.size() == Registers) Abort(TNativeAbort::RegisterOverflow);
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
    void Changed(int Symbol);
    void CountCellReads();
    void CountRead(int Symbol);
    int CachedCell(int Slot, std::int32_t Disp) const;
    void DropCaches();
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
    TValue Binary(const TNode& Node);
    void FindHelperCalls();
    void FindImNeeds(int Root, bool WantIm);
    bool ImNeeded(const TNode& Node) const {
        return FImNeeded[static_cast<std::size_t>(&Node - FTree.Nodes.data())];
    }
    int Unneeded(std::initializer_list<int> Parts);
    TValue Arithmetic(TBuiltin Builtin, TValue A, TValue B, bool WantIm);
    TValue Comparison(TBuiltin Builtin, TValue A, TValue B);
    TValue Power(const TNode& Node);
    TValue Negate(const TNode& Node);
    TValue Function(const TNode& Node);
    TValue SquareRoot(const TNode& Node);
    TValue CallHelper(THelper Helper, std::initializer_list<TValue> Operands);
    void EmitCall(THelper Helper, int Slot);
    TValue TwoWay(TValue Z, THelper Helper, std::optional<long double> Second,
                  const std::function<void(TAssembler::TLabel)>& Tests,
                  const std::function<void()>& Fast);
    void JumpUnlessZero(int Depth, TAssembler::TLabel Label);
    void WholePowerOnTop(int Exponent);
    void EmitSlowPaths();
    void StoreLiteral(long double Value, TGpr Base, std::int32_t Disp);
    TValue Call(const TNode& Node);
    void NonZero(int Part, TGpr Into);

    TAssembler& FAsm;
    const TTreeBuilder& FTree;
    const std::uint16_t FControlWord;
    const bool FWantIm;
    const std::int32_t FPointerBytes; // the pointer slots, spill slots after them 16-aligned
    std::vector<TSymbol> FSymbols;
    std::vector<int> FStack; // FStack.back() is st0
    std::vector<int> FPins;  // symbols MakeRoom must not evict; see TPin
    std::vector<int> FFreeSlots;
    int FSpillSlots = 0;
    std::vector<std::pair<int, TAssembler::TLabel>> FDeclines;
    // A helper called out of line by TwoWay: where the code jumps to it and goes on after it,
    // the second operand when it is a literal, the registers in use at the jump, and the spill
    // slots of the operands and of the registers saved.
    struct TSlowPath {
        TAssembler::TLabel Entry, Resume;
        THelper Helper;
        std::optional<long double> Second;
        int Depth, Slot;
    };
    std::vector<TSlowPath> FSlowPaths;
    // The argument values of the calls being generated, by callee and parameter, and how many
    // of the body's reads of each are still to come.
    struct TBinding {
        TValue Value;
        int Uses;
    };
    std::vector<std::vector<TBinding>> FBindings;
    std::vector<bool> FCallsHelper; // by node: whether the tree under it calls a helper
    std::vector<bool> FImNeeded;    // by node: whether anything reads its imaginary part
    // By cell (pointer slot, offset): how many of the tree's reads of it are still to come. A
    // cell read again later stays in a register while there is room.
    std::map<std::pair<int, std::int32_t>, int> FCellReads;
};

} // namespace zoZezo::native
