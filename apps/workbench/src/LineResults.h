#pragma once

#include "SyntaxCharacters.h"
#include "VariablesModel.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <optional>
#include <string>
#include <vector>
#include <zoZezo/zoZezo.h>

namespace workbench {

// One row of the results: a value equation and its value, one whose computation failed, or a
// line that did not compile.
struct TResultRow {
    enum TKind { rkValue, rkComputeError, rkCompileError };

    TKind Kind = rkValue;
    int Line = 0;   // 1-based line of the document
    int Offset = 0; // where a compile error stands in the line, in UTF-16 units from its start
    QString Name;   // the equation's name; the line's text for a line that did not compile
    QString Text;   // the value as zezo prints it, or the error
    zoZezo::TComplex Value;
};

// A variable on demand whose name is one typo away from a name the document or the evaluator
// defines: `yeras` beside an equation `years`.
struct TNameWarning {
    QString Name;
    QString Near;
    int Line = 0; // the first line that uses Name
};

// A name that a line of the document defines.
struct TDefinition {
    QString Name;
    QString Usage;       // `part(Zx)` for a function, the name for a value
    bool Called = false; // takes parameters
    int Line = 0;
};

// What the document's lines give: a row for every value equation and every line that does not
// compile, in line order; the names the lines define; the variables on demand that the lines
// use, in order of first use; and the warnings about those whose names look mistyped.
struct TLineResults {
    std::vector<TResultRow> Rows;
    std::vector<TDefinition> Definitions;
    std::vector<std::string> Variables;
    std::vector<TNameWarning> Warnings;
};

// The document as it stands: its lines, the syntax characters they are written in, and the
// values of the variables on demand known so far.
struct TResultsJob {
    QStringList Lines;
    TSyntaxCharacters Syntax;
    std::vector<TVariableCell> Variables;
};

// How far a computation has come, and the request to stop it; shared with another thread.
struct TResultsProgress {
    std::atomic<int> Done{0}; // lines computed
    std::atomic<bool> Stop{false};
};

// Compiles every line of the job on an evaluator of its own, as `zezo check --all` does, so a
// faulty line hides nothing below it: each line can use the lines above it that compiled. A
// name that nothing defines becomes a variable on demand (0 unless the job gives its value),
// except the name of a line above that does not compile: a line using it is faulty too.
// Then every value equation is computed; a failed computation is a row with its error.
//
// Safe on any thread: it shows nothing through ShowMessage and touches only its own
// evaluator. Gives nothing when Progress.Stop is set before the end; counts Progress.Done.
std::optional<TLineResults> ComputeLineResults(const TResultsJob& Job, TResultsProgress& Progress);

// "Error: <message> (position:<line>,<column>)." for an equation that did not compile, as the
// memo's status line says it; the column counts characters.
QString CompileErrorText(const zoZezo::TEquation& Equation, int Line);

} // namespace workbench
