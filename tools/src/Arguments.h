#pragma once

// Values written on the command line: numbers, variable bindings, sweep ranges and
// property settings. Each parser throws TFailure(ExitUsage) with a reason naming the text.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace zezo {

// NAME=RE[,IM]: a variable or constant; Im is empty when only the real part was given.
struct TBinding {
    std::string Name;
    long double Re = 0;
    std::optional<long double> Im;
};

// NAME=FROM:TO:STEP: the values FROM + k*STEP for k = 0 .. Count()-1, TO included.
struct TSweepRange {
    std::string Name;
    long double From = 0;
    long double To = 0;
    long double Step = 0;

    std::size_t Count() const;
    long double At(std::size_t K) const { return From + static_cast<long double>(K) * Step; }
};

// The most rows a sweep may produce, so that a tiny step cannot run for ever.
inline constexpr std::size_t MaxSweepRows = 1'000'000;

// True for a name the equation language can refer to: a letter or `_`, then letters,
// digits, `_` or `.`.
bool IsName(std::string_view Text);

// A finite decimal number, written in full (no blanks, nothing after it).
long double ParseNumber(std::string_view Text);

TBinding ParseBinding(std::string_view Text);
TSweepRange ParseSweepRange(std::string_view Text);
// NAME=VALUE, split at the first `=`; the value may be any text, `=` included.
std::pair<std::string, std::string> ParseSetting(std::string_view Text);

} // namespace zezo
