#pragma once

#include "LineResults.h"

#include <QList>
#include <QString>
#include <string>
#include <string_view>
#include <vector>
#include <zoZezo/zoZezo.h>

namespace workbench {

// Whether one typo turns one name into the other, letter case aside: a letter left out, one
// too many, one replaced, or two neighbours swapped. Names shorter than three characters, and
// names that differ in one digit only (`x1`, `x2`), are meant as they stand.
bool OneTypoApart(std::string_view A, std::string_view B);

// A variable on demand and the first line that uses it.
struct TNameUse {
    std::string Name;
    int Line = 0;
};

// The variables whose names are one typo away from the name of an equation or a constant of
// the evaluator, each with the first such name.
std::vector<TNameWarning> NameWarnings(const zoZezo::TzoZezoEvaluator& Evaluator,
                                       const std::vector<TNameUse>& Variables);

// Where Name stands in Line as a whole name (letter case aside), in UTF-16 units.
QList<int> NameOffsets(const QString& Line, const QString& Name);

} // namespace workbench
