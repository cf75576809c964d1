#include "Commands.h"
#include "Failure.h"

#include <fmt/format.h>
#include <zoZezo/Evaluator.h>
#include <zoZezo/Exception.h>
#include <zoZezo/Form.h>

namespace zezo {

int RunForm(const TOptions& Options) {
    zoZezo::TzoZezoEvaluator Evaluator;
    try {
        Evaluator.LoadProperties(Options.Syntax);
    } catch (const zoZezo::Exception& Error) {
        throw TFailure(ExitUsage, fmt::format("--syntax: {}", Error.what()));
    }
    fmt::print("{}\n", zoZezo::SaveForm(Evaluator));
    return ExitOk;
}

} // namespace zezo
