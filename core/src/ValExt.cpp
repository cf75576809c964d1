#include "zoZezo/Platform.h"

#include <charconv>
#include <climits>
#include <limits>

namespace zoZezo {
namespace {

// The power of ten of the first nonzero digit of Number (digits, an optional '.' and fraction,
// an optional exponent after 'e' or 'E'), saturated far beyond the range of any real type.
// 12.5 gives 1, 0.03 gives -2.
long long DecimalMagnitude(std::string_view Number) {
    constexpr long long Far = LLONG_MAX / 4;
    const auto Mark = Number.find_first_of("eE");
    long long Exponent = 0;
    if (Mark != std::string_view::npos) {
        std::string_view Digits = Number.substr(Mark + 1);
        const bool Negative = !Digits.empty() && Digits.front() == '-';
        if (!Digits.empty() && (Digits.front() == '-' || Digits.front() == '+'))
            Digits.remove_prefix(1);
        if (std::from_chars(Digits.data(), Digits.data() + Digits.size(), Exponent).ec ==
                std::errc::result_out_of_range ||
            Exponent > Far)
            Exponent = Far;
        if (Negative) Exponent = -Exponent;
    }
    const std::string_view Mantissa = Number.substr(0, Mark);
    const auto Point = std::min(Mantissa.find('.'), Mantissa.size());
    const auto First = Mantissa.find_first_not_of("0.");
    if (First == std::string_view::npos) return -Far; // zero
    const auto Place = First < Point ? static_cast<long long>(Point - First) - 1
                                     : -static_cast<long long>(First - Point);
    return Place + Exponent;
}

} // namespace

long double ValExt(std::string_view Text) {
    bool Negative = false;
    if (!Text.empty() && (Text.front() == '+' || Text.front() == '-')) {
        Negative = Text.front() == '-';
        Text.remove_prefix(1);
    }
    long double Value = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    if (Error == std::errc::result_out_of_range) {
        // Too large or too small for the format: infinity or zero, by the number's magnitude.
        const std::string_view Read(Text.data(), static_cast<std::size_t>(End - Text.data()));
        Value = DecimalMagnitude(Read) < 0 ? 0.0L : std::numeric_limits<long double>::infinity();
    }
    return Negative ? -Value : Value;
}

} // namespace zoZezo
