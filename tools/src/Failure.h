#pragma once

#include <stdexcept>
#include <string>

namespace zezo {

// The exit statuses of zezo.
enum TExitStatus : int {
    ExitOk = 0,
    ExitCompileError = 1,
    ExitEvalError = 2,
    ExitUsage = 64,
    ExitNoInput = 66,
};

// Ends the run early: main prints the one-line reason and exits with the status.
class TFailure : public std::runtime_error {
public:
    TFailure(TExitStatus AStatus, const std::string& Reason)
        : std::runtime_error(Reason), Status(AStatus) {}
    TExitStatus Status;
};

} // namespace zezo
