#include "Report.h"

#include "NumberFormat.h"
#include "TextPosition.h"

#include <cstdio>
#include <fmt/format.h>

namespace zezo {

void PrintCompileError(const zoZezo::TEquation& Equation, int Line) {
    const std::string& Text = Equation.EquationStr();
    const auto [Shown, Caret] = PointAt(Text, Equation.ErrorPos());
    fmt::print(stderr, "Error: {} (position:{},{}).\n{}\n{}\n", Equation.ErrorMsg(), Line,
               CharacterColumn(Text, Equation.ErrorPos()), Shown, Caret);
}

void PrintEvalError(const std::string& Name, const std::string& Message) {
    fmt::print(stderr, "{}: {}\n", Name, Message);
}

TJson LineObject(const zoZezo::TEquation& Equation, int Line) {
    TJson Params = TJson::array();
    for (const auto* Param : Equation.LocalConstants().Items())
        Params.push_back(Param->Name);
    TJson Instrs = TJson::array();
    for (const auto& I : Equation.Instructions()) {
        const bool Literal = I.Kind == zoZezo::opRealNum || I.Kind == zoZezo::opImaginaryNum;
        Instrs.push_back({static_cast<int>(I.Kind), I.Index,
                          Literal ? TJson(FormatReal(I.Value, ExactDigits)) : TJson(nullptr)});
    }
    return {{"line", Line},
            {"text", Equation.EquationStr()},
            {"code", Equation.ErrorCode()},
            {"pos", Equation.ErrorCode() == 0 ? 0 : Equation.ErrorPos()},
            {"message", Equation.ErrorMsg()},
            {"name", Equation.FunctionName()},
            {"params", Params},
            {"classes", Equation.CharClasses()},
            {"instrs", Instrs}};
}

TJson ExactValue(const zoZezo::TComplex& Value) {
    return {FormatReal(Value.Re, ExactDigits), FormatReal(Value.Im, ExactDigits)};
}

void AddOutcome(TJson& Object, const TOutcome& Outcome) {
    if (Outcome.Error)
        Object["error"] = *Outcome.Error;
    else
        Object["value"] = ExactValue(Outcome.Value);
}

void PrintJsonLine(const TJson& Object) {
    fmt::print("{}\n", Object.dump(-1, ' ', false, TJson::error_handler_t::replace));
}

} // namespace zezo
