#pragma once

// The fuzz targets' entry functions. Each takes any bytes, runs the evaluator on them, and
// aborts with a message when an invariant breaks; it returns 0 otherwise. libFuzzer drives
// them through LibFuzzerMain.cpp, and the unit tests replay the kept inputs through them.

#include <cstddef>
#include <cstdint>

namespace zoZezo::fuzz {

// Compiles the text under the default syntax characters and, when the input starts with a
// zero byte, the text after the next seven bytes under those seven as syntax characters
// (DecimalPoint, Imaginary, OpenParentesis, CloseParentesis, Separator, OpenComment,
// CloseComment). Checks the compile results and that a second compilation agrees.
int FuzzCompile(const std::uint8_t* Data, std::size_t Size);

// Adds the input's lines as equations and checks each, as the editor does; a line
// "!k text" instead gives equation k the new text and checks it again, so that equations can
// come to call themselves and each other. Then computes the equations in order, up to the
// second that is refused.
int FuzzCompute(const std::uint8_t* Data, std::size_t Size);

// Runs a sequence of operations on the symbol tables and the equation list, chosen byte by
// byte: adding, deleting, clearing, Start, replacing entries, compiling and computing.
// Compiled equations outlive the entries they refer to.
int FuzzTables(const std::uint8_t* Data, std::size_t Size);

// Runs the same input on two evaluators, one interpreting and one translating every equation
// into native code at its first computation, and requires the same bits or the same exception
// (type and message) from every computation, the same messages shown and the same values left
// in the equations' parameters. The input's text up to the first zero byte gives
// the equations, a line each; the bytes after it choose the steps: computing an equation (with
// real or complex arguments, too few or too many, several times), setting host cells and
// constants to awkward values, replacing callbacks and restoring the built-ins, changing
// parameter counts, deleting and adding entries, rebinding variables' cells, and giving
// equations new texts.
int FuzzNative(const std::uint8_t* Data, std::size_t Size);

} // namespace zoZezo::fuzz
