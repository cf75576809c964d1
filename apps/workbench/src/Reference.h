#pragma once

#include <QString>
#include <vector>
#include <zoZezo/zoZezo.h>

namespace workbench {

// One thing the equation language offers: how it is written, and a line about what it does.
struct TReferenceEntry {
    enum TKind { rkFunction, rkOperator, rkConstant };

    TKind Kind = rkFunction;
    QString Name;
    QString Usage; // `Sin(z)`, `a ^ b`, `pi`, in the evaluator's syntax characters
    QString Help;
};

// The functions, operators and constants in the evaluator's tables, in table order, each with
// a line of help: the built-in ones described, the others (a host's additions) by what the
// table knows of them: a function's parameter count, an operator's level, a constant's value.
std::vector<TReferenceEntry> ReferenceEntries(const zoZezo::TzoZezoEvaluator& Evaluator);

} // namespace workbench
