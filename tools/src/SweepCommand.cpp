#include "Commands.h"
#include "Failure.h"
#include "NumberFormat.h"
#include "Report.h"

#include <algorithm>
#include <fmt/format.h>
#include <iterator>

namespace zezo {
namespace {

using zoZezo::TEquation;

// The equations that get a column: the computable ones, except one named like the swept
// variable, which the variable hides from every other equation and whose column would
// repeat the first column's name.
bool IsColumn(const TEquation& Equation, const std::string& Swept) {
    return IsComputable(Equation) && !zoZezo::SameName(Equation.FunctionName(), Swept);
}

// Text mode: a CSV table, one row per step. A cell whose computation failed stays empty; the
// first failure of each column is reported on standard error.
bool PrintTable(TSession& Session, const TOptions& Options, long double& Cell,
                const std::vector<TEquation*>& Columns) {
    std::string Header = Options.Sweep.Name;
    for (const TEquation* Column : Columns)
        Header += "," + Column->FunctionName();
    fmt::print("{}\n", Header);

    std::vector<bool> Failed(Columns.size(), false);
    for (std::size_t Step = 0; Step < Options.Sweep.Count(); ++Step) {
        Cell = Options.Sweep.At(Step);
        std::string Row = FormatReal(Cell, Options.Digits);
        for (std::size_t C = 0; C < Columns.size(); ++C) {
            const TOutcome Outcome = Session.Compute(*Columns[C]);
            Row += ',';
            if (!Outcome.Error)
                Row += FormatComplex(Outcome.Value, Options.Digits, Session.Evaluator().Imaginary);
            else if (!Failed[C])
                PrintEvalError(Columns[C]->FunctionName(), *Outcome.Error);
            if (Outcome.Error) Failed[C] = true;
        }
        fmt::print("{}\n", Row);
    }
    return std::find(Failed.begin(), Failed.end(), true) != Failed.end();
}

// JSON mode: the line objects, each column's equation with "values", its value at every step
// ([re, im], or null where computing failed), and "error", its first failure, if any.
bool PrintJson(TSession& Session, const TOptions& Options, long double& Cell,
               const std::vector<TEquation*>& Equations) {
    std::vector<TJson> Objects;
    for (std::size_t K = 0; K < Equations.size(); ++K) {
        Objects.push_back(LineObject(*Equations[K], static_cast<int>(K) + 1));
        if (IsColumn(*Equations[K], Options.Sweep.Name)) Objects.back()["values"] = TJson::array();
    }
    bool AnyFailed = false;
    for (std::size_t Step = 0; Step < Options.Sweep.Count(); ++Step) {
        Cell = Options.Sweep.At(Step);
        for (std::size_t K = 0; K < Equations.size(); ++K) {
            if (!IsColumn(*Equations[K], Options.Sweep.Name)) continue;
            const TOutcome Outcome = Session.Compute(*Equations[K]);
            TJson& Object = Objects[K];
            Object["values"].push_back(Outcome.Error ? TJson(nullptr) : ExactValue(Outcome.Value));
            if (Outcome.Error && !Object.contains("error")) Object["error"] = *Outcome.Error;
            AnyFailed = AnyFailed || Outcome.Error;
        }
    }
    for (const TJson& Object : Objects)
        PrintJsonLine(Object);
    return AnyFailed;
}

} // namespace

int RunSweep(const TOptions& Options) {
    TSession Session(Options);
    long double& Cell = Session.Bind({Options.Sweep.Name, Options.Sweep.From, std::nullopt});
    const auto Equations = CompileInput(Session, Options);
    std::vector<TEquation*> Columns;
    std::copy_if(Equations.begin(), Equations.end(), std::back_inserter(Columns),
                 [&](const TEquation* E) { return IsColumn(*E, Options.Sweep.Name); });
    const bool EvalFailed = Options.Json ? PrintJson(Session, Options, Cell, Equations)
                                         : PrintTable(Session, Options, Cell, Columns);
    if (AnyFaulty(Equations)) return ExitCompileError;
    return EvalFailed ? ExitEvalError : ExitOk;
}

} // namespace zezo
