#pragma once

#include <QString>
#include <QStringList>
#include <zoZezo/zoZezo.h>

namespace workbench {

// The value of one computation, or why it failed.
struct TOutcome {
    zoZezo::TComplex Value;
    QString Error; // empty when the value stands

    bool Ok() const { return Error.isEmpty(); }
};

// Computes the equation and never throws: "Number must be real" and the evaluator's other
// errors, and the compile error of a called equation that the evaluator shows through
// ShowMessage, become the outcome's Error; nothing reaches a message box.
TOutcome ComputeOutcome(zoZezo::TEquation& Equation);

// An equation whose value can be shown: it compiled, has a name and takes no parameters.
// Blank and comment-only lines compile but have no name.
bool IsValueEquation(const zoZezo::TEquation& Equation);

// A value as the zezo calculator prints it: 15 significant digits, `3+4j` with the
// evaluator's imaginary suffix, a real number when the imaginary part is 0; "NaN" when either
// part is not a number (`0/0`), which has no sign and no real or imaginary side worth showing.
QString FormatValue(const zoZezo::TComplex& Value, char Imaginary);
// One part of a value, real or imaginary, with 15 significant digits; "NaN" as above.
QString FormatPart(long double Part);

} // namespace workbench
