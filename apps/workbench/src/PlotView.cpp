#include "PlotView.h"

#include "AxisTicks.h"
#include "PlotLegend.h"
#include "PlotRange.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace workbench {
namespace {

const QColor CurveColours[] = {QColor(31, 78, 158),  QColor(200, 100, 30), QColor(46, 139, 58),
                               QColor(176, 48, 58),  QColor(122, 79, 160), QColor(138, 109, 59),
                               QColor(194, 70, 155), QColor(85, 85, 85)};
const QColor GridColour(220, 220, 220);
const QColor MinorGridColour(238, 238, 238);
const QColor FrameColour(128, 128, 128);
const QColor PlaceholderColour(110, 110, 110);

constexpr double ZoomStep = 1.25;
const QString UsualLabel = "-0.0000";
constexpr double TickLength = 4;
// The narrowest range an axis may show, relative to the size of its values: below it, double
// precision cannot tell the marks apart. And the widest, in the axis' space.
constexpr double NarrowestSpan = 1e-12;
constexpr double WidestValue = 1e300;
constexpr double WidestDecades = 600;

QColor ColourOf(std::size_t Curve) {
    return CurveColours[Curve % std::size(CurveColours)];
}

QString Number(double Value) {
    return QString::number(Value, 'g', 6);
}

std::vector<TTick> Ticks(const TValueRange& Range, TAxisScale Scale, int MaxCount) {
    if (Scale == TAxisScale::Linear) return LinearTicks(Range.Low, Range.High, MaxCount);
    return LogTicks(std::pow(10.0, Range.Low), std::pow(10.0, Range.High), MaxCount);
}

// The marks with at most MaxCount labels whose labels, placed by Position, keep at least Gap
// between them along the axis; Size gives a label's extent along it.
template <class PositionOf, class SizeOf>
std::vector<TTick> FittingTicks(const TValueRange& Range, TAxisScale Scale, int MaxCount,
                                double Gap, PositionOf Position, SizeOf Size) {
    for (int Count = std::max(2, MaxCount); Count >= 1; --Count) {
        std::vector<TTick> Marks = Ticks(Range, Scale, Count);
        bool Fits = true;
        double LastEnd = -1e300;
        std::vector<std::pair<double, double>> Labels; // centre, extent
        for (const TTick& Tick : Marks)
            if (!Tick.Label.isEmpty()) Labels.emplace_back(Position(Tick.Value), Size(Tick.Label));
        std::sort(Labels.begin(), Labels.end());
        for (const auto& [Centre, Extent] : Labels) {
            Fits = Fits && Centre - Extent / 2 >= LastEnd + Gap;
            LastEnd = Centre + Extent / 2;
        }
        if (Fits || Count == 1) return Marks;
    }
    return {};
}

// Cuts the segment A-B to the part inside Box (Liang and Barsky); false when none is.
bool ClipSegment(QPointF& A, QPointF& B, const QRectF& Box) {
    double Enter = 0, Leave = 1;
    const double Dx = B.x() - A.x(), Dy = B.y() - A.y();
    const double Steps[4][2] = {{-Dx, A.x() - Box.left()},
                                {Dx, Box.right() - A.x()},
                                {-Dy, A.y() - Box.top()},
                                {Dy, Box.bottom() - A.y()}};
    for (const auto& [Toward, Room] : Steps) {
        if (Toward == 0) {
            if (Room < 0) return false;
            continue;
        }
        const double T = Room / Toward;
        if (Toward < 0)
            Enter = std::max(Enter, T);
        else
            Leave = std::min(Leave, T);
        if (Enter > Leave) return false;
    }
    const QPointF From = A;
    A = From + QPointF(Dx, Dy) * Enter;
    B = From + QPointF(Dx, Dy) * Leave;
    return true;
}

// A run's points in pixels, with no more than four points a pixel column (the first, the
// lowest, the highest and the last), which draw the same line as all of them.
std::vector<QPointF> Thinned(const std::vector<QPointF>& Pixels) {
    std::vector<QPointF> Kept;
    std::size_t Begin = 0;
    while (Begin < Pixels.size()) {
        const double Column = std::floor(Pixels[Begin].x());
        std::size_t End = Begin + 1;
        while (End < Pixels.size() && std::floor(Pixels[End].x()) == Column)
            ++End;
        const auto [Low, High] =
            std::minmax_element(Pixels.begin() + static_cast<std::ptrdiff_t>(Begin),
                                Pixels.begin() + static_cast<std::ptrdiff_t>(End),
                                [](const QPointF& A, const QPointF& B) { return A.y() < B.y(); });
        for (const QPointF& Point : {Pixels[Begin], *Low, *High, Pixels[End - 1]})
            if (Kept.empty() || Kept.back() != Point) Kept.push_back(Point);
        Begin = End;
    }
    return Kept;
}

bool Usable(const TValueRange& Range, TAxisScale Scale) {
    const double Largest = std::max(std::fabs(Range.Low), std::fabs(Range.High));
    const double Widest = Scale == TAxisScale::Linear ? WidestValue : WidestDecades / 2;
    return std::isfinite(Range.Span()) && Range.Span() > 0 && Largest < Widest &&
           Range.Span() > Largest * NarrowestSpan &&
           (Scale == TAxisScale::Linear || Range.Span() > NarrowestSpan);
}

// A range around one value: a tenth of it each side, or 1 around 0.
TValueRange Around(double Value) {
    const double Room = Value == 0 ? 1 : std::fabs(Value) * 0.1;
    return {Value - Room, Value + Room};
}

} // namespace

// Where the plot's parts go in a target rectangle, and the marks of its axes.
struct TPlotView::TLayout {
    QRectF Plot;
    TValueRange X, Y, Right;
    std::vector<TTick> XTicks, YTicks, RightTicks;

    double PixelX(double Position) const {
        return Plot.left() + (Position - X.Low) / X.Span() * Plot.width();
    }
    double PixelY(double Position, const TValueRange& Range) const {
        return Plot.bottom() - (Position - Range.Low) / Range.Span() * Plot.height();
    }
    double PositionX(double Pixel) const {
        return X.Low + (Pixel - Plot.left()) / Plot.width() * X.Span();
    }
    double PositionY(double Pixel, const TValueRange& Range) const {
        return Range.Low + (Plot.bottom() - Pixel) / Plot.height() * Range.Span();
    }
};

TPlotView::TPlotView(QWidget* Parent) : QWidget(Parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setMinimumSize(200, 140);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPlotView::ShowSweep(const TSweepResult& Sweep) {
    FSweep = Sweep;
    Rebuild();
}

void TPlotView::Clear() {
    FSweep = {};
    Rebuild();
}

void TPlotView::SetPlaceholderText(const QString& Text) {
    FPlaceholder = Text;
    update();
}

void TPlotView::SetParts(unsigned Parts) {
    if (Parts == FParts) return;
    FParts = Parts;
    Rebuild();
}

void TPlotView::SetScales(TAxisScale X, TAxisScale Y) {
    if (X == FXScale && Y == FYScale) return;
    FXScale = X;
    FYScale = Y;
    FindRuns();
    ResetView();
}

void TPlotView::SetYRange(const std::optional<TValueRange>& Range) {
    if (Range == FChosenY) return;
    FChosenY = Range;
    ResetView();
}

void TPlotView::Rebuild() {
    FCurves = MakeCurves(FSweep, FParts);
    FindRuns();
    ResetView();
}

void TPlotView::FindRuns() {
    FRuns.clear();
    for (const TCurve& Curve : FCurves)
        FRuns.push_back(AxisRuns(Curve, FXScale, OnRight(Curve) ? TAxisScale::Linear : FYScale));
}

bool TPlotView::HasRightAxis() const {
    const auto Phase = [](const TCurve& Curve) { return Curve.Part == ppPhase; };
    return std::any_of(FCurves.begin(), FCurves.end(), Phase) &&
           !std::all_of(FCurves.begin(), FCurves.end(), Phase);
}

QString TPlotView::Problem() const {
    if (FCurves.empty())
        return FSweep.Count() > 0 ? tr("Nothing to draw: choose the parts under Draw.")
                                  : FPlaceholder;
    const auto Drawn = [](const auto& Runs) { return !Runs.isEmpty(); };
    if (std::any_of(FRuns.begin(), FRuns.end(), Drawn)) return {};
    for (const TCurve& Curve : FCurves)
        if (!AxisRuns(Curve, TAxisScale::Linear, TAxisScale::Linear).isEmpty())
            return tr("No value is above 0, as a logarithmic axis needs.");
    return tr("No value could be computed.");
}

// The readable range of the values of the curves on one side, in the axis' space; nothing when
// they have none to draw.
std::optional<TValueRange> TPlotView::ValueRange(bool Right) const {
    std::vector<TRuns> Curves;
    for (std::size_t K = 0; K < FCurves.size(); ++K)
        if (OnRight(FCurves[K]) == Right && !FRuns[K].isEmpty()) Curves.push_back(FRuns[K]);
    if (Curves.empty()) return std::nullopt;
    return ReadableRange(Curves);
}

void TPlotView::ResetView() {
    std::optional<TValueRange> X;
    for (const auto& Runs : FRuns)
        for (const QList<QPointF>& Run : Runs)
            for (const QPointF& Point : Run) {
                if (!X) X = TValueRange{Point.x(), Point.x()};
                X->Low = std::min(X->Low, Point.x());
                X->High = std::max(X->High, Point.x());
            }
    FX = X && X->Span() > 0 ? *X : Around(X ? X->Low : 0);
    FY = ValueRange(false).value_or(TValueRange{0, 1});
    if (FChosenY) {
        const TValueRange Chosen{OnAxis(FChosenY->Low, FYScale), OnAxis(FChosenY->High, FYScale)};
        if (Usable(Chosen, FYScale)) FY = Chosen;
    }
    FRight = ValueRange(true).value_or(TValueRange{-180, 180});
    for (auto [Range, Scale] : {std::pair{&FX, FXScale}, {&FY, FYScale}, {&FRight, FYScale}})
        if (!Usable(*Range, Scale)) *Range = Around(Range->Low);
    update();
}

TValueRange TPlotView::VisibleX() const {
    return {FromAxis(FX.Low, FXScale), FromAxis(FX.High, FXScale)};
}

TValueRange TPlotView::VisibleY() const {
    return {FromAxis(FY.Low, FYScale), FromAxis(FY.High, FYScale)};
}

bool TPlotView::SetView(const TValueRange& X, const TValueRange& Y, const TValueRange& Right) {
    if (!Usable(X, FXScale) || !Usable(Y, FYScale) || !Usable(Right, TAxisScale::Linear))
        return false;
    FX = X;
    FY = Y;
    FRight = Right;
    update();
    return true;
}

QRectF TPlotView::PlotRect() const {
    return Layout(rect(), QFontMetricsF(font())).Plot;
}

void TPlotView::Zoom(double Factor, QPointF At, Qt::Orientations Along) {
    const QRectF Plot = PlotRect();
    if (Plot.isEmpty()) return;
    const double Across = (At.x() - Plot.left()) / Plot.width();
    const double Up = (Plot.bottom() - At.y()) / Plot.height();
    const auto Scaled = [Factor](const TValueRange& Range, double Where) {
        const double Centre = Range.Low + Where * Range.Span();
        return TValueRange{Centre - (Centre - Range.Low) * Factor,
                           Centre + (Range.High - Centre) * Factor};
    };
    const bool Vertical = Along & Qt::Vertical;
    SetView(Along & Qt::Horizontal ? Scaled(FX, Across) : FX, Vertical ? Scaled(FY, Up) : FY,
            Vertical ? Scaled(FRight, Up) : FRight);
}

void TPlotView::Pan(QPointF By) {
    const QRectF Plot = PlotRect();
    if (Plot.isEmpty()) return;
    const auto Moved = [](const TValueRange& Range, double Fraction) {
        return TValueRange{Range.Low + Fraction * Range.Span(),
                           Range.High + Fraction * Range.Span()};
    };
    const double Up = By.y() / Plot.height();
    SetView(Moved(FX, -By.x() / Plot.width()), Moved(FY, Up), Moved(FRight, Up));
}

TPlotView::TLayout TPlotView::Layout(const QRectF& Target, const QFontMetricsF& Metrics) const {
    TLayout Result;
    Result.X = FX;
    Result.Y = FY;
    Result.Right = FRight;
    const double Line = Metrics.height();
    const double Top = Target.top() + Line * 0.75;
    const double Bottom = Target.bottom() - 2 * Line - TickLength - 4;
    const double Height = std::max(1.0, Bottom - Top);
    const auto Width = [&Metrics](const QString& Label) {
        return Metrics.horizontalAdvance(Label);
    };
    const auto Tall = [Line](const QString&) { return Line; };
    const auto Widest = [&](const std::vector<TTick>& Marks) {
        double Most = 0;
        for (const TTick& Tick : Marks)
            Most = std::max(Most, Width(Tick.Label));
        return Most;
    };
    const auto LeftY = [&](double Value) {
        return (OnAxis(Value, FYScale) - FY.Low) / FY.Span() * Height;
    };
    const int MaxRows = static_cast<int>(Height / (Line * 2));
    Result.YTicks = FittingTicks(FY, FYScale, MaxRows, Line * 0.5, LeftY, Tall);
    // Room for labels as wide as most are, so that the plot's edges stay put while the user
    // zooms and pans; wider labels take more.
    const double Usual = Width(UsualLabel);
    const double Left =
        Target.left() + Line + 4 + std::max(Usual, Widest(Result.YTicks)) + TickLength + 4;
    double RightEdge = Target.right() - Usual / 2;
    if (HasRightAxis()) {
        const auto RightY = [&](double Value) {
            return (Value - FRight.Low) / FRight.Span() * Height;
        };
        Result.RightTicks =
            FittingTicks(FRight, TAxisScale::Linear, MaxRows, Line * 0.5, RightY, Tall);
        RightEdge = Target.right() - (Line + 4 + Widest(Result.RightTicks) + TickLength + 4);
    }
    double PlotWidth = 1;
    // Twice when the last label of the x axis would stick out: once more, narrower.
    for (int Pass = 0; Pass < 2; ++Pass) {
        PlotWidth = std::max(1.0, RightEdge - Left);
        const auto AlongX = [&](double Value) {
            return (OnAxis(Value, FXScale) - FX.Low) / FX.Span() * PlotWidth;
        };
        const int MaxColumns = static_cast<int>(PlotWidth / (Line * 2.5));
        Result.XTicks = FittingTicks(FX, FXScale, MaxColumns, Line, AlongX, Width);
        double Reach = 0;
        for (const TTick& Tick : Result.XTicks)
            if (!Tick.Label.isEmpty())
                Reach = std::max(Reach, Left + AlongX(Tick.Value) + Width(Tick.Label) / 2);
        if (Reach <= Target.right() - 2) break;
        RightEdge -= Reach - (Target.right() - 2);
    }
    Result.Plot = QRectF(QPointF(Left, Top), QPointF(Left + PlotWidth, Top + Height));
    return Result;
}

void TPlotView::paintEvent(QPaintEvent*) {
    QPainter Painter(this);
    Render(Painter, rect());
    if (!FCursor || !Problem().isEmpty()) return;
    const QFontMetricsF Metrics(font(), this);
    const TLayout Frame = Layout(rect(), Metrics);
    Painter.setRenderHint(QPainter::Antialiasing);
    if (FDragFrom && FBoxZoom) {
        Painter.setPen(QPen(FrameColour, 1, Qt::DashLine));
        Painter.setBrush(QColor(31, 78, 158, 30));
        Painter.drawRect(QRectF(*FDragFrom, *FCursor).normalized());
        return;
    }
    if (Frame.Plot.contains(*FCursor)) DrawReadout(Painter, Frame, Metrics);
}

void TPlotView::Render(QPainter& Painter, const QRectF& Target) const {
    Painter.save();
    Painter.setFont(font());
    Painter.fillRect(Target, Qt::white);
    const QFontMetricsF Metrics(font(), Painter.device());
    if (const QString Why = Problem(); !Why.isEmpty()) {
        Painter.setPen(PlaceholderColour);
        Painter.drawText(Target.adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap,
                         Why);
        Painter.restore();
        return;
    }
    const TLayout Frame = Layout(Target, Metrics);
    const QRectF& Plot = Frame.Plot;
    const double Line = Metrics.height();

    // The grid and the marks' labels.
    for (const TTick& Tick : Frame.XTicks) {
        const double X = Frame.PixelX(OnAxis(Tick.Value, FXScale));
        Painter.setPen(Tick.Label.isEmpty() ? MinorGridColour : GridColour);
        Painter.drawLine(QPointF(X, Plot.top()), QPointF(X, Plot.bottom() + TickLength));
        Painter.setPen(Qt::black);
        Painter.drawText(QRectF(X - 200, Plot.bottom() + TickLength, 400, Line),
                         Qt::AlignHCenter | Qt::AlignTop, Tick.Label);
    }
    const auto DrawYTicks = [&](const std::vector<TTick>& Marks, const TValueRange& Range,
                                TAxisScale Scale, bool Right) {
        for (const TTick& Tick : Marks) {
            const double Y = Frame.PixelY(OnAxis(Tick.Value, Scale), Range);
            const double Outside = Right ? Plot.right() + TickLength : Plot.left() - TickLength;
            Painter.setPen(Tick.Label.isEmpty() ? MinorGridColour : GridColour);
            if (!Right || !HasRightAxis() || Frame.YTicks.empty())
                Painter.drawLine(QPointF(Plot.left(), Y), QPointF(Plot.right(), Y));
            Painter.drawLine(QPointF(Right ? Plot.right() : Outside, Y),
                             QPointF(Right ? Outside : Plot.left(), Y));
            Painter.setPen(Qt::black);
            const QRectF Box = Right ? QRectF(Outside + 2, Y - Line / 2, 1000, Line)
                                     : QRectF(Outside - 1002, Y - Line / 2, 1000, Line);
            Painter.drawText(Box, (Right ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                             Tick.Label);
        }
    };
    DrawYTicks(Frame.YTicks, FY, FYScale, false);
    if (HasRightAxis()) DrawYTicks(Frame.RightTicks, FRight, TAxisScale::Linear, true);

    // The titles: the variable below, the curves of each side beside their axis.
    Painter.setPen(Qt::black);
    Painter.drawText(QRectF(Plot.left(), Target.bottom() - Line - 2, Plot.width(), Line),
                     Qt::AlignHCenter | Qt::AlignBottom,
                     Metrics.elidedText(FSweep.Variable, Qt::ElideRight, Plot.width()));
    const auto SideTitle = [&](bool Right) {
        QStringList Names;
        for (const TCurve& Curve : FCurves)
            if (OnRight(Curve) == Right) Names << Curve.Name;
        const QString Title = Metrics.elidedText(Names.join(", "), Qt::ElideRight, Plot.height());
        Painter.save();
        const double X = Right ? Target.right() - 2 : Target.left() + 2;
        Painter.translate(X, Plot.center().y());
        Painter.rotate(Right ? 90 : -90);
        Painter.drawText(QRectF(-Plot.height() / 2, 0, Plot.height(), Line),
                         Qt::AlignHCenter | Qt::AlignTop, Title);
        Painter.restore();
    };
    SideTitle(false);
    if (HasRightAxis()) SideTitle(true);

    Painter.setRenderHint(QPainter::Antialiasing);
    DrawCurves(Painter, Frame);
    Painter.setRenderHint(QPainter::Antialiasing, false);
    Painter.setPen(FrameColour);
    Painter.setBrush(Qt::NoBrush);
    Painter.drawRect(Plot);

    // The legend, in the corner of the plot where it hides the least of the curves.
    double LegendWidth = 0;
    for (const TCurve& Curve : FCurves)
        LegendWidth = std::max(LegendWidth, Metrics.horizontalAdvance(Curve.Name));
    const QRectF Legend =
        LegendPlace(Plot, QSizeF(LegendWidth + 34, Line * static_cast<double>(FCurves.size()) + 6),
                    CurvePixels(Frame));
    Painter.setPen(GridColour);
    Painter.setBrush(QColor(255, 255, 255, 220));
    Painter.drawRect(Legend);
    Painter.setRenderHint(QPainter::Antialiasing);
    for (std::size_t K = 0; K < FCurves.size(); ++K) {
        const double Y = Legend.top() + 3 + Line * (static_cast<double>(K) + 0.5);
        Painter.setPen(QPen(ColourOf(K), 2, OnRight(FCurves[K]) ? Qt::DashLine : Qt::SolidLine));
        Painter.drawLine(QPointF(Legend.left() + 4, Y), QPointF(Legend.left() + 24, Y));
        Painter.setPen(Qt::black);
        Painter.drawText(QRectF(Legend.left() + 30, Y - Line / 2, LegendWidth + 4, Line),
                         Qt::AlignLeft | Qt::AlignVCenter, FCurves[K].Name);
    }
    Painter.restore();
}

// The curves' points where the plot shows them, a few thousand of each curve at most: enough
// to tell where they pass.
std::vector<QPointF> TPlotView::CurvePixels(const TLayout& Frame) const {
    constexpr qsizetype Samples = 2000;
    std::vector<QPointF> Pixels;
    for (std::size_t K = 0; K < FCurves.size(); ++K) {
        const TValueRange& Range = OnRight(FCurves[K]) ? FRight : FY;
        qsizetype Count = 0;
        for (const QList<QPointF>& Run : FRuns[K])
            Count += Run.size();
        const qsizetype Stride = std::max<qsizetype>(1, Count / Samples);
        qsizetype Seen = 0;
        for (const QList<QPointF>& Run : FRuns[K])
            for (const QPointF& Point : Run)
                if (Seen++ % Stride == 0)
                    Pixels.emplace_back(Frame.PixelX(Point.x()), Frame.PixelY(Point.y(), Range));
    }
    return Pixels;
}

void TPlotView::DrawCurves(QPainter& Painter, const TLayout& Frame) const {
    const QRectF Box = Frame.Plot.adjusted(-2, -2, 2, 2);
    Painter.save();
    Painter.setClipRect(Frame.Plot.adjusted(-1, -1, 1, 1));
    for (std::size_t K = 0; K < FCurves.size(); ++K) {
        const TCurve& Curve = FCurves[K];
        const bool Right = OnRight(Curve);
        const TValueRange& Range = Right ? FRight : FY;
        QPen Pen(ColourOf(K), 1.6, Right ? Qt::DashLine : Qt::SolidLine);
        Painter.setPen(Pen);
        Painter.setBrush(ColourOf(K));
        for (const QList<QPointF>& Run : FRuns[K]) {
            std::vector<QPointF> Pixels;
            Pixels.reserve(static_cast<std::size_t>(Run.size()));
            for (const QPointF& Point : Run)
                Pixels.emplace_back(Frame.PixelX(Point.x()), Frame.PixelY(Point.y(), Range));
            if (Pixels.size() == 1) {
                if (Box.contains(Pixels.front())) Painter.drawEllipse(Pixels.front(), 2.5, 2.5);
                continue;
            }
            Pixels = Thinned(Pixels);
            // A step from beyond one edge to beyond the other through 0 is a pole's jump, not
            // a line of the curve.
            const bool Signed = Right || FYScale == TAxisScale::Linear;
            const double Zero = Frame.PixelY(0, Range);
            const auto Jumps = [&](const QPointF& From, const QPointF& To) {
                const double High = std::min(From.y(), To.y()), Low = std::max(From.y(), To.y());
                return Signed && High < Box.top() && Low > Box.bottom() && High < Zero &&
                       Zero < Low;
            };
            QPolygonF Stroke;
            for (std::size_t P = 1; P < Pixels.size(); ++P) {
                QPointF From = Pixels[P - 1], To = Pixels[P];
                if (Jumps(From, To) || !ClipSegment(From, To, Box)) continue;
                if (!Stroke.isEmpty() && Stroke.back() != From) {
                    Painter.drawPolyline(Stroke);
                    Stroke.clear();
                }
                if (Stroke.isEmpty()) Stroke << From;
                Stroke << To;
            }
            if (!Stroke.isEmpty()) Painter.drawPolyline(Stroke);
        }
    }
    Painter.restore();
}

void TPlotView::DrawReadout(QPainter& Painter, const TLayout& Frame,
                            const QFontMetricsF& Metrics) const {
    const QRectF& Plot = Frame.Plot;
    const double Line = Metrics.height();
    const double CursorX = FromAxis(Frame.PositionX(FCursor->x()), FXScale);
    QStringList Lines;
    // The cursor's own position, in the plot's lower left corner.
    QString Where = QString("%1 = %2").arg(FSweep.Variable, Number(CursorX));
    for (const bool Right : {false, true}) {
        if (Right && !HasRightAxis()) continue;
        const auto Side = Right ? FRight : FY;
        const double Y =
            FromAxis(Frame.PositionY(FCursor->y(), Side), Right ? TAxisScale::Linear : FYScale);
        Where += QString(Right ? tr(", phase = %1") : tr(", y = %1")).arg(Number(Y));
    }
    Where = Metrics.elidedText(Where, Qt::ElideRight, Plot.width() - 16);
    const QRectF WhereBox(Plot.left() + 4, Plot.bottom() - Line - 6,
                          Metrics.horizontalAdvance(Where) + 8, Line + 2);
    Painter.setPen(Qt::NoPen);
    Painter.setBrush(QColor(255, 255, 255, 220));
    Painter.drawRect(WhereBox);
    Painter.setPen(Qt::black);
    Painter.drawText(WhereBox.adjusted(4, 1, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, Where);

    // The nearest point of the sweep, and every curve's value there.
    const std::size_t Count = FSweep.Count();
    if (Count == 0) return;
    const double First = static_cast<double>(FSweep.X.front());
    const double Last = static_cast<double>(FSweep.X.back());
    const double Place = Count == 1 ? 0 : (CursorX - First) / (Last - First) * double(Count - 1);
    const auto Nearest = static_cast<std::size_t>(
        std::clamp(std::round(std::isfinite(Place) ? Place : 0), 0.0, double(Count - 1)));
    const double X = Frame.PixelX(OnAxis(static_cast<double>(FSweep.X[Nearest]), FXScale));
    if (!std::isfinite(X)) return;
    Painter.setPen(QPen(FrameColour, 1, Qt::DotLine));
    Painter.drawLine(QPointF(X, Plot.top()), QPointF(X, Plot.bottom()));
    Lines << QString("%1 = %2").arg(FSweep.Variable,
                                    Number(static_cast<double>(FSweep.X[Nearest])));
    for (std::size_t K = 0; K < FCurves.size(); ++K) {
        const TCurve& Curve = FCurves[K];
        const double Value = Curve.Points[Nearest].y();
        Lines << QString("%1 = %2").arg(Curve.Name,
                                        std::isfinite(Value) ? Number(Value) : tr("none"));
        const bool Right = OnRight(Curve);
        const double Y =
            Frame.PixelY(OnAxis(Value, Right ? TAxisScale::Linear : FYScale), Right ? FRight : FY);
        if (std::isfinite(Y) && Plot.contains(QPointF(X, Y))) {
            Painter.setPen(ColourOf(K));
            Painter.setBrush(Qt::white);
            Painter.drawEllipse(QPointF(X, Y), 3.5, 3.5);
        }
    }
    double Width = 0;
    for (const QString& Text : Lines)
        Width = std::max(Width, Metrics.horizontalAdvance(Text));
    QRectF Box(0, 0, Width + 12, Line * Lines.size() + 8);
    // Beside the cursor, right and below if there is room, else left or above, and within
    // the plot if it fits.
    Box.moveTopLeft(QPointF(X + 10, FCursor->y() + 12));
    if (Box.right() > Plot.right()) Box.moveRight(X - 10);
    // Above the position's line, which it would hide.
    const double Lowest = WhereBox.top() - 2;
    if (Box.bottom() > Lowest) Box.moveBottom(FCursor->y() - 12);
    Box.moveLeft(std::max(Plot.left() + 2, std::min(Box.left(), Plot.right() - Box.width() - 2)));
    Box.moveTop(std::max(Plot.top() + 2, std::min(Box.top(), Lowest - Box.height())));
    Painter.setPen(FrameColour);
    Painter.setBrush(QColor(255, 255, 240, 235));
    Painter.drawRect(Box);
    Painter.setPen(Qt::black);
    for (int K = 0; K < Lines.size(); ++K)
        Painter.drawText(QRectF(Box.left() + 6, Box.top() + 4 + Line * K, Width, Line),
                         Qt::AlignLeft | Qt::AlignVCenter, Lines[K]);
}

void TPlotView::wheelEvent(QWheelEvent* Event) {
    const QPoint Delta = Event->angleDelta();
    const double Steps = (Delta.y() != 0 ? Delta.y() : Delta.x()) / 120.0;
    Qt::Orientations Along = Qt::Horizontal | Qt::Vertical;
    if (Event->modifiers() & Qt::ControlModifier) Along = Qt::Horizontal;
    if (Event->modifiers() & Qt::ShiftModifier) Along = Qt::Vertical;
    Zoom(std::pow(ZoomStep, -Steps), Event->position(), Along);
    Event->accept();
}

void TPlotView::mousePressEvent(QMouseEvent* Event) {
    if (Event->button() != Qt::LeftButton) return QWidget::mousePressEvent(Event);
    FDragFrom = Event->position();
    FBoxZoom = Event->modifiers() & Qt::ShiftModifier;
    setFocus(Qt::MouseFocusReason);
}

void TPlotView::mouseMoveEvent(QMouseEvent* Event) {
    const QPointF At = Event->position();
    if (FDragFrom && !FBoxZoom) {
        Pan(At - *FDragFrom);
        FDragFrom = At;
    }
    FCursor = At;
    update();
}

void TPlotView::mouseReleaseEvent(QMouseEvent* Event) {
    if (Event->button() != Qt::LeftButton || !FDragFrom) return QWidget::mouseReleaseEvent(Event);
    const QRectF Plot = PlotRect();
    const QRectF Box = QRectF(*FDragFrom, Event->position()).normalized() & Plot;
    FDragFrom.reset();
    if (FBoxZoom && !Box.isEmpty()) {
        const TLayout Frame = Layout(rect(), QFontMetricsF(font()));
        const bool Wide = Box.width() > 4, Tall = Box.height() > 4;
        const auto Span = [&](const TValueRange& Range) {
            return TValueRange{Frame.PositionY(Box.bottom(), Range),
                               Frame.PositionY(Box.top(), Range)};
        };
        SetView(Wide ? TValueRange{Frame.PositionX(Box.left()), Frame.PositionX(Box.right())} : FX,
                Tall ? Span(FY) : FY, Tall ? Span(FRight) : FRight);
    }
    update();
}

void TPlotView::mouseDoubleClickEvent(QMouseEvent* Event) {
    if (Event->button() == Qt::LeftButton) ResetView();
}

void TPlotView::keyPressEvent(QKeyEvent* Event) {
    const QRectF Plot = PlotRect();
    const QPointF Centre = Plot.center();
    switch (Event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: Zoom(1 / ZoomStep, Centre); break;
    case Qt::Key_Minus: Zoom(ZoomStep, Centre); break;
    case Qt::Key_Left: Pan({Plot.width() / 10, 0}); break;
    case Qt::Key_Right: Pan({-Plot.width() / 10, 0}); break;
    case Qt::Key_Up: Pan({0, Plot.height() / 10}); break;
    case Qt::Key_Down: Pan({0, -Plot.height() / 10}); break;
    case Qt::Key_Home:
    case Qt::Key_0: ResetView(); break;
    default: QWidget::keyPressEvent(Event); return;
    }
    Event->accept();
}

void TPlotView::leaveEvent(QEvent* Event) {
    FCursor.reset();
    update();
    QWidget::leaveEvent(Event);
}

} // namespace workbench
