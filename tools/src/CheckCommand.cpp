#include "Commands.h"
#include "Document.h"
#include "Failure.h"
#include "Report.h"

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
    if (Options.Json)
        for (std::size_t K = 0; K < Equations.size(); ++K)
            PrintJsonLine(LineObject(*Equations[K], static_cast<int>(K) + 1));
    return AnyFaulty(Equations) ? ExitCompileError : ExitOk;
}

} // namespace zezo
