#pragma once

#include <cstdint>

namespace zoZezo {

// What one compiled instruction does (each pushes one value; see TInstruction::Index).
enum TOperation : std::uint8_t {
    opRealNum,       // a real literal
    opImaginaryNum,  // an imaginary literal
    opOperator,      // an operator of the evaluator's operator table
    opConstant,      // a constant of the evaluator's constant table
    opVariable,      // a variable of the evaluator's variable table
    opLocalVar,      // a parameter of the equation being run
    opFunction,      // a function of the evaluator's function table
    opLocalFunction, // another equation of the same list
};

// One instruction of an equation's postfix code. An equation keeps its instructions in one
// contiguous block, linked in order through Next (null on the last).
struct TInstruction {
    long double Value = 0;              // the literal, for opRealNum and opImaginaryNum
    const TInstruction* Next = nullptr; // the following instruction
    std::int32_t Index = 0;             // 0-based position in the table that Kind names
    TOperation Kind = opRealNum;
    // For opFunction and opLocalFunction: the parameter count the callee had when the code was
    // compiled (NoArity for a function whose count makes a call do nothing).
    std::uint8_t Arity = 0;
    // For opFunction and opLocalFunction: the number of values the call's arguments leave on
    // the stack. A callee whose count has changed since is called with that many of the top
    // values when its new count is not larger; a larger one is refused.
    std::uint8_t Args = 0;
    // How the engine runs the instruction, chosen when the code was compiled: it names the
    // built-in callback an operator or function entry held then, which the engine runs in place
    // for as long as the entry holds it, and joins an operand with an operator right after it.
    // Unplanned until then, which the engine refuses to run.
    std::uint8_t Step = Unplanned;

    static constexpr std::uint8_t NoArity = 255;
    static constexpr std::uint8_t Unplanned = 255;
    // The most parameters with which a function's callback is called.
    static constexpr int MaxCallableParams = 4;

    // The arity of a call of a function that has ParamCount parameters: ParamCount, or NoArity
    // for a count outside 0 to MaxCallableParams.
    static constexpr std::uint8_t CallArity(int ParamCount) {
        return ParamCount >= 0 && ParamCount <= MaxCallableParams
                   ? static_cast<std::uint8_t>(ParamCount)
                   : NoArity;
    }
};

static_assert(sizeof(long double) < 16 || sizeof(TInstruction) == 32,
              "an instruction is meant to fill half a cache line");

} // namespace zoZezo
