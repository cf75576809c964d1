#pragma once

#include "zoZezo/Complex.h"
#include "zoZezo/Instruction.h"
#include "zoZezo/NativeStatus.h"
#include "zoZezo/SymbolTable.h"

#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zoZezo {

class TEquations;
class TCompiler;
class TEngine;
class TNativeCode;

// One equation of an evaluator's list: `y: 2*x+1` names a value, `f(a;b): a*b` a function.
// It keeps its text, compiles it on demand into postfix code, and computes it.
// Compile errors are recorded, never thrown: see ErrorCode(), ErrorPos() and ErrorMsg().
//
// Host code runs in the middle of compiling and computing: OnAcceptLabel handlers, callbacks of
// functions and operators, the ShowMessage handler. What it may do to equations then:
// - An equation is busy while it is being compiled (Check) and while a computation runs it,
//   which includes every equation waiting for one it calls to finish. Changing a busy equation
//   (SetEquationStr with another text, Check, ClearInstructions) and removing it from its list
//   (TEquations::Delete and Clear, TzoZezoEvaluator::Start) throw EzoZezoEvaluatorError
//   ("Equation 'y' cannot be changed while it is being compiled or computed") and change
//   nothing, so the evaluator stays usable; the host can retry once the computation is over.
// - Freeing a busy equation with delete takes it off its list at once; the object lives on until
//   the compilation and the computations that use it end, and is freed then.
// - Everything else is allowed: compiling, computing and changing other equations, computing a
//   busy one (it is compiled already, or being compiled, which refuses), changing the symbol
//   tables. Compiled code reads the tables by position, so a computation that finds an entry
//   gone throws EzoZezoEvaluatorError.
class TEquation {
public:
    // Appends the equation to Owner's list when Owner is not null. Compiles nothing.
    TEquation(TEquations* Owner, std::string Text);
    ~TEquation();
    TEquation(const TEquation&) = delete;
    TEquation& operator=(const TEquation&) = delete;
    // Frees the equation, or, while it is busy, takes it off its list and frees it when the
    // operations that use it end.
    void operator delete(TEquation* Equation, std::destroying_delete_t);

    TEquations* Owner() const { return FOwner; }

    // Keeps the equation's object alive while it lives (see TKeepAlive below).
    class TKeepAlive;

    // Whether the equation is being compiled or computed, so that changes to it are refused.
    bool Busy() const { return FLocks > 0; }

    const std::string& EquationStr() const { return FEquationStr; }
    // Replaces the text unless the new one differs only in ASCII letter case; a replaced text
    // must be compiled again. Throws EzoZezoEvaluatorError, changing nothing, while Busy().
    void SetEquationStr(std::string Text);

    // Compiles the text. Returns true when it compiled without error; the outcome stays in
    // ErrorCode(), ErrorPos(), ErrorMsg(), CharClasses() and the instruction list.
    // Needs an owner that belongs to an evaluator. Exceptions of OnAcceptLabel pass through.
    // Throws EzoZezoEvaluatorError, changing nothing, while Busy().
    bool Check();
    bool Checked() const { return FChecked; }

    // The name the header declares, compiling first when the equation is unchecked.
    [[nodiscard]] const std::string& GetFunctionName();
    // The name of the last successful compilation; a failed one leaves it as it was.
    const std::string& FunctionName() const { return FFunctionName; }

    // Index into MathMsg of the first compile error; 0 when there is none.
    int ErrorCode() const { return FErrorCode; }
    // 1-based character position of that error in EquationStr().
    int ErrorPos() const { return FErrorPos; }
    // MathMsg[ErrorCode()] after Check.
    const std::string& ErrorMsg() const { return FErrorMsg; }
    // One class digit per character compiled: 0 comment, 1 symbol, 2 name, 3 number.
    const std::string& CharClasses() const { return FCharClasses; }

    // The header's parameters, in order; their values hold the latest computation's arguments.
    TConstants& LocalConstants() { return FLocalConstants; }
    const TConstants& LocalConstants() const { return FLocalConstants; }

    // The compiled code, walkable through Next; null when empty.
    const TInstruction* FirstInstruction() const {
        return FCode.empty() ? nullptr : &FCode.front();
    }
    const TInstruction* LastInstruction() const { return FCode.empty() ? nullptr : &FCode.back(); }
    std::span<const TInstruction> Instructions() const { return FCode; }
    // Frees the code and empties the parameter table; Checked() stays as it is.
    // Throws EzoZezoEvaluatorError, changing nothing, while Busy().
    void ClearInstructions();

    // The most values the code keeps pending on the value stack at once.
    int StackDepth() const { return FStackDepth; }

    // Whether the code has been translated into native machine code (see TNativeMode), which
    // computations then run while the tables still hold what it was translated against.
    [[nodiscard]] bool HasNativeCode() const;
    // Whether computations run native code and, when they do not, why: the mode, the build, the
    // computations still to come before the translation, or the reason the translation declined
    // or its code was dropped. An equation not translated yet is tried now (a translation that
    // keeps nothing, a matter of microseconds), so that the status tells whether it would be.
    [[nodiscard]] TNativeStatus NativeStatus() const;

    // Computes the equation, compiling it first when unchecked. An equation with a compile error
    // yields 0 and shows its ErrorMsg() through ShowMessage. Arguments bind to the parameters
    // in order; missing ones are 0, extra ones ignored. Floating-point faults follow IEEE 754
    // defaults: infinities and NaNs are carried into the result.
    //
    // A function or equation called with another parameter count than it had when the code was
    // compiled: a count of 0 to 4 (for an equation, any count) up to the arguments written in
    // the call takes that many of the top values, and the others stay on the stack; a function
    // count outside 0 to 4 makes the call do nothing (its arguments stay, no result is pushed).
    //
    // Throws what the callbacks throw, and EzoZezoEvaluatorError when the code no longer fits the
    // evaluator's tables (an entry or equation it refers to is gone, has lost its callback, or now
    // takes more parameters than the call has arguments: compile it again), when equations call
    // each other more than 100,000 levels deep, or when the computation would run equations more
    // often than the evaluator's RunBudget().
    [[nodiscard]] TComplex ComputeArgsC(std::span<const TComplex> Args);
    [[nodiscard]] long double ComputeArgs(std::span<const long double> Args);
    [[nodiscard]] TComplex ComputeC() { return ComputeArgsC({}); }
    [[nodiscard]] long double Compute();

private:
    friend class TCompiler;
    friend class TEngine;
    friend class TEquations;
    friend class TNativeCode;

    // Keeps an equation alive while an operation uses it; a locking hold also makes it Busy().
    class THold {
    public:
        THold(TEquation& Equation, bool Locking) : FEquation(Equation), FLocking(Locking) {
            ++(Locking ? Equation.FLocks : Equation.FPins);
        }
        ~THold() { FLocking ? FEquation.Unlock() : FEquation.Unpin(); }
        THold(const THold&) = delete;
        THold& operator=(const THold&) = delete;

    private:
        TEquation& FEquation;
        bool FLocking;
    };

    void Lock() { ++FLocks; }
    void Unlock() {
        --FLocks;
        if (FFreed) [[unlikely]]
            FreeWhenUnused();
    }
    void Unpin() {
        --FPins;
        if (FFreed) [[unlikely]]
            FreeWhenUnused();
    }
    void FreeWhenUnused();
    // Throws the refusal of a change while the equation is busy.
    void RequireIdle() const;
    void ClearCode();

    // Records the name of a successful compilation, telling the owner when it changed.
    void SetFunctionName(const std::string& Name);

    TEquations* FOwner;
    std::string FEquationStr;
    std::string FFunctionName;
    std::vector<TInstruction> FCode;
    TConstants FLocalConstants; // its changes count with those of the owner's list
    std::string FCharClasses;
    std::string FErrorMsg;
    int FErrorCode = 0;
    int FErrorPos = 0;
    int FStackDepth = 0;
    std::unique_ptr<TNativeCode> FNative; // see HasNativeCode
    std::uint64_t FCodeVersion = 0;       // new whenever the code changes
    std::uint32_t FComputations = 0;      // since the code changed, for native translation
    std::uint32_t FDeclines = 0;          // native runs declined in a row
    TNativeAbort FNativeRefusal = TNativeAbort::None; // why the code is not translated
    int FLocks = 0;                                   // compilations and runs under way
    int FPins = 0;       // other operations under way that need the equation to stay alive
    bool FFreed = false; // freed while in use: goes when FLocks and FPins are back to 0
    bool FChecked = false;
};

// For a caller that reads an equation after calling out to host code, which may free it: while
// a TKeepAlive lives, freeing the equation only takes it off its list, and the object goes when
// the last holder ends. Changes nothing else; the equation does not become Busy().
class TEquation::TKeepAlive {
public:
    explicit TKeepAlive(TEquation& Equation) : FHold(Equation, false) {}

private:
    THold FHold;
};

} // namespace zoZezo
