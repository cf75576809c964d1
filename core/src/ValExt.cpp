#include "zoZezo/Platform.h"

#include <charconv>
#include <limits>
#include <string>

namespace zoZezo {
namespace {

bool IsDigit(char C) {
    return C >= '0' && C <= '9';
}

// A number below the normal range, whose mantissa is Read[0, Mark) and whose (negative)
// exponent follows Read[Mark]. std::from_chars refuses values in the subnormal range as out of
// range, so the number is read with its exponent raised by Shift and scaled back down: a
// subnormal value is kept (to within a unit in its last place) and only what lies below the
// least subnormal becomes 0.
long double ReadTiny(std::string_view Read, std::size_t Mark) {
    constexpr int Shift = 4000;
    constexpr long double Scale = 1e-4000L; // a normal extended value
    int Exponent = 0;
    const char* First = Read.data() + Mark + 1;
    if (std::from_chars(First, Read.data() + Read.size(), Exponent).ec != std::errc{}) return 0;
    std::string Shifted(Read.substr(0, Mark));
    Shifted += 'e';
    Shifted += std::to_string(Exponent + Shift);
    long double Value = 0;
    if (std::from_chars(Shifted.data(), Shifted.data() + Shifted.size(), Value).ec != std::errc{})
        return 0; // far below the least subnormal
    return Value * Scale;
}

} // namespace

long double ValExt(std::string_view Text) {
    bool Negative = false;
    if (!Text.empty() && (Text.front() == '+' || Text.front() == '-')) {
        Negative = Text.front() == '-';
        Text.remove_prefix(1);
    }
    // A number goes on with a digit or the period; std::from_chars would also take a second
    // sign, "inf" and "nan".
    if (Text.empty() || !(IsDigit(Text.front()) || Text.front() == '.')) return 0;
    long double Value = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    if (Error == std::errc::result_out_of_range) {
        // Too large or too small for the format: infinity, or zero or a subnormal value, by the
        // exponent's sign.
        const std::string_view Read(Text.data(), static_cast<std::size_t>(End - Text.data()));
        const auto Mark = Read.find_first_of("eE");
        const bool Tiny =
            Mark != std::string_view::npos && Mark + 1 < Read.size() && Read[Mark + 1] == '-';
        Value = Tiny ? ReadTiny(Read, Mark) : std::numeric_limits<long double>::infinity();
    }
    return Negative ? -Value : Value;
}

} // namespace zoZezo
