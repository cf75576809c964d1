#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <vector>

namespace workbench {

// Where a legend of Size goes inside Plot: the corner (upper right, upper left, lower right,
// lower left, in that order of preference) whose box holds the fewest of the curves' Pixels,
// a margin from the frame.
QRectF LegendPlace(const QRectF& Plot, QSizeF Size, const std::vector<QPointF>& Pixels);

} // namespace workbench
