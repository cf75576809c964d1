#pragma once

#include "PlotSettings.h"
#include "Sweep.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <vector>

namespace workbench {

// Where a value stands on an axis: the value itself, or on a logarithmic axis its logarithm
// (NaN for a value not above 0); and back.
double OnAxis(double Value, TAxisScale Scale);
double FromAxis(double Position, TAxisScale Scale);

// The part of a value that a plot draws: NaN where it has none (the decibels of 0).
double PartOf(const zoZezo::TComplex& Value, TPlotPart Part);

// What a curve of the part of an equation is called in a legend: "Re y", "|y| dB", ...
QString PartLabel(TPlotPart Part, const QString& Equation);

// One line of a plot: one part of one equation's values over the swept variable.
struct TCurve {
    QString Name;
    TPlotPart Part = ppReal;
    int Equation = 0;            // its place among the sweep's equations
    std::vector<QPointF> Points; // y is NaN where the value is missing or has no such part
};

// The curves of the chosen parts of a sweep, equation by equation. The imaginary part is drawn
// only for an equation whose values have one somewhere: a real equation gets no flat line at 0.
std::vector<TCurve> MakeCurves(const TSweepResult& Sweep, unsigned Parts);

// A curve's points in the space of the axes (the logarithm of the value on a logarithmic
// axis), as runs of neighbours that a line joins. A run ends where a point cannot be drawn (a
// missing value, a value not above 0 on a logarithmic axis) and where a phase wraps round from
// -180 to 180 degrees or back.
QList<QList<QPointF>> AxisRuns(const TCurve& Curve, TAxisScale X, TAxisScale Y);

} // namespace workbench
