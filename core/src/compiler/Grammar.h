#pragma once

// The state table of the equation language: what each state of the compiler accepts, where each
// character leads, and which error a character that no rule accepts is.

#include "zoZezo/MathMsg.h"

#include <cstdint>
#include <iterator>

namespace zoZezo::compiler {

// The compiler's states, numbered as the equation language numbers them. The header states come
// before Operand, the expression's after it; a number's states run from Integer to Exponent.
enum class TState : std::uint8_t {
    BeforeHeader = 0,     // before the header name
    HeaderName = 1,       // the header name
    AfterHeaderName = 2,  // blanks after the header name
    BeforeParameter = 3,  // before a parameter name
    Parameter = 4,        // a parameter name
    AfterParameters = 5,  // after the parameter list
    AfterParameter = 6,   // blanks after a parameter name
    Operand = 7,          // expecting an operand; also holds an operator symbol being read
    AfterOperand = 8,     // blanks after an operand
    WordOperator = 9,     // a word operator
    Name = 10,            // a name in the expression
    Sign = 11,            // after the sign of an operand
    Integer = 12,         // integer digits
    Point = 13,           // just after the decimal point
    Fraction = 14,        // fraction digits
    ExponentMark = 15,    // after the exponent mark
    ExponentSign = 16,    // after the exponent's sign
    Exponent = 17,        // exponent digits
    ImaginarySuffix = 18, // after the imaginary suffix
    AfterClose = 19,      // after a closing parenthesis
    End = 20,             // the end of a level's text, stepped to once
};

// What a state tests the current character for.
enum TTest : std::uint8_t {
    tNone, // ends a row's rules
    tBlank,
    tLetter,
    tNameChar,
    tDigit,
    tSign,
    tOperatorChar,
    tTwoCharOperator, // the character and the one before it form "<>", ">=" or "<="
    tColon,
    tExponent,
    tDecimalPoint,
    tImaginary,
    tOpen,
    tClose,
    tSeparator,
};

// What a state does with a character that passes a test.
enum TAction : std::uint8_t {
    aStep, // to the rule's state
    aDecimalPoint,
    aParseGroup,
    aSignedGroup,
    aFunctionCall,
    aNextArgument,
    aStartExpression,
};

struct TRule {
    constexpr TRule() = default;
    constexpr TRule(TTest T, TState To) : Test(T), Action(aStep), To(To) {}
    constexpr TRule(TTest T, TAction A) : Test(T), Action(A) {}

    TTest Test = tNone;
    TAction Action = aStep;
    TState To = TState::End; // for aStep
};

struct TStateRow {
    TCompileError Error; // recorded when no rule holds
    char Class;          // the class digit of the characters this state accepts
    TRule Rules[8];
};

// Rules are tried in order; the first whose test holds decides.
// clang-format off
namespace rows {
using enum TState;
inline constexpr TStateRow States[] = {
/* BeforeHeader    */ {ceInvalidIdentifier, '1', {{tBlank, BeforeHeader}, {tLetter, HeaderName}}},
/* HeaderName      */ {ceInvalidIdentifier, '2', {{tNameChar, HeaderName}, {tBlank, AfterHeaderName},
                                                  {tOpen, BeforeParameter}, {tColon, aStartExpression}}},
/* AfterHeaderName */ {ceColonExpected, '1', {{tBlank, AfterHeaderName}, {tColon, aStartExpression}}},
/* BeforeParameter */ {ceInvalidIdentifier, '1', {{tBlank, BeforeParameter}, {tLetter, Parameter}}},
/* Parameter       */ {ceInvalidIdentifier, '2', {{tNameChar, Parameter}, {tSeparator, BeforeParameter},
                                                  {tClose, AfterParameters}, {tBlank, AfterParameter}}},
/* AfterParameters */ {ceColonExpected, '1', {{tBlank, AfterParameters}, {tColon, aStartExpression}}},
/* AfterParameter  */ {ceBadParameterList, '1', {{tBlank, AfterParameter}, {tSeparator, BeforeParameter},
                                                 {tClose, AfterParameters}}},
/* Operand         */ {ceSymbolNotAllowed, '1', {{tBlank, Operand}, {tTwoCharOperator, Operand},
                                                 {tOpen, aParseGroup}, {tLetter, Name}, {tSign, Sign},
                                                 {tDigit, Integer}, {tDecimalPoint, aDecimalPoint}}},
/* AfterOperand    */ {ceInvalidOperator, '1', {{tBlank, AfterOperand}, {tOperatorChar, Operand},
                                                {tSeparator, aNextArgument}, {tLetter, WordOperator}}},
/* WordOperator    */ {ceInvalidOperator, '1', {{tNameChar, WordOperator}, {tBlank, Operand}}},
/* Name            */ {ceInvalidIdentifier, '2', {{tNameChar, Name}, {tOperatorChar, Operand},
                                                  {tSeparator, aNextArgument}, {tBlank, AfterOperand},
                                                  {tOpen, aFunctionCall}}},
/* Sign            */ {ceSymbolNotAllowed, '1', {{tLetter, Name}, {tDigit, Integer},
                                                 {tDecimalPoint, aDecimalPoint}, {tOpen, aSignedGroup}}},
/* Integer         */ {ceInvalidNumber, '3', {{tDigit, Integer}, {tDecimalPoint, aDecimalPoint},
                                              {tExponent, ExponentMark}, {tImaginary, ImaginarySuffix},
                                              {tOperatorChar, Operand}, {tSeparator, aNextArgument},
                                              {tBlank, AfterOperand}}},
/* Point           */ {ceInvalidNumber, '3', {{tDigit, Fraction}}},
/* Fraction        */ {ceInvalidNumber, '3', {{tDigit, Fraction}, {tExponent, ExponentMark},
                                              {tImaginary, ImaginarySuffix}, {tOperatorChar, Operand},
                                              {tSeparator, aNextArgument}, {tBlank, AfterOperand}}},
/* ExponentMark    */ {ceInvalidExponent, '3', {{tSign, ExponentSign}, {tDigit, Exponent}}},
/* ExponentSign    */ {ceInvalidExponent, '3', {{tDigit, Exponent}}},
/* Exponent        */ {ceInvalidExponent, '3', {{tDigit, Exponent}, {tImaginary, ImaginarySuffix},
                                                {tOperatorChar, Operand}, {tSeparator, aNextArgument},
                                                {tBlank, AfterOperand}}},
/* ImaginarySuffix */ {ceInvalidOperator, '1', {{tOperatorChar, Operand}, {tSeparator, aNextArgument},
                                                {tBlank, AfterOperand}}},
/* AfterClose      */ {ceInvalidOperator, '1', {{tOperatorChar, Operand}, {tSeparator, aNextArgument},
                                                {tBlank, AfterOperand}}},
};
} // namespace rows
// clang-format on

static_assert(std::size(rows::States) == static_cast<std::size_t>(TState::End),
              "a row for every state, in the order of the states");

// The row of State, which must not be End.
constexpr const TStateRow& RowOf(TState State) {
    return rows::States[static_cast<std::size_t>(State)];
}

} // namespace zoZezo::compiler
