#pragma once

#include "LineResults.h"

#include <QString>
#include <vector>

namespace workbench {

// The results as a table of text for other programs: a header line "Line, Equation, Value,
// Real, Imaginary", then a line per row. A value's parts stand apart as plain numbers (15
// significant digits, '.' as the decimal point), so a spreadsheet can compute with them; a
// row with an error has its message as the value and no parts.

// Tab-separated, as spreadsheets paste it: tabs and line breaks inside a field become blanks.
QString ResultsAsTabText(const std::vector<TResultRow>& Rows);
// Comma-separated values (RFC 4180): a field with a comma, a quote or a line break is quoted.
QString ResultsAsCsv(const std::vector<TResultRow>& Rows);

} // namespace workbench
