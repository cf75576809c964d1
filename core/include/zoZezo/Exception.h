#pragma once

#include <exception>
#include <string>

namespace zoZezo {

// Base of every exception the package raises: carries a UTF-8 message and nothing else.
class Exception : public std::exception {
public:
    explicit Exception(std::string Message) : FMessage(std::move(Message)) {}
    const char* what() const noexcept override { return FMessage.c_str(); }
    const std::string& Message() const noexcept { return FMessage; }

private:
    std::string FMessage;
};

// Raised while computing: by the built-in callbacks ("Number must be real"), by the engine when
// compiled code no longer fits the evaluator's tables or the computation goes too deep or too
// long, and by the operations that host code may not carry out on an equation being compiled or
// computed (see TEquation).
class EzoZezoEvaluatorError : public Exception {
public:
    using Exception::Exception;
};

// Raised by a computation that would run equations more often than the evaluator's run budget
// allows (TzoZezoEvaluator::RunBudget); Runs() is that budget.
class EzoZezoRunBudgetError : public EzoZezoEvaluatorError {
public:
    EzoZezoRunBudgetError(std::string Message, unsigned long long Runs)
        : EzoZezoEvaluatorError(std::move(Message)), FRuns(Runs) {}
    unsigned long long Runs() const noexcept { return FRuns; }

private:
    unsigned long long FRuns;
};

// The message of the built-in callbacks that refuse a complex operand.
inline constexpr const char* SNumberMustBeReal = "Number must be real";

} // namespace zoZezo
