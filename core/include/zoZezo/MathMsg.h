#pragma once

#include <array>
#include <string_view>

namespace zoZezo {

// Compile-result texts, indexed by TEquation::ErrorCode(). Index 0 is success,
// 1 to 20 the compile errors of the equation language; later indexes are appended only.
inline constexpr std::array<std::string_view, 22> MathMsg = {
    "Ok",
    "Invalid symbol in identifier",
    "A \":\" is required before the expression",
    "Use \";\" to separate input parameters or \")\" to complete the function definition",
    "Symbol not allowed in this position",
    "Invalid symbol to identify an operator",
    "Invalid symbol in number",
    "Invalid symbol in expoent",
    "Function not defined",
    "Identifier not defined",
    "Function need more parameters",
    "Too many params",
    "Parentesis opened but not closed",
    "Empty block",
    "Incomplete equation",
    "Incomplete expression",
    "Number not correctly typed",
    "Operator not defined",
    "Duplicated variables are not allowed",
    "This function need parameters",
    "This function doesn't need parameters",
    "Parentheses nested too deeply",
};

// The error code of a group nested deeper than the compiler allows.
inline constexpr int ErrNestingTooDeep = 21;

} // namespace zoZezo
