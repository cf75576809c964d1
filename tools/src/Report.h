#pragma once

// How zezo reports what it compiled and computed: readable text on the terminal, or one JSON
// object per line (JSON Lines) for programs.

#include "Session.h"

#include <nlohmann/json.hpp>
#include <string>
#include <zoZezo/Equation.h>

namespace zezo {

// Keeps the fields of an object in the order they were added.
using TJson = nlohmann::ordered_json;

// Writes to standard error "Error: <message> (position:<line>,<column>)." and below it the
// line with a caret under the column. Line is 1-based; the column counts characters.
void PrintCompileError(const zoZezo::TEquation& Equation, int Line);

// Writes "<name>: <message>" to standard error.
void PrintEvalError(const std::string& Name, const std::string& Message);

// The compile result of the equation of input line Line (1-based): line, text, code, pos,
// message, name, params, classes and instrs.
TJson LineObject(const zoZezo::TEquation& Equation, int Line);

// A value as the pair of decimal strings [re, im], exact to the last bit.
TJson ExactValue(const zoZezo::TComplex& Value);

// Adds an outcome to a line object: "value", or "error" when the computation failed.
void AddOutcome(TJson& Object, const TOutcome& Outcome);

// Writes the object as one line to standard output; invalid UTF-8 becomes U+FFFD.
void PrintJsonLine(const TJson& Object);

} // namespace zezo
