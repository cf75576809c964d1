#include "Arguments.h"

#include "Failure.h"
#include "SweepPoints.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fmt/format.h>

namespace zezo {
namespace {

[[noreturn]] void Refuse(std::string_view Text, std::string_view Reason) {
    throw TFailure(ExitUsage, fmt::format("'{}': {}", Text, Reason));
}

bool IsLetter(char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
}
bool IsDigit(char C) {
    return C >= '0' && C <= '9';
}

// Splits NAME=REST and checks the name.
std::pair<std::string, std::string_view> SplitName(std::string_view Text) {
    const auto Equals = Text.find('=');
    if (Equals == std::string_view::npos) Refuse(Text, "expected NAME=VALUE");
    std::string Name(Text.substr(0, Equals));
    if (!IsName(Name)) Refuse(Text, fmt::format("'{}' is not a valid name", Name));
    return {std::move(Name), Text.substr(Equals + 1)};
}

} // namespace

bool IsName(std::string_view Text) {
    if (Text.empty() || !IsLetter(Text.front())) return false;
    for (char C : Text)
        if (!IsLetter(C) && !IsDigit(C) && C != '.') return false;
    return true;
}

long double ParseNumber(std::string_view Text) {
    // strtold skips leading blanks; a number written on the command line has none.
    if (Text.empty() || !(IsDigit(Text.front()) || Text.front() == '-' || Text.front() == '+' ||
                          Text.front() == '.'))
        Refuse(Text, "not a number");
    const std::string Copy(Text);
    char* End = nullptr;
    errno = 0;
    const long double Value = std::strtold(Copy.c_str(), &End);
    if (End != Copy.c_str() + Copy.size()) Refuse(Text, "not a number");
    if (errno == ERANGE && std::isinf(Value)) Refuse(Text, "out of range");
    if (!std::isfinite(Value)) Refuse(Text, "not a finite number");
    return Value;
}

TBinding ParseBinding(std::string_view Text) {
    auto [Name, Value] = SplitName(Text);
    TBinding Binding{std::move(Name), 0, std::nullopt};
    const auto Comma = Value.find(',');
    Binding.Re = ParseNumber(Value.substr(0, Comma));
    if (Comma != std::string_view::npos) Binding.Im = ParseNumber(Value.substr(Comma + 1));
    return Binding;
}

TSweepRange ParseSweepRange(std::string_view Text) {
    auto [Name, Value] = SplitName(Text);
    const auto First = Value.find(':');
    const auto Second = First == std::string_view::npos ? First : Value.find(':', First + 1);
    if (Second == std::string_view::npos || Value.find(':', Second + 1) != std::string_view::npos)
        Refuse(Text, "expected NAME=FROM:TO:STEP");
    TSweepRange Range{std::move(Name), ParseNumber(Value.substr(0, First)),
                      ParseNumber(Value.substr(First + 1, Second - First - 1)),
                      ParseNumber(Value.substr(Second + 1))};
    if (Range.Step == 0) Refuse(Text, "the step must not be 0");
    const long double Steps = (Range.To - Range.From) / Range.Step;
    if (Steps < 0) Refuse(Text, "the step leads away from TO");
    if (!(Steps < MaxSweepRows)) // also refuses the infinity of an overflowing quotient
        Refuse(Text, fmt::format("more than {} steps", MaxSweepRows));
    return Range;
}

std::size_t TSweepRange::Count() const {
    return SweepPoints(From, To, Step);
}

std::pair<std::string, std::string> ParseSetting(std::string_view Text) {
    const auto Equals = Text.find('=');
    if (Equals == 0 || Equals == std::string_view::npos) Refuse(Text, "expected NAME=VALUE");
    return {std::string(Text.substr(0, Equals)), std::string(Text.substr(Equals + 1))};
}

} // namespace zezo
