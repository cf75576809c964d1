#pragma once

#include "Sweep.h"

#include <QString>

namespace workbench {

// A sweep as CSV for a spreadsheet: a header row, then one row per point: the variable's value,
// and for each equation its value, or its real and imaginary parts in two columns
// ("Re(name)", "Im(name)") when some value has an imaginary part. Numbers have 15 significant
// digits and `.` as the decimal point; a value that could not be computed is an empty cell.
// Lines end with "\r\n"; a header cell with a comma, quote or line break is quoted.
QString SweepCsv(const TSweepResult& Sweep);

} // namespace workbench
