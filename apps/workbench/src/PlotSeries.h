#pragma once

#include "Sweep.h"

#include <QList>
#include <QPointF>
#include <vector>

namespace workbench {

enum class TPart { Real, Imaginary };

// The runs of consecutive computed points of one part of a sweep's values. A point that
// failed to compute ends a run, so that a plot shows a gap there rather than a line through
// a value that does not exist.
QList<QList<QPointF>> SplitRuns(const std::vector<TSweepPoint>& Points, TPart Part);

// True when some computed point has an imaginary part other than 0.
bool AnyImaginary(const std::vector<TSweepPoint>& Points);

} // namespace workbench
