#include "PlotSeries.h"

#include <algorithm>

namespace workbench {

QList<QList<QPointF>> SplitRuns(const std::vector<TSweepPoint>& Points, TPart Part) {
    QList<QList<QPointF>> Runs;
    bool InRun = false;
    for (const TSweepPoint& Point : Points) {
        if (!Point.Y) {
            InRun = false;
            continue;
        }
        if (!InRun) Runs.append(QList<QPointF>());
        InRun = true;
        const long double Y = Part == TPart::Real ? Point.Y->Re : Point.Y->Im;
        Runs.back().append(QPointF(static_cast<double>(Point.X), static_cast<double>(Y)));
    }
    return Runs;
}

bool AnyImaginary(const std::vector<TSweepPoint>& Points) {
    return std::any_of(Points.begin(), Points.end(),
                       [](const TSweepPoint& P) { return P.Y && P.Y->Im != 0; });
}

} // namespace workbench
