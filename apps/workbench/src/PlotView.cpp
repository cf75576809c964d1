#include "PlotView.h"

#include "PlotSeries.h"

#include <QChart>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>
#include <limits>

namespace workbench {

TPlotView::TPlotView(QWidget* Parent) : QChartView(Parent) {
    setRenderHint(QPainter::Antialiasing);
    chart()->legend()->setAlignment(Qt::AlignBottom);
    chart()->setMargins(QMargins(4, 4, 4, 4));
}

void TPlotView::Clear() {
    chart()->removeAllSeries();
    for (QAbstractAxis* Axis : chart()->axes()) {
        chart()->removeAxis(Axis);
        delete Axis;
    }
    FReal.clear();
    FImaginary.clear();
    chart()->setTitle({});
}

void TPlotView::ShowSweep(const std::vector<TSweepPoint>& Points, const QString& Equation,
                          const QString& Variable) {
    Clear();
    chart()->setTitle(tr("%1 over %2").arg(Equation, Variable));
    auto* XAxis = new QValueAxis;
    auto* YAxis = new QValueAxis;
    XAxis->setTitleText(Variable);
    chart()->addAxis(XAxis, Qt::AlignBottom);
    chart()->addAxis(YAxis, Qt::AlignLeft);
    AddPart(Points, TPart::Real, tr("Re %1").arg(Equation), QColor(0, 0, 128));
    if (AnyImaginary(Points))
        AddPart(Points, TPart::Imaginary, tr("Im %1").arg(Equation), QColor(200, 100, 0));
    if (!Points.empty())
        XAxis->setRange(static_cast<double>(Points.front().X),
                        static_cast<double>(Points.back().X));
    double Low = std::numeric_limits<double>::infinity();
    double High = -Low;
    for (const QList<QLineSeries*>* Part : {&FReal, &FImaginary})
        for (const QLineSeries* Line : *Part)
            for (const QPointF& P : Line->points()) {
                Low = std::min(Low, P.y());
                High = std::max(High, P.y());
            }
    if (Low <= High) {
        const double Margin = Low == High ? 1 : (High - Low) * 0.05;
        YAxis->setRange(Low - Margin, High + Margin);
    }
}

void TPlotView::AddPart(const std::vector<TSweepPoint>& Points, TPart Part, const QString& Name,
                        const QColor& Colour) {
    QList<QLineSeries*>& Lines = Part == TPart::Real ? FReal : FImaginary;
    for (const QList<QPointF>& Run : SplitRuns(Points, Part)) {
        auto* Line = new QLineSeries;
        Line->replace(Run);
        Line->setName(Name);
        Line->setColor(Colour);
        Line->setPointsVisible(Run.size() == 1);
        chart()->addSeries(Line);
        for (QAbstractAxis* Axis : chart()->axes())
            Line->attachAxis(Axis);
        // One legend entry per part, however many runs it has.
        if (!Lines.isEmpty())
            for (QLegendMarker* Marker : chart()->legend()->markers(Line))
                Marker->setVisible(false);
        Lines.append(Line);
    }
}

void TPlotView::SetPlaceholderText(const QString& Text) {
    FPlaceholder = Text;
    viewport()->update();
}

void TPlotView::drawForeground(QPainter* Painter, const QRectF& Area) {
    QChartView::drawForeground(Painter, Area);
    if (!chart()->series().isEmpty() || FPlaceholder.isEmpty()) return;
    Painter->save();
    Painter->setPen(palette().color(QPalette::Disabled, QPalette::Text));
    const QRectF Text = mapToScene(viewport()->rect().adjusted(24, 0, -24, 0)).boundingRect();
    Painter->drawText(Text, Qt::AlignCenter | Qt::TextWordWrap, FPlaceholder);
    Painter->restore();
}

QList<QLineSeries*> TPlotView::Lines(TPart Part) const {
    return Part == TPart::Real ? FReal : FImaginary;
}

} // namespace workbench
