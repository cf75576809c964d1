#pragma once

#include "zoZezo/Complex.h"
#include "zoZezo/Instruction.h"
#include "zoZezo/SymbolTable.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zoZezo {

class TEquations;
class TCompiler;
class TEngine;

// One equation of an evaluator's list: `y: 2*x+1` names a value, `f(a;b): a*b` a function.
// It keeps its text, compiles it on demand into postfix code, and computes it.
// Compile errors are recorded, never thrown: see ErrorCode(), ErrorPos() and ErrorMsg().
class TEquation {
public:
    // Appends the equation to Owner's list when Owner is not null. Compiles nothing.
    TEquation(TEquations* Owner, std::string Text);
    ~TEquation();
    TEquation(const TEquation&) = delete;
    TEquation& operator=(const TEquation&) = delete;

    TEquations* Owner() const { return FOwner; }

    const std::string& EquationStr() const { return FEquationStr; }
    // Replaces the text unless the new one differs only in ASCII letter case; a replaced text
    // must be compiled again.
    void SetEquationStr(std::string Text);

    // Compiles the text. Returns true when it compiled without error; the outcome stays in
    // ErrorCode(), ErrorPos(), ErrorMsg(), CharClasses() and the instruction list.
    // Needs an owner that belongs to an evaluator. Exceptions of OnAcceptLabel pass through.
    bool Check();
    bool Checked() const { return FChecked; }

    // The name the header declares, compiling first when the equation is unchecked.
    const std::string& GetFunctionName();
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
    void ClearInstructions();

    // The most values the code keeps pending on the value stack at once.
    int StackDepth() const { return FStackDepth; }

    // Computes the equation, compiling it first when unchecked. An equation with a compile error
    // yields 0 and shows its ErrorMsg() through ShowMessage. Arguments bind to the parameters
    // in order; missing ones are 0, extra ones ignored. Floating-point faults follow IEEE 754
    // defaults: infinities and NaNs are carried into the result.
    // Throws what the callbacks throw, and EzoZezoEvaluatorError when the code no longer fits the
    // evaluator's tables (compile it again) or equations call each other too deeply.
    TComplex ComputeArgsC(std::span<const TComplex> Args);
    long double ComputeArgs(std::span<const long double> Args);
    TComplex ComputeC() { return ComputeArgsC({}); }
    long double Compute();

private:
    friend class TCompiler;
    friend class TEngine;

    // Records the name of a successful compilation, telling the owner when it changed.
    void SetFunctionName(const std::string& Name);

    TEquations* FOwner;
    std::string FEquationStr;
    std::string FFunctionName;
    std::vector<TInstruction> FCode;
    TConstants FLocalConstants{nullptr};
    std::string FCharClasses;
    std::string FErrorMsg;
    int FErrorCode = 0;
    int FErrorPos = 0;
    int FStackDepth = 0;
    bool FChecked = false;
};

} // namespace zoZezo
