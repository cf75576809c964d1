#pragma once

// The expressions the benchmarks measure, each as an equation, as a muparser and a muparserx
// expression and as native C++ code in double and in long double.

#include <span>

namespace bench {

// Which target a case belongs to.
enum class TGroup { Arithmetic, Functions, Complex, Call };

// Native code of one expression: reads the two cells, returns the (real) result.
template <class T>
using TNative = T (*)(const T& X, const T& Y);

struct TCase {
    const char* Id;
    const char* Prelude;   // an equation compiled before Equation, or nullptr
    const char* Equation;  // the equation text
    const char* MuParser;  // the same expression for muparser; nullptr when it has none
    const char* MuParserX; // for muparserx, which computes complex values; nullptr for none
    TNative<double> NativeDouble;
    TNative<long double> NativeLongDouble;
    TGroup Group;
    // Whether the imaginary part is computed too: zoZezo computes with ComputeC, the native code
    // stores it apart.
    bool BothParts = false;
    // The same in long double by the language's own formulas of complex arithmetic, or nullptr.
    TNative<long double> LanguageFormulas = nullptr;
};

// Where native code of a complex case leaves the imaginary part, out of the optimiser's sight.
template <class T>
inline T ImaginaryPart;

// The values bound to x and y; x moves by a small step every evaluation.
inline constexpr double X0 = 0.7, Y0 = 1.3;

// The next value of x: it walks 256 small steps up from X0 and starts again, so that no
// evaluation can be hoisted out of a loop while all of them see nearly the same input.
template <class T>
T NextX(unsigned& Step) {
    return static_cast<T>(X0) + static_cast<T>(++Step & 255u) * static_cast<T>(1e-6);
}

std::span<const TCase> Cases();

} // namespace bench
