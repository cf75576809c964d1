#pragma once

// The thin layer of runtime services the evaluator relies on: name comparison,
// decimal conversion, the message sink, the shared random generator and the
// extended-precision real routines. Everything here depends on the standard library only.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zoZezo {

// An ordered list of strings.
using TStrings = std::vector<std::string>;

// --- Names -------------------------------------------------------------------------------

// Upper-cases a UTF-8 string: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic letters
// are folded; other code points and bytes that are not valid UTF-8 are kept as they are.
std::string AnsiUpperCase(std::string_view S);

// Compares two UTF-8 strings without regard to letter case (folding as AnsiUpperCase does);
// returns <0, 0 or >0. Allocates nothing.
int AnsiCompareText(std::string_view A, std::string_view B);

// Compares two strings, folding only the ASCII letters; returns <0, 0 or >0.
int CompareText(std::string_view A, std::string_view B);

// A hash of a name that names equal under AnsiCompareText share.
std::size_t NameHash(std::string_view Name);

// True when both names are equal under AnsiCompareText. Names mostly differ in their first
// letter already, which tells them apart here without the full comparison.
inline bool SameName(std::string_view A, std::string_view B) {
    if (!A.empty() && !B.empty()) {
        const auto First = [](char C) { return C >= 'a' && C <= 'z' ? C - 32 : C; };
        const auto a = static_cast<unsigned char>(A[0]), b = static_cast<unsigned char>(B[0]);
        if ((a | b) < 0x80 && First(A[0]) != First(B[0])) return false;
    }
    return AnsiCompareText(A, B) == 0;
}

// --- Numbers -----------------------------------------------------------------------------

// Reads a decimal real: an optional sign, digits, an optional `.` and fraction digits, an
// optional exponent after `e` or `E`. The period is the decimal point whatever the process
// locale says. Text that is not such a number reads as far as it is one; nothing gives 0.
long double ValExt(std::string_view Text);

// --- Messages ----------------------------------------------------------------------------

// Receives the texts that ShowMessage shows the user.
using TMessageHandler = std::function<void(const std::string& Text)>;

// Shows a text to the user through the installed handler. The default handler writes the
// text as one line to standard error.
void ShowMessage(const std::string& Text);

// Installs a handler (an empty one restores the default) and returns the previous one.
TMessageHandler SetMessageHandler(TMessageHandler Handler);

// --- Random numbers ----------------------------------------------------------------------

// Draws an integer uniformly from 0 to Range-1 (0 when Range <= 0) from the one generator
// the whole process shares. The package never seeds it.
std::int32_t RandInt(std::int32_t Range);

// Seeds the shared generator, making the sequences that follow reproducible.
void RandSeed(std::uint32_t Seed);

// --- Extended reals ----------------------------------------------------------------------

// Base raised to an integer exponent by repeated multiplication: exponent 0 gives 1 (also for
// a zero base), a negative exponent the reciprocal of the positive power. Inline, as the
// evaluation engine runs it in place.
inline long double IntPower(long double Base, std::int32_t Exponent) {
    // Square-and-multiply over the magnitude; exact whenever the powers are representable. The
    // product starts at the lowest power it takes rather than at 1, so that no compiler can
    // choose between multiplying by 1 and not (which tells apart a signalling NaN).
    auto Remaining = Exponent < 0 ? 0u - static_cast<std::uint32_t>(Exponent)
                                  : static_cast<std::uint32_t>(Exponent);
    if (Remaining == 0) return 1;
    long double Square = Base;
    for (; (Remaining & 1u) == 0; Remaining >>= 1)
        Square *= Square;
    long double Result = Square;
    for (Remaining >>= 1; Remaining != 0; Remaining >>= 1) {
        Square *= Square;
        if (Remaining & 1u) Result *= Square;
    }
    return Exponent < 0 ? 1 / Result : Result;
}

// The angle of the point (X, Y), in (-pi, pi].
long double ArcTan2(long double Y, long double X);

} // namespace zoZezo
