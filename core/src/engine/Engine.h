#pragma once

#include "engine/FastBuiltins.h"
#include "zoZezo/Equation.h"
#include "zoZezo/Evaluator.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

namespace zoZezo {
namespace engine {

// A stack of trivially copyable items that lives in place while it holds at most N of them and
// moves to the heap beyond, keeping the heap block until Release: a run that fits, or that fits
// what an earlier run grew it to, allocates nothing. Items are addressed by position, since
// growing moves them.
template <class T, std::size_t N>
class TGrowingStack {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    T* Data() { return FData; }
    std::size_t Capacity() const { return FCapacity; }
    std::size_t HeapBytes() const { return FHeap ? FCapacity * sizeof(T) : 0; }

    // Makes room for Count items, keeping the first Used ones.
    void Reserve(std::size_t Count, std::size_t Used) {
        if (Count > FCapacity) [[unlikely]]
            Grow(Count, Used);
    }

    // Gives the heap block back; the stack holds N items again.
    void Release() {
        FHeap.reset();
        FData = std::launder(reinterpret_cast<T*>(FLocal));
        FCapacity = N;
    }

private:
    void Grow(std::size_t Count, std::size_t Used) {
        const std::size_t Capacity = std::max(Count, 2 * FCapacity);
        auto Heap = std::make_unique_for_overwrite<unsigned char[]>(Capacity * sizeof(T));
        T* Data = std::launder(reinterpret_cast<T*>(Heap.get()));
        std::memcpy(static_cast<void*>(Data), FData, Used * sizeof(T));
        FHeap = std::move(Heap);
        FData = Data;
        FCapacity = Capacity;
    }

    // Raw storage: items are written before they are read, so none is initialised up front.
    alignas(T) unsigned char FLocal[N * sizeof(T)];
    T* FData = std::launder(reinterpret_cast<T*>(FLocal));
    std::size_t FCapacity = N;
    std::unique_ptr<unsigned char[]> FHeap;
};

// A table's entries as the steps read them: one range check and one load per lookup. Read again
// whenever a callback has run, since a callback may change the table.
template <class Item>
class TView {
public:
    TView() = default; // unset until a frame reads the tables
    explicit TView(const std::vector<Item*>& Items) : FData(Items.data()), FSize(Items.size()) {}
    // The entry at Index, or null when there is none.
    const Item* At(int Index) const {
        return static_cast<std::size_t>(Index) < FSize ? FData[Index] : nullptr;
    }

private:
    Item* const* FData;
    std::size_t FSize;
};

} // namespace engine

// Runs compiled code on a value stack.
//
// Calls of other equations do not recurse on the C++ stack: each call pushes a frame, so the
// depth of nesting is bounded by MaxCallDepth alone. Every frame has a window on the value
// stack, sized from the code's StackDepth().
//
// Speed comes from keeping values out of memory: an extended real that is stored and read back
// at once costs more than the arithmetic on it. So the value on top of the running frame's stack
// lives in a local (in registers) and the window holds only the values below it; an operand
// that an operator consumes at once is never pushed at all; built-in operators and functions run
// in place (FastBuiltins.h) rather than through callbacks that take their operands in memory;
// and the real part of the result leaves in a register. Table positions and callbacks are still
// read at every step, since the host may change them between runs.
class TEngine {
public:
    explicit TEngine(const TzoZezoEvaluator& Evaluator) : FEvaluator(Evaluator) {}
    TEngine(const TEngine&) = delete;
    TEngine& operator=(const TEngine&) = delete;

    // Runs Equation, compiled without error, with Args bound to its parameters; returns the real
    // part of its value and stores the imaginary part in *Im, unless Im is null. Called again
    // while it runs (from a callback), runs the new computation on an engine of its own.
    long double Run(TEquation& Equation, std::span<const TComplex> Args, long double* Im);

    // Gives back the heap memory of the stacks; refused while a computation runs.
    void ReleaseStacks();
    std::size_t StackMemory() const { return FValues.HeapBytes() + FFrames.HeapBytes(); }

    static constexpr std::size_t MaxCallDepth = 100000;
    static constexpr std::size_t MaxValues = std::size_t(1) << 20;

private:
    struct TFrame {
        TEquation* Equation;
        const TInstruction* Ip;  // the next instruction
        const TInstruction* End; // past the last one
        std::size_t Base;        // the window's first position on the value stack
        std::size_t Sp;          // where the next value that goes below the top is stored
    };

    bool Execute(TFrame& Frame, TComplex& Top);
    template <TOperation Kind>
    TComplex Operand(const TInstruction& Instruction) const;
    template <TBuiltin Builtin>
    void Operator(const TFrame& Frame, const TInstruction& Instruction, TComplex& Left,
                  const TComplex& Right, TComplex* Scratch);
    TComplex AnyOperand(const TInstruction& Instruction) const;
    void PushAnyOperand(const TInstruction& Instruction, TComplex& Top, TComplex*& Sp) const;
    template <TBuiltin Inner, TBuiltin Outer>
    bool PairStep(const TInstruction* Step, TComplex& Top);
    template <TBuiltin Function, TBuiltin Outer>
    bool FunctionPairStep(const TInstruction* Step, TComplex& Top);
    template <int Exponent>
    void WholePower(const TFrame& Frame, const TInstruction* Step, TComplex& Top,
                    TComplex* Scratch);
    template <TBuiltin Builtin>
    void Function(const TFrame& Frame, const TInstruction& Instruction, TComplex& Top,
                  TComplex*& Sp);
    TComplex CallOperator(const TInstruction& Instruction, const TComplex* Operands) const;
    struct TCalled {
        TComplex Value; // now on top
        TComplex* Sp;
    };
    TCalled CallFunction(const TInstruction& Instruction, TComplex* Last);

    long double RunHere(TEquation& Equation, std::span<const TComplex> Args, long double* Im);
    void Enter(TEquation& Equation, std::span<const TComplex> Args);
    void Call();
    void CallChecking(TEquation& Callee, std::size_t Sp, int Count);
    void Leave();
    void Unwind();
    // Makes room for Extra more values on the value stack: a new frame's window, or values that
    // a callee whose parameter count has shrunk since the code was compiled leaves in the
    // running frame's window, which the code did not plan for.
    void Widen(int Extra);

    [[noreturn]] void CannotRun(const std::string& Why) const;
    [[noreturn]] void Stale(const std::string& What) const;
    [[noreturn, gnu::cold, gnu::noinline]] void Unrunnable(const TInstruction& Instruction) const;
    [[noreturn]] static void Refuse(const std::string& Why);
    [[noreturn]] void RefuseRuns() const;

    static void Push(TComplex*& Sp, const TComplex& Value) { fast::Assign(*Sp++, Value); }
    void ReadTables(const TFrame& Frame);

    TFrame& Current() { return FFrames.Data()[FDepth - 1]; }
    const TFrame& Current() const { return const_cast<TEngine*>(this)->Current(); }

    const TzoZezoEvaluator& FEvaluator;
    // The tables as the running frame's steps see them; see TView.
    struct {
        engine::TView<TOperator> Operators;
        engine::TView<TConstant> Constants;
        engine::TView<TVariable> Variables;
        engine::TView<TFunction> Functions;
        engine::TView<TConstant> Parameters;
    } FTables;

    engine::TGrowingStack<TComplex, 512> FValues; // room for the deepest nesting of groups
    std::size_t FValuesTop = 0;                   // past the last window
    engine::TGrowingStack<TFrame, 32> FFrames;
    std::size_t FDepth = 0;
    std::uint64_t FRuns = 0;   // equation runs begun in this computation
    std::uint64_t FBudget = 0; // the evaluator's run budget when the computation began
    bool FRunning = false;
};
} // namespace zoZezo
