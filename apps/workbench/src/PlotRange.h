#pragma once

#include "PlotSettings.h"

#include <QList>
#include <QPointF>
#include <vector>

namespace workbench {

// One curve's points in the axes' space, as runs that gaps part.
using TRuns = QList<QList<QPointF>>;

// The range an axis shows of curves: all their values with a margin, unless a curve passes a
// pole (1/(x-1) close to x = 1). There the values beyond the bulk are left outside, so that the
// curve stays readable instead of a spike over a flat line. A pole shows as neighbours of
// opposite signs (a gap between them or not) one of which lies well beyond the bulk, as a value
// well beyond the bulk beside a gap (where computing failed, or a logarithmic axis has no
// place), or as a value so far beyond the bulk that only rounding near a pole gives it. A steep
// curve or a resonance peak keeps all its values. The bulk is taken from values spread evenly
// along x, as drawn, however densely the points lie where (a linear sweep on a logarithmic
// axis puts most of them in its last decade). No values give 0 to 1; values all equal a range
// around them.
TValueRange ReadableRange(const std::vector<TRuns>& Curves);

} // namespace workbench
