#include "zoZezo/Platform.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <limits>
#include <string>

namespace zoZezo {
namespace {

bool IsDigit(char C) {
    return C >= '0' && C <= '9';
}

// A decimal number split at its exponent mark: the digits with an optional '.', and the
// exponent (0 when there is none), saturated far beyond the range of any real type.
struct TDecimal {
    std::string_view Mantissa;
    long long Exponent = 0;
};

TDecimal Split(std::string_view Number) {
    constexpr long long Far = LLONG_MAX / 4;
    const auto Mark = std::min(Number.find_first_of("eE"), Number.size());
    TDecimal Result{Number.substr(0, Mark)};
    if (Mark == Number.size()) return Result;
    std::string_view Digits = Number.substr(Mark + 1);
    const bool Negative = !Digits.empty() && Digits.front() == '-';
    if (!Digits.empty() && (Digits.front() == '-' || Digits.front() == '+'))
        Digits.remove_prefix(1);
    const auto Read =
        std::from_chars(Digits.data(), Digits.data() + Digits.size(), Result.Exponent);
    if (Read.ec == std::errc::result_out_of_range || Result.Exponent > Far) Result.Exponent = Far;
    if (Negative) Result.Exponent = -Result.Exponent;
    return Result;
}

// The power of ten of the number's first nonzero digit: 12.5 gives 1, 0.03e-1 gives -3.
long long Magnitude(const TDecimal& Number) {
    const std::string_view Mantissa = Number.Mantissa;
    const auto Point = std::min(Mantissa.find('.'), Mantissa.size());
    const auto First = Mantissa.find_first_not_of("0.");
    if (First == std::string_view::npos) return LLONG_MIN; // zero
    const auto Place = First < Point ? static_cast<long long>(Point - First) - 1
                                     : -static_cast<long long>(First - Point);
    return Place + Number.Exponent;
}

// A number below the normal range. std::from_chars refuses values in the subnormal range as
// out of range, so the number is read with its exponent raised by Shift and scaled back down: a
// subnormal value is kept (to within a unit in its last place) and only what lies below the
// least subnormal becomes 0.
long double ReadTiny(const TDecimal& Number) {
    constexpr int Shift = 4000;
    constexpr long double Scale = 1e-4000L; // a normal extended value
    std::string Shifted(Number.Mantissa);
    Shifted += 'e';
    Shifted += std::to_string(Number.Exponent + Shift);
    long double Value = 0;
    if (std::from_chars(Shifted.data(), Shifted.data() + Shifted.size(), Value).ec != std::errc{})
        return 0; // far below the least subnormal
    return Value * Scale;
}

// Powers of ten that extended precision holds exactly.
constexpr long double PowersOfTen[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,
                                       1e7L,  1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L,
                                       1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L};

// Reads the way numbers in equations mostly look: digits with an optional fraction, nineteen
// digits at most, no exponent. The digits as a whole number and the power of ten that divides
// them are both exact, so the one rounding of the division gives what a full conversion gives,
// at a fraction of its cost. Returns false for any other text.
bool ReadShort(std::string_view Text, long double& Value) {
    std::uint64_t Digits = 0;
    int Count = 0, Fraction = -1; // digits after the point; -1 before it
    std::size_t I = 0;
    for (; I < Text.size(); ++I) {
        const char C = Text[I];
        if (IsDigit(C)) {
            if (++Count > 19) return false;
            Digits = Digits * 10 + static_cast<std::uint64_t>(C - '0');
            Fraction += Fraction >= 0;
        } else if (C == '.' && Fraction < 0) {
            Fraction = 0;
        } else {
            break;
        }
    }
    if (Count == 0 || (I < Text.size() && (Text[I] == 'e' || Text[I] == 'E'))) return false;
    Value = static_cast<long double>(Digits) / PowersOfTen[Fraction > 0 ? Fraction : 0];
    return true;
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
    if (ReadShort(Text, Value)) return Negative ? -Value : Value;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    if (Error == std::errc::result_out_of_range) {
        // Too large or too small for the format: infinity, or zero or a subnormal value, by the
        // number's decimal magnitude.
        const TDecimal Number =
            Split(std::string_view(Text.data(), static_cast<std::size_t>(End - Text.data())));
        Value =
            Magnitude(Number) < 0 ? ReadTiny(Number) : std::numeric_limits<long double>::infinity();
    }
    return Negative ? -Value : Value;
}

} // namespace zoZezo
