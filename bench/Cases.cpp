#include "Cases.h"

#include <cmath>
#include <complex>

namespace bench {
namespace {

template <class T>
constexpr T Pi = static_cast<T>(3.14159265358979323846264338327950288L);
template <class T>
constexpr T E = static_cast<T>(2.71828182845904523536028747135266250L);

// The native functions are kept out of the optimiser's sight (noipa: not inlined, cloned or
// analysed), so that each evaluation really runs and nothing that depends on y alone is hoisted.
#define NATIVE                                                                                     \
    template <class T>                                                                             \
    [[gnu::noipa]] T

NATIVE E1(const T& X, const T&) {
    return 2 * X * X + std::sin(X);
}
NATIVE E2(const T& X, const T&) {
    return (X + 1) * (X - 1) / (X * X + 1);
}
NATIVE E3(const T& X, const T& Y) {
    return std::sqrt(X * X + Y * Y);
}
NATIVE E4(const T& X, const T&) {
    return std::exp(-X * X / 2) * std::cos(3 * X);
}
NATIVE E5(const T& X, const T&) {
    const T X2 = X * X, X3 = X2 * X, X4 = X3 * X, X5 = X4 * X, X6 = X5 * X, X7 = X6 * X,
            X8 = X7 * X, X9 = X8 * X, X10 = X9 * X;
    return 1 + X + X2 + X3 + X4 + X5 + X6 + X7 + X8 + X9 + X10;
}
NATIVE E6(const T& X, const T& Y) {
    return std::sin(std::cos(std::tan(X))) + std::atan(Y);
}
NATIVE E7(const T& X, const T& Y) {
    return X > T(0.5) && Y < 2 ? 1 : 0;
}
NATIVE E8(const T& X, const T& Y) {
    return Pi<T> * X + E<T> * Y - T(2.5);
}
NATIVE E9(const T& X, const T& Y) {
    return ((X + Y) * (X - Y) + (X * Y) / (1 + X * X)) * ((Y - X) / (1 + Y * Y) + X * Y * Y) -
           ((X / (Y + 1)) + (Y / (X + 1)));
}
// The interpreter's formulas of complex arithmetic, as they stand.
template <class T>
struct TComplexOf {
    T Re, Im;
    friend TComplexOf operator+(TComplexOf A, TComplexOf B) { return {A.Re + B.Re, A.Im + B.Im}; }
    friend TComplexOf operator-(TComplexOf A, TComplexOf B) { return {A.Re - B.Re, A.Im - B.Im}; }
    friend TComplexOf operator*(TComplexOf A, TComplexOf B) {
        return {A.Re * B.Re - A.Im * B.Im, A.Im * B.Re + A.Re * B.Im};
    }
    friend TComplexOf operator/(TComplexOf A, TComplexOf B) {
        const T D = B.Re * B.Re + B.Im * B.Im;
        return {(A.Im * B.Im + A.Re * B.Re) / D, (B.Re * A.Im - A.Re * B.Im) / D};
    }
};
NATIVE C2(const T& X, const T& Y) {
    using Z = TComplexOf<T>;
    const Z ZX{X, 0}, ZY{Y, 0};
    const Z R = (ZX + Z{0, 1}) * (ZY - Z{0, 2}) / (ZX * ZY + Z{0, 1}) + ZX / (Z{1, 0} - Z{0, 2});
    ImaginaryPart<T> = R.Im;
    return R.Re;
}

// E2, E3, E8 and E9 as the language defines them: each operation by the interpreter's formula
// of complex arithmetic, on values whose imaginary parts start at 0, and the real part kept;
// g++ drops no more of the imaginary arithmetic than gives the same bits.
using TLanguage = TComplexOf<long double>;
[[gnu::noipa]] long double E2Formulas(const long double& X, const long double&) {
    const TLanguage Z{X, 0}, One{1, 0};
    return ((Z + One) * (Z - One) / (Z * Z + One)).Re;
}
[[gnu::noipa]] long double E3Formulas(const long double& X, const long double& Y) {
    const TLanguage ZX{X, 0}, ZY{Y, 0};
    const TLanguage Square = ZX * ZX + ZY * ZY;
    return Square.Im == 0 && Square.Re >= 0 ? std::sqrt(Square.Re) : 0;
}
[[gnu::noipa]] long double E8Formulas(const long double& X, const long double& Y) {
    const TLanguage ZX{X, 0}, ZY{Y, 0};
    return (TLanguage{Pi<long double>, 0} * ZX + TLanguage{E<long double>, 0} * ZY -
            TLanguage{2.5L, 0})
        .Re;
}
[[gnu::noipa]] long double E9Formulas(const long double& X, const long double& Y) {
    const TLanguage ZX{X, 0}, ZY{Y, 0}, One{1, 0};
    return (((ZX + ZY) * (ZX - ZY) + (ZX * ZY) / (One + ZX * ZX)) *
                ((ZY - ZX) / (One + ZY * ZY) + ZX * ZY * ZY) -
            ((ZX / (ZY + One)) + (ZY / (ZX + One))))
        .Re;
}
NATIVE C1(const T& X, const T&) {
    const std::complex<T> Z(X, 0);
    return (std::complex<T>(1, 2) * (Z * Z * Z) - std::sqrt(-Z)).real();
}
template <class T>
[[gnu::noipa]] T F(T A, T B) {
    return A * B + 1;
}
NATIVE F1(const T& X, const T&) {
    return 2 * F<T>(X, 3) - Pi<T>;
}

#undef NATIVE

#define NATIVES(Name) Name<double>, Name<long double>

// Written as muparser and muparserx read them, where they take the expression.
#define SAME(Expression) Expression, Expression

constexpr TCase AllCases[] = {
    {"E1", nullptr, "r: 2*x^2+Sin(x)", SAME("2*x^2+sin(x)"), NATIVES(E1), TGroup::Functions},
    {"E2", nullptr, "r: (x+1)*(x-1)/(x*x+1)", SAME("(x+1)*(x-1)/(x*x+1)"), NATIVES(E2),
     TGroup::Arithmetic, false, E2Formulas},
    {"E3", nullptr, "r: Sqrt(x*x+y*y)", SAME("sqrt(x*x+y*y)"), NATIVES(E3), TGroup::Arithmetic,
     false, E3Formulas},
    {"E4", nullptr, "r: Exp(-x*x/2)*Cos(3*x)", SAME("exp(-x*x/2)*cos(3*x)"), NATIVES(E4),
     TGroup::Functions},
    {"E5", nullptr, "r: 1+x+x^2+x^3+x^4+x^5+x^6+x^7+x^8+x^9+x^10",
     SAME("1+x+x^2+x^3+x^4+x^5+x^6+x^7+x^8+x^9+x^10"), NATIVES(E5), TGroup::Arithmetic},
    {"E6", nullptr, "r: Sin(Cos(Tan(x)))+ATan(y)", "sin(cos(tan(x)))+atan(y)", nullptr, NATIVES(E6),
     TGroup::Functions}, // muparserx has no atan
    {"E7", nullptr, "r: x>0.5 and y<2", SAME("x>0.5 && y<2"), NATIVES(E7), TGroup::Arithmetic},
    {"E8", nullptr, "r: pi*x+e*y-2.5", "_pi*x+_e*y-2.5", "pi*x+e*y-2.5", NATIVES(E8),
     TGroup::Arithmetic, false, E8Formulas},
    {"E9", nullptr, "r: ((x+y)*(x-y)+(x*y)/(1+x*x))*((y-x)/(1+y*y)+x*y*y)-((x/(y+1))+(y/(x+1)))",
     SAME("((x+y)*(x-y)+(x*y)/(1+x*x))*((y-x)/(1+y*y)+x*y*y)-((x/(y+1))+(y/(x+1)))"), NATIVES(E9),
     TGroup::Arithmetic, false, E9Formulas},
    {"C1", nullptr, "r: (1+2j)*x^3-Sqrt(-x)", nullptr, "(1+2i)*x^3-sqrt(-x)", NATIVES(C1),
     TGroup::Complex},
    {"C2", nullptr, "r: (x+1j)*(y-2j)/(x*y+1j)+x/(1-2j)", nullptr,
     "(x+1i)*(y-2i)/(x*y+1i)+x/(1-2i)", NATIVES(C2), TGroup::Complex, true},
    {"F1", "f(a;b): a*b+1", "r: 2*f(x;3)-pi", "2*(x*3+1)-_pi", "2*(x*3+1)-pi", NATIVES(F1),
     TGroup::Call},
};

#undef SAME
#undef NATIVES

} // namespace

std::span<const TCase> Cases() {
    return AllCases;
}

} // namespace bench
