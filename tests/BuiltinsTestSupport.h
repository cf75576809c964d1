#pragma once

// Shared by the tests of the built-in callbacks: printing, calling and comparing complex values.

#include "zoZezo/Builtins.h"
#include "zoZezo/Exception.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <iomanip>
#include <ostream>

namespace zoZezo {
inline void PrintTo(const TComplex& Z, std::ostream* Os) {
    *Os << std::setprecision(21) << '(' << Z.Re << ", " << Z.Im << ')';
}
} // namespace zoZezo

// Calls a function callback with one argument.
inline zoZezo::TComplex Call(zoZezo::TFunctionCallback F, zoZezo::TComplex Z) {
    return F(std::span<const zoZezo::TComplex>(&Z, 1));
}

// Both parts of Got within a few ulps of Want, the ulp taken at Want's larger part.
inline testing::AssertionResult Near(zoZezo::TComplex Got, zoZezo::TComplex Want) {
    const long double Tolerance =
        16 * LDBL_EPSILON * std::max({std::fabs(Want.Re), std::fabs(Want.Im), 1.0L});
    if (std::fabs(Got.Re - Want.Re) <= Tolerance && std::fabs(Got.Im - Want.Im) <= Tolerance)
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << testing::PrintToString(Got) << " is not near " << testing::PrintToString(Want);
}

// The 64-bit significand and the sign-and-exponent word of an extended value.
struct TExtendedBits {
    std::uint64_t Significand;
    std::uint16_t Exponent;
};

inline TExtendedBits BitsOf(long double X) {
    TExtendedBits Bits{};
    std::memcpy(&Bits.Significand, &X, sizeof Bits.Significand);
    std::memcpy(&Bits.Exponent, reinterpret_cast<const char*>(&X) + sizeof Bits.Significand,
                sizeof Bits.Exponent);
    return Bits;
}

// Expects Action to raise EzoZezoEvaluatorError with exactly "Number must be real".
template <class Action>
void ExpectNotReal(Action&& Run) {
    try {
        Run();
        ADD_FAILURE() << "no error raised";
    } catch (const zoZezo::EzoZezoEvaluatorError& Error) {
        EXPECT_STREQ(Error.what(), zoZezo::SNumberMustBeReal);
    }
}
