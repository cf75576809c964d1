#pragma once

namespace zoZezo {

// A complex value in extended precision: every literal, variable, argument and
// result of the evaluator is one. On x86-64 `long double` is the 80-bit x87 format.
struct TComplex {
    long double Re = 0;
    long double Im = 0;

    friend bool operator==(const TComplex&, const TComplex&) = default;
};

// Builds the complex value Re + Im*j.
constexpr TComplex Compl(long double Re, long double Im) {
    return TComplex{Re, Im};
}

} // namespace zoZezo
