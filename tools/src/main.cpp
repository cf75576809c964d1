// zezo: checks, computes and sweeps the equations of a text, one equation per line.

#include "Commands.h"
#include "Failure.h"

#include <exception>
#include <fmt/format.h>

int main(int Argc, char** Argv) {
    using namespace zezo;
    try {
        const auto Options = ParseCommandLine(Argc, Argv);
        if (!Options) return ExitOk;
        switch (Options->Command) {
        case TCommand::Check: return RunCheck(*Options);
        case TCommand::Eval: return RunEval(*Options);
        case TCommand::Sweep: return RunSweep(*Options);
        case TCommand::Form: return RunForm(*Options);
        }
    } catch (const TFailure& Failure) {
        fmt::print(stderr, "zezo: {}\n", Failure.what());
        return Failure.Status;
    } catch (const std::exception& Error) {
        // Out of memory, or standard output closed under us: nothing sensible remains to do.
        fmt::print(stderr, "zezo: {}\n", Error.what());
        return 70;
    }
    return ExitOk;
}
