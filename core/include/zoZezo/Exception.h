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

// Raised while computing: by the built-in callbacks ("Number must be real") and by the
// engine when compiled code no longer fits the evaluator's tables.
class EzoZezoEvaluatorError : public Exception {
public:
    using Exception::Exception;
};

// The message of the built-in callbacks that refuse a complex operand.
inline constexpr const char* SNumberMustBeReal = "Number must be real";

} // namespace zoZezo
