#include "Commands.h"
#include "Document.h"
#include "Failure.h"
#include "Report.h"

#include <fmt/format.h>

namespace zezo {

std::vector<zoZezo::TEquation*> CompileInput(TSession& Session, const TOptions& Options) {
    const auto Equations = Session.Build(SplitLines(ReadInput(Options.File)), Options.All);
    if (!Options.Json)
        for (std::size_t K = 0; K < Equations.size(); ++K)
            if (Equations[K]->ErrorCode() != 0)
                PrintCompileError(*Equations[K], static_cast<int>(K) + 1);
    return Equations;
}

int RunCheck(const TOptions& Options) {
    TSession Session(Options);
    const auto Equations = CompileInput(Session, Options);
    for (std::size_t K = 0; K < Equations.size(); ++K) {
        const zoZezo::TEquation& Equation = *Equations[K];
        const int Line = static_cast<int>(K) + 1;
        if (Options.Json) {
            TJson Object = LineObject(Equation, Line);
            if (Options.Verbose) Object["native"] = Equation.NativeStatus().Text();
            PrintJsonLine(Object);
        } else if (Options.Verbose && Equation.ErrorCode() == 0 &&
                   !Equation.FunctionName().empty()) {
            fmt::print("{}: {}: {}\n", Line, Equation.FunctionName(),
                       Equation.NativeStatus().Text());
        }
    }
    return AnyFaulty(Equations) ? ExitCompileError : ExitOk;
}

} // namespace zezo
