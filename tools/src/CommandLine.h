#pragma once

#include "Arguments.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include <zoZezo/Component.h>

namespace zezo {

enum class TCommand { Check, Eval, Sweep, Form };

// Everything the command line asks for.
struct TOptions {
    TCommand Command = TCommand::Check;
    std::string File = "-"; // "-" is standard input
    std::vector<TBinding> Variables;
    std::vector<TBinding> Constants;
    std::optional<std::string> SettingsFile;
    std::optional<std::uint32_t> Seed;
    std::optional<std::uint64_t> MaxRuns; // the evaluator's run budget per computation
    bool All = false;
    bool Json = false;
    bool Verbose = false; // check only: each equation's native code status
    int Digits = 15;
    TSweepRange Sweep;            // sweep only
    zoZezo::TPropertyList Syntax; // form only
};

// Parses the arguments. Returns nothing when help was asked for (it has been printed);
// throws TFailure(ExitUsage) with a one-line reason on bad usage.
std::optional<TOptions> ParseCommandLine(int Argc, char** Argv);

} // namespace zezo
