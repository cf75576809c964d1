#pragma once

#include "Sweep.h"

#include <QString>

namespace workbench {

// What a document's plot shows: the equation and the variable swept over a range. Kept with
// each document in its store.
struct TPlotSettings {
    QString Equation;
    QString Variable;
    TSweepRange Range;

    friend bool operator==(const TPlotSettings& A, const TPlotSettings& B) {
        return A.Equation == B.Equation && A.Variable == B.Variable &&
               A.Range.From == B.Range.From && A.Range.To == B.Range.To &&
               A.Range.Step == B.Range.Step;
    }
};

} // namespace workbench
