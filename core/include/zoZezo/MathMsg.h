#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace zoZezo {

// The results of a compilation, numbered as the equation language numbers them: the values of
// TEquation::ErrorCode() and the indexes into MathMsg. 0 is success, 1 to 20 the compile errors
// of the equation language; later codes are appended only.
enum TCompileError : int {
    ceOk = 0,
    ceInvalidIdentifier = 1,  // a character not allowed in or before a name
    ceColonExpected = 2,      // the header is not followed by the colon
    ceBadParameterList = 3,   // a bad character after a parameter name
    ceSymbolNotAllowed = 4,   // a character that cannot begin an operand
    ceInvalidOperator = 5,    // a character that cannot begin or continue an operator
    ceInvalidNumber = 6,      // a bad character in a number's digits
    ceInvalidExponent = 7,    // a bad character in a number's exponent
    ceFunctionNotDefined = 8, // a called name that is neither a function nor an equation
    ceIdentifierNotDefined = 9,
    ceTooFewArguments = 10,
    ceTooManyArguments = 11, // or a separator outside a call
    ceUnclosedParenthesis = 12,
    ceEmptyBlock = 13,
    ceIncompleteEquation = 14,   // the text ends in the header or right after it
    ceIncompleteExpression = 15, // the text ends after an operator, separator or sign
    ceIncompleteNumber = 16,     // the text ends inside a number
    ceOperatorNotDefined = 17,
    ceDuplicatedParameter = 18,
    ceParametersNeeded = 19,   // an equation with parameters used without arguments
    ceNoParametersNeeded = 20, // an equation without parameters called with arguments
    ceNestingTooDeep = 21,     // a group nested deeper than the compiler allows
    ceCount
};

namespace detail {
struct TMathMsgEntry {
    TCompileError Code;
    std::string_view Text;
};

// Each text beside the code it belongs to, in the order of the codes.
inline constexpr TMathMsgEntry MathMsgEntries[] = {
    {ceOk, "Ok"},
    {ceInvalidIdentifier, "Invalid symbol in identifier"},
    {ceColonExpected, "A \":\" is required before the expression"},
    {ceBadParameterList,
     "Use \";\" to separate input parameters or \")\" to complete the function definition"},
    {ceSymbolNotAllowed, "Symbol not allowed in this position"},
    {ceInvalidOperator, "Invalid symbol to identify an operator"},
    {ceInvalidNumber, "Invalid symbol in number"},
    {ceInvalidExponent, "Invalid symbol in expoent"},
    {ceFunctionNotDefined, "Function not defined"},
    {ceIdentifierNotDefined, "Identifier not defined"},
    {ceTooFewArguments, "Function need more parameters"},
    {ceTooManyArguments, "Too many params"},
    {ceUnclosedParenthesis, "Parentesis opened but not closed"},
    {ceEmptyBlock, "Empty block"},
    {ceIncompleteEquation, "Incomplete equation"},
    {ceIncompleteExpression, "Incomplete expression"},
    {ceIncompleteNumber, "Number not correctly typed"},
    {ceOperatorNotDefined, "Operator not defined"},
    {ceDuplicatedParameter, "Duplicated variables are not allowed"},
    {ceParametersNeeded, "This function need parameters"},
    {ceNoParametersNeeded, "This function doesn't need parameters"},
    {ceNestingTooDeep, "Parentheses nested too deeply"},
};

constexpr bool EveryCodeAtItsIndex() {
    std::size_t Index = 0;
    for (const TMathMsgEntry& Entry : MathMsgEntries)
        if (static_cast<std::size_t>(Entry.Code) != Index++) return false;
    return Index == ceCount;
}
static_assert(EveryCodeAtItsIndex(), "one text per compile result, in the order of the codes");
} // namespace detail

// Compile-result texts, indexed by TEquation::ErrorCode(): MathMsg[ceOk] is "Ok".
inline constexpr std::array<std::string_view, ceCount> MathMsg = [] {
    std::array<std::string_view, ceCount> Texts{};
    for (const detail::TMathMsgEntry& Entry : detail::MathMsgEntries)
        Texts[static_cast<std::size_t>(Entry.Code)] = Entry.Text;
    return Texts;
}();

// The error code of a group nested deeper than the compiler allows.
inline constexpr int ErrNestingTooDeep = ceNestingTooDeep;

} // namespace zoZezo
