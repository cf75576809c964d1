#include "PlotCurves.h"

#include <QObject>
#include <cmath>
#include <limits>
#include <numbers>

namespace workbench {
namespace {

constexpr double Nothing = std::numeric_limits<double>::quiet_NaN();

} // namespace

double OnAxis(double Value, TAxisScale Scale) {
    if (Scale == TAxisScale::Linear) return Value;
    return Value > 0 ? std::log10(Value) : Nothing;
}

double FromAxis(double Position, TAxisScale Scale) {
    return Scale == TAxisScale::Linear ? Position : std::pow(10.0, Position);
}

double PartOf(const zoZezo::TComplex& Value, TPlotPart Part) {
    const double Re = static_cast<double>(Value.Re), Im = static_cast<double>(Value.Im);
    switch (Part) {
    case ppReal: return Re;
    case ppImaginary: return Im;
    case ppMagnitude: return std::hypot(Re, Im);
    case ppDecibels: {
        const double Magnitude = std::hypot(Re, Im);
        return Magnitude > 0 ? 20 * std::log10(Magnitude) : Nothing;
    }
    case ppPhase: return std::atan2(Im, Re) * 180 / std::numbers::pi;
    }
    return Nothing;
}

QString PartLabel(TPlotPart Part, const QString& Equation) {
    switch (Part) {
    case ppReal: return QObject::tr("Re %1").arg(Equation);
    case ppImaginary: return QObject::tr("Im %1").arg(Equation);
    case ppMagnitude: return QObject::tr("|%1|").arg(Equation);
    case ppDecibels: return QObject::tr("|%1| (dB)").arg(Equation);
    case ppPhase: return QObject::tr("phase %1 (°)").arg(Equation);
    }
    return Equation;
}

std::vector<TCurve> MakeCurves(const TSweepResult& Sweep, unsigned Parts) {
    std::vector<TCurve> Curves;
    for (std::size_t E = 0; E < Sweep.Y.size(); ++E) {
        const auto& Values = Sweep.Y[E];
        const bool Complex = Sweep.Complex(E);
        for (const TPlotPart Part : PlotParts) {
            if (!(Parts & Part) || (Part == ppImaginary && !Complex)) continue;
            TCurve& Curve = Curves.emplace_back();
            Curve.Name = PartLabel(Part, Sweep.Equations.value(static_cast<int>(E)));
            Curve.Part = Part;
            Curve.Equation = static_cast<int>(E);
            Curve.Points.reserve(Values.size());
            for (std::size_t K = 0; K < Values.size(); ++K)
                Curve.Points.emplace_back(static_cast<double>(Sweep.X[K]),
                                          Values[K] ? PartOf(*Values[K], Part) : Nothing);
        }
    }
    return Curves;
}

QList<QList<QPointF>> AxisRuns(const TCurve& Curve, TAxisScale X, TAxisScale Y) {
    // A phase that moves by more than half a turn between neighbours has wrapped round.
    const double Jump = Curve.Part == ppPhase && Y == TAxisScale::Linear
                            ? 180
                            : std::numeric_limits<double>::infinity();
    QList<QList<QPointF>> Runs;
    bool InRun = false;
    for (const QPointF& Point : Curve.Points) {
        const QPointF At(OnAxis(Point.x(), X), OnAxis(Point.y(), Y));
        if (!std::isfinite(At.x()) || !std::isfinite(At.y())) {
            InRun = false;
            continue;
        }
        if (InRun && std::fabs(At.y() - Runs.back().back().y()) > Jump) InRun = false;
        if (!InRun) Runs.append(QList<QPointF>());
        InRun = true;
        Runs.back().append(At);
    }
    return Runs;
}

} // namespace workbench
