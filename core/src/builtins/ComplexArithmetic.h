#pragma once

// The complex arithmetic of the operators + - * /. Their callbacks and the engine, which runs
// them in place, share these formulas, so both give the same bits.

#include "zoZezo/Complex.h"

namespace zoZezo::builtins {

inline TComplex Sum(const TComplex& A, const TComplex& B) {
    return {A.Re + B.Re, A.Im + B.Im};
}

inline TComplex Difference(const TComplex& A, const TComplex& B) {
    return {A.Re - B.Re, A.Im - B.Im};
}

inline TComplex Product(const TComplex& A, const TComplex& B) {
    return {A.Re * B.Re - A.Im * B.Im, A.Im * B.Re + A.Re * B.Im};
}

// The textbook quotient: no test for a zero divisor, no scaling against overflow.
inline TComplex Quotient(const TComplex& A, const TComplex& B) {
    const long double D = B.Re * B.Re + B.Im * B.Im;
    return {(A.Im * B.Im + A.Re * B.Re) / D, (B.Re * A.Im - A.Re * B.Im) / D};
}

} // namespace zoZezo::builtins
