#pragma once

#include "zoZezo/Component.h"
#include "zoZezo/Equations.h"
#include "zoZezo/SymbolTable.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zoZezo {

// Whether computations may run as native machine code. An equation translated into native code
// gives the very bits the interpreter gives and raises the same errors: native code runs only
// while every entry it was translated against still holds what it held (the interpreter takes
// over otherwise, and for everything it does not translate). Native code exists on x86-64 only;
// elsewhere every mode interprets.
enum class TNativeMode : std::uint8_t {
    Off,   // always interpret
    Often, // translate an equation once it has been computed often
    Always // translate an equation at its first computation (for testing the translation)
};

// What kind of name OnAcceptLabel is asked about.
enum TLabelType : std::uint8_t { ltConstant, ltFunction, ltVariable };

// Called while an equation compiles, after the compiler looked Name up in the table that
// LabelType names. Position arrives holding the position found there, or -1; the handler may
// leave it, or set it to a position of that table (after adding the entry, say) or to -1 to
// hide the name. A position outside the table is taken as not found.
class TEngine;

using TAcceptLabelProc = std::function<void(TEquation* Sender, const std::string& Name,
                                            TLabelType LabelType, int& Position)>;

// The evaluator component: four symbol tables, the equation list, the seven syntax characters
// of the equation language and the OnAcceptLabel event. A new evaluator holds the built-in
// functions, constants and operators.
//
// Computations run on value and frame stacks that the evaluator keeps from one computation to
// the next, grown to the deepest computation so far: once warmed up, a computation allocates
// nothing, however deeply its equations call each other. ReleaseComputeMemory() gives that
// memory back. A computation started from host code in the middle of another one (from a
// callback, say) runs on stacks of its own.
class TzoZezoEvaluator : public TComponent {
public:
    explicit TzoZezoEvaluator(TComponent* AOwner = nullptr);
    ~TzoZezoEvaluator() override;

    const char* ClassName() const override { return "TzoZezoEvaluator"; }

    TConstants& Constants() { return FConstants; }
    TVariables& Variables() { return FVariables; }
    TFunctions& Functions() { return FFunctions; }
    TOperators& Operators() { return FOperators; }
    TEquations& Equations() { return FEquations; }
    const TConstants& Constants() const { return FConstants; }
    const TVariables& Variables() const { return FVariables; }
    const TFunctions& Functions() const { return FFunctions; }
    const TOperators& Operators() const { return FOperators; }
    const TEquations& Equations() const { return FEquations; }

    // The syntax characters of a new evaluator, which a stored form leaves out.
    static constexpr char DefaultDecimalPoint = '.';
    static constexpr char DefaultImaginary = 'j';
    static constexpr char DefaultOpenParentesis = '(';
    static constexpr char DefaultCloseParentesis = ')';
    static constexpr char DefaultSeparator = ';';
    static constexpr char DefaultOpenComment = '{';
    static constexpr char DefaultCloseComment = '}';

    // Syntax characters. Changing one recompiles nothing: equations compiled before keep their
    // code until they are checked again.
    char DecimalPoint = DefaultDecimalPoint;
    char Imaginary = DefaultImaginary;
    char OpenParentesis = DefaultOpenParentesis;
    char CloseParentesis = DefaultCloseParentesis;
    char Separator = DefaultSeparator;
    char OpenComment = DefaultOpenComment;
    char CloseComment = DefaultCloseComment;

    TAcceptLabelProc OnAcceptLabel;

    // Empties all five collections and registers the built-in functions, the constants e and pi
    // and the built-in operators, as in a new evaluator. Syntax characters, OnAcceptLabel and the
    // run budget stay. Throws EzoZezoEvaluatorError, changing nothing, while an equation of the
    // list is being compiled or computed (see TEquation).
    void Start();

    // The most equation runs one computation may make: every computation of an equation, and
    // every call of one equation by another, is a run. Nothing is cached, so equations that
    // each name the one before several times multiply the runs; a computation that would go
    // beyond the budget throws EzoZezoEvaluatorError instead of running for years. The default
    // lets a computation of several seconds finish.
    static constexpr std::uint64_t DefaultRunBudget = 100'000'000;
    [[nodiscard]] std::uint64_t RunBudget() const { return FRunBudget; }
    void SetRunBudget(std::uint64_t Runs) { FRunBudget = Runs; }

    // How computations run; see TNativeMode. A new evaluator takes the mode the environment
    // variable ZOZEZO_NATIVE names ("off", "often" or "always"), Often without it. Changing
    // the mode keeps the native code translated so far; Off stops its use.
    [[nodiscard]] TNativeMode NativeMode() const { return FNativeMode; }
    void SetNativeMode(TNativeMode Mode) { FNativeMode = Mode; }
    // Whether this build can translate equations into native code at all.
    [[nodiscard]] static bool NativeCodeAvailable();

    // Gives back the memory kept for the stacks of computations beyond a small fixed part; the
    // next deep computation allocates it again. Throws EzoZezoEvaluatorError while a
    // computation runs.
    void ReleaseComputeMemory();
    // Bytes of heap memory the stacks of computations keep now.
    [[nodiscard]] std::size_t ComputeMemory() const;

    // Fills List with the name of every constant that compiled code refers to, once per
    // reference, equation by equation in instruction order. Compiles nothing.
    void LoadReferencedConstants(TStrings& List) const;

private:
    friend class TEquation;   // computes on FEngine
    friend class TNativeCode; // runs while FChanges stays what it was when it looked last
    friend std::uint64_t* ChangesOf(TzoZezoEvaluator& Evaluator);

    // Counts every entry and equation that joins or leaves a list of the evaluator or an
    // equation's parameter table, and every change of an equation's text or code. Declared
    // before the lists, which count in it.
    std::uint64_t FChanges = 0;
    TConstants FConstants{this};
    TVariables FVariables{this};
    TFunctions FFunctions{this};
    TOperators FOperators{this};
    TEquations FEquations{this};
    std::uint64_t FRunBudget = DefaultRunBudget;
    TNativeMode FNativeMode;
    std::unique_ptr<TEngine> FEngine; // the engine of computations and the stacks it keeps
};

} // namespace zoZezo
