#pragma once

// The commands of zezo. Each returns the exit status; bad usage and unreadable input end a
// command early with TFailure.

#include "CommandLine.h"
#include "Session.h"

#include <vector>

namespace zezo {

int RunCheck(const TOptions& Options);
int RunEval(const TOptions& Options);
int RunSweep(const TOptions& Options);
int RunForm(const TOptions& Options);

// Reads the input the options name and rebuilds the session's equation list from its lines.
// In text mode the compile error of each faulty line goes to standard error.
std::vector<zoZezo::TEquation*> CompileInput(TSession& Session, const TOptions& Options);

} // namespace zezo
