#pragma once

#include "PlotSettings.h"

#include <QPointF>
#include <vector>

namespace workbench {

// The range an axis shows of Values (finite numbers, in the axis' space): all of them with a
// margin, unless a few lie far beyond the bulk, as values do near a pole (1/(x-1) close to
// x = 1). Those are left outside, the bulk filling the range, so that the curve stays readable
// instead of a spike over a flat line. A smooth curve, however steep, keeps all its values.
// No values give 0 to 1; values all equal give a range around them.
TValueRange ReadableRange(std::vector<double> Values);

} // namespace workbench

namespace workbench {

// The lowest and the highest y of the points in each of Columns equal stretches of x between
// the least and the greatest x: values spread evenly along an axis, as drawn, however densely
// the points lie where (a linear sweep on a logarithmic axis puts most of them in its last
// decade).
std::vector<double> ColumnExtremes(const std::vector<QPointF>& Points, int Columns);

} // namespace workbench
