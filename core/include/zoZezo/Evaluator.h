#pragma once

#include "zoZezo/Component.h"
#include "zoZezo/Equations.h"
#include "zoZezo/SymbolTable.h"

#include <functional>
#include <string>

namespace zoZezo {

// What kind of name OnAcceptLabel is asked about.
enum TLabelType : std::uint8_t { ltConstant, ltFunction, ltVariable };

// Called while an equation compiles, after the compiler looked Name up in the table that
// LabelType names. Position arrives holding the position found there, or -1; the handler may
// leave it, or set it to a position of that table (after adding the entry, say) or to -1 to
// hide the name. A position outside the table is taken as not found.
using TAcceptLabelProc = std::function<void(TEquation* Sender, const std::string& Name,
                                            TLabelType LabelType, int& Position)>;

// The evaluator component: four symbol tables, the equation list, the seven syntax characters
// of the equation language and the OnAcceptLabel event. A new evaluator holds the built-in
// functions, constants and operators.
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

    // Syntax characters. Changing one recompiles nothing: equations compiled before keep their
    // code until they are checked again.
    char DecimalPoint = '.';
    char Imaginary = 'j';
    char OpenParentesis = '(';
    char CloseParentesis = ')';
    char Separator = ';';
    char OpenComment = '{';
    char CloseComment = '}';

    TAcceptLabelProc OnAcceptLabel;

    // Empties all five collections and registers the built-in functions, the constants e and pi
    // and the built-in operators, as in a new evaluator. Syntax characters and OnAcceptLabel stay.
    void Start();

    // Fills List with the name of every constant that compiled code refers to, once per
    // reference, equation by equation in instruction order. Compiles nothing.
    void LoadReferencedConstants(TStrings& List) const;

private:
    TConstants FConstants{this};
    TVariables FVariables{this};
    TFunctions FFunctions{this};
    TOperators FOperators{this};
    TEquations FEquations{this};
};

} // namespace zoZezo
