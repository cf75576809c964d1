#include "PlotLegend.h"

#include <algorithm>
#include <array>
#include <limits>

namespace workbench {

QRectF LegendPlace(const QRectF& Plot, QSizeF Size, const std::vector<QPointF>& Pixels) {
    constexpr double Margin = 6;
    const double Left = Plot.left() + Margin, Right = Plot.right() - Margin - Size.width();
    const double Top = Plot.top() + Margin, Bottom = Plot.bottom() - Margin - Size.height();
    const std::array<QPointF, 4> Corners = {QPointF(Right, Top), QPointF(Left, Top),
                                            QPointF(Right, Bottom), QPointF(Left, Bottom)};
    QRectF Best;
    auto Fewest = std::numeric_limits<std::ptrdiff_t>::max();
    for (const QPointF& Corner : Corners) {
        const QRectF Box(Corner, Size);
        const auto Hidden = std::count_if(Pixels.begin(), Pixels.end(),
                                          [&](const QPointF& P) { return Box.contains(P); });
        if (Hidden < Fewest) {
            Fewest = Hidden;
            Best = Box;
        }
        if (Fewest == 0) break;
    }
    return Best;
}

} // namespace workbench
