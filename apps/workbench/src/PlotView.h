#pragma once

#include "PlotCurves.h"
#include "PlotSettings.h"
#include "Sweep.h"

#include <QWidget>
#include <optional>
#include <vector>

class QFontMetricsF;
class QPainter;

namespace workbench {

// The plot of a sweep: the chosen parts of each equation's values over the swept variable, on
// linear or logarithmic axes with marks at round values and titles, each curve with gaps where
// no value could be computed. A phase drawn beside other parts has an axis of its own on the
// right, in degrees, and a dashed line. The y axis shows the range the user set, or one chosen
// from the values that leaves out the few far beyond the rest (near a pole), so that the curve
// stays readable; what lies beyond is cut at the edge.
//
// The user explores it with the mouse and the keyboard: the wheel zooms around the cursor (with
// Ctrl only along x, with Shift only along y), dragging pans, dragging with Shift zooms into the
// box drawn, a double click or Home shows everything again; + and - zoom, the arrow keys pan.
// Under the cursor a readout gives its position, and the values of every curve at the nearest
// point of the sweep, marked on the curves.
class TPlotView : public QWidget {
    Q_OBJECT
    // Shown while nothing is plotted: what to do to plot something.
    Q_PROPERTY(QString PlaceholderText READ PlaceholderText WRITE SetPlaceholderText)

public:
    explicit TPlotView(QWidget* Parent = nullptr);

    // Shows a sweep, the whole of it.
    void ShowSweep(const TSweepResult& Sweep);
    // Shows nothing but the hint.
    void Clear();
    QString PlaceholderText() const { return FPlaceholder; }
    void SetPlaceholderText(const QString& Text);

    // What is drawn and how; each change redraws and shows everything again, setting what is
    // already set does nothing.
    void SetParts(unsigned Parts);
    void SetScales(TAxisScale X, TAxisScale Y);
    // The y range the user chose for the left axis (in values); empty: chosen from the values.
    void SetYRange(const std::optional<TValueRange>& Range);

    const TSweepResult& Sweep() const { return FSweep; }
    const std::vector<TCurve>& Curves() const { return FCurves; }
    // Why the curves show nothing, when they do not: no values, or none above 0 on a
    // logarithmic axis; empty when something is drawn.
    QString Problem() const;

    // The ranges shown, in values.
    TValueRange VisibleX() const;
    TValueRange VisibleY() const;
    // Shows everything again: the whole sweep along x, the chosen or readable range along y.
    void ResetView();
    // Zooms by Factor (below 1: in) around the point At of the widget, along the axes given.
    void Zoom(double Factor, QPointF At, Qt::Orientations Along = Qt::Horizontal | Qt::Vertical);
    // Moves what is shown by a distance in pixels, as if dragged by it.
    void Pan(QPointF By);

    // Draws the plot into Target as the widget shows it, without the cursor's readout: for
    // pictures and printing.
    void Render(QPainter& Painter, const QRectF& Target) const;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void leaveEvent(QEvent* Event) override;

private:
    struct TLayout;

    void Rebuild();
    void FindRuns();
    TLayout Layout(const QRectF& Target, const QFontMetricsF& Metrics) const;
    void DrawCurves(QPainter& Painter, const TLayout& Layout) const;
    std::vector<QPointF> CurvePixels(const TLayout& Layout) const;
    void DrawReadout(QPainter& Painter, const TLayout& Layout, const QFontMetricsF& Metrics) const;
    bool HasRightAxis() const;
    bool OnRight(const TCurve& Curve) const { return HasRightAxis() && Curve.Part == ppPhase; }
    std::optional<TValueRange> ValueRange(bool Right) const;
    QRectF PlotRect() const;
    bool SetView(const TValueRange& X, const TValueRange& Y, const TValueRange& Right);

    TSweepResult FSweep;
    std::vector<TCurve> FCurves;
    std::vector<QList<QList<QPointF>>> FRuns; // each curve's runs, in the axes' space
    unsigned FParts = ppReal | ppImaginary;
    TAxisScale FXScale = TAxisScale::Linear;
    TAxisScale FYScale = TAxisScale::Linear;
    std::optional<TValueRange> FChosenY;
    QString FPlaceholder;
    // What is shown, in the axes' space (logarithms on a logarithmic axis).
    TValueRange FX, FY, FRight;
    std::optional<QPointF> FCursor;
    std::optional<QPointF> FDragFrom;
    bool FBoxZoom = false;
};

} // namespace workbench
