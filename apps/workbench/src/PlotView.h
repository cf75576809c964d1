#pragma once

#include "PlotSeries.h"
#include "Sweep.h"

#include <QChartView>
#include <QList>

class QLineSeries;

namespace workbench {

// The chart of a sweep: the real part of the values, and the imaginary part when it is not
// 0 everywhere, each drawn as one line per run of computed points, with gaps where computing
// failed. A point alone between two gaps shows as a marker.
class TPlotView : public QChartView {
    Q_OBJECT
    // Shown while nothing is plotted: what to do to plot something.
    Q_PROPERTY(QString PlaceholderText READ PlaceholderText WRITE SetPlaceholderText)

public:
    explicit TPlotView(QWidget* Parent = nullptr);

    void ShowSweep(const std::vector<TSweepPoint>& Points, const QString& Equation,
                   const QString& Variable);
    void Clear();

    // The line series drawn for one part, one per run, in order of the variable.
    QList<QLineSeries*> Lines(TPart Part) const;

    QString PlaceholderText() const { return FPlaceholder; }
    void SetPlaceholderText(const QString& Text);

protected:
    void drawForeground(QPainter* Painter, const QRectF& Area) override;

private:
    void AddPart(const std::vector<TSweepPoint>& Points, TPart Part, const QString& Name,
                 const QColor& Colour);

    QList<QLineSeries*> FReal;
    QList<QLineSeries*> FImaginary;
    QString FPlaceholder;
};

} // namespace workbench
