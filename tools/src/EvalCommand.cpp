#include "Commands.h"
#include "Failure.h"
#include "NumberFormat.h"
#include "Report.h"

#include <fmt/format.h>

namespace zezo {

// Compile errors come first in the exit status: a value computed next to a faulty line may be
// missing a piece the author meant it to have.
int RunEval(const TOptions& Options) {
    TSession Session(Options);
    const auto Equations = CompileInput(Session, Options);
    int Status = AnyFaulty(Equations) ? ExitCompileError : ExitOk;
    for (std::size_t K = 0; K < Equations.size(); ++K) {
        zoZezo::TEquation& Equation = *Equations[K];
        TJson Object = Options.Json ? LineObject(Equation, static_cast<int>(K) + 1) : TJson();
        if (IsComputable(Equation)) {
            const TOutcome Outcome = Session.Compute(Equation);
            if (Outcome.Error && Status == ExitOk) Status = ExitEvalError;
            if (Options.Json)
                AddOutcome(Object, Outcome);
            else if (Outcome.Error)
                PrintEvalError(Equation.FunctionName(), *Outcome.Error);
            else
                fmt::print(
                    "{} = {}\n", Equation.FunctionName(),
                    FormatComplex(Outcome.Value, Options.Digits, Session.Evaluator().Imaginary));
        }
        if (Options.Json) PrintJsonLine(Object);
    }
    return Status;
}

} // namespace zezo
