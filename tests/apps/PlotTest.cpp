#include "AxisTicks.h"
#include "NumberText.h"
#include "PlotCurves.h"
#include "PlotLegend.h"
#include "PlotRange.h"
#include "PlotSettings.h"
#include "PlotView.h"

#include <QApplication>
#include <QJsonArray>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <gtest/gtest.h>

using namespace workbench;

namespace {

// The labels, a dot for each minor mark.
std::string Labels(const std::vector<TTick>& Ticks) {
    QStringList Result;
    for (const TTick& Tick : Ticks)
        Result << (Tick.Label.isEmpty() ? "." : Tick.Label);
    return Result.join(' ').toStdString();
}

TEST(AxisTicksTest, RoundValuesWithNoMoreDigitsThanTellThemApart) {
    const struct {
        double Low, High;
        int MaxCount;
        const char* Expected;
    } Cases[] = {
        {0, 10, 5, "0 2 4 6 8 10"},
        {-2.3, 3.1, 6, "-2 -1 0 1 2 3"},
        {0.1, 0.7, 3, "0.2 0.4 0.6"},         // never 0.6000000000000001
        {-1.7e16, 1.7e16, 4, "-1e16 0 1e16"}, // never 17 digits
        {0, 2.5e9, 5, "0 5e8 1e9 1.5e9 2e9 2.5e9"},
        {1e-9, 4e-9, 3, "1e-9 2e-9 3e-9 4e-9"},
        {1000, 1000.5, 3, "1000.0 1000.2 1000.4"},
        {0, 200000, 2, "0 100000 200000"},
        {5, 5, 4, ""},         // nothing to mark
        {1, 1 + 1e-15, 4, ""}, // beyond double's precision
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(Labels(LinearTicks(Case.Low, Case.High, Case.MaxCount)), Case.Expected)
            << Case.Low << ".." << Case.High;
}

TEST(AxisTicksTest, LogarithmicAxesMarkDecadesAndLabelAsRoomAllows) {
    EXPECT_EQ(Labels(LogTicks(1, 100, 8)), "1 2 . . 5 . . . . 10 20 . . 50 . . . . 100");
    EXPECT_EQ(Labels(LogTicks(10, 1e5, 5)),
              "10 . . . . . . . . 100 . . . . . . . . 1000 . . . . . . . . 10000 . . . . . . . . "
              "100000");
    EXPECT_EQ(Labels(LogTicks(1e-3, 1e9, 4)), "0.001 . . 1 . . 1000 . . 1e6 . . 1e9");
    EXPECT_EQ(Labels(LogTicks(2, 5, 4)), "2 3 4 5"); // within a decade: linear marks
    EXPECT_TRUE(LogTicks(0, 10, 4).empty());
    EXPECT_TRUE(LogTicks(-1, 10, 4).empty());
}

TEST(NumberTextTest, AnyFiniteNumberInScientificNotationToo) {
    const struct {
        const char* Text;
        std::optional<long double> Value;
    } Cases[] = {
        {"0.00001", 1e-5L}, {"1e-9", 1e-9L}, {" 2.5E9 ", 2.5e9L}, {"-3", -3},  {"+.5", 0.5},
        {"1,5", 1.5},       {"1.", 1},       {"1e400", 1e400L},   {"", {}},    {"1e", {}},
        {"abc", {}},        {"1.2.3", {}},   {"inf", {}},         {"nan", {}}, {"1e99999", {}},
        {"2*pi", {}},       {"\u0663", {}}, // an Arabic-Indic three
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(ReadNumber(QString::fromUtf8(Case.Text)), Case.Value) << Case.Text;
}

// F from From to To by Step, as one curve: runs of finite values.
template <class Function>
std::vector<TRuns> Sampled(double From, double To, double Step, Function F) {
    TRuns Runs(1);
    for (int K = 0; From + K * Step <= To + Step / 2; ++K) {
        const double X = From + K * Step;
        if (std::isfinite(F(X)))
            Runs.back().append({X, F(X)});
        else if (!Runs.back().isEmpty())
            Runs.emplace_back();
    }
    return {Runs};
}

// The legend takes the corner that hides the fewest points, the upper right first.
TEST(PlotLegendTest, TheCornerThatHidesTheLeastOfTheCurves) {
    const QRectF Plot(0, 0, 400, 300);
    const QPointF UpperRight(350, 20), UpperLeft(50, 20), LowerRight(350, 270), LowerLeft(50, 270);
    const struct {
        std::vector<QPointF> Pixels;
        QPointF Expected;
    } Cases[] = {
        {{}, {294, 6}},
        {{UpperRight}, {6, 6}},
        {{UpperRight, UpperLeft}, {294, 254}},
        {{UpperRight, UpperLeft, LowerRight}, {6, 254}},
        {{UpperRight, UpperRight, UpperLeft, LowerRight, LowerLeft}, {6, 6}},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(LegendPlace(Plot, QSizeF(100, 40), Case.Pixels).topLeft(), Case.Expected)
            << Case.Pixels.size() << " points";
}

TEST(PlotRangeTest, APoleIsClippedASteepCurveOrAPeakIsNot) {
    const auto Pole = [](double Step) {
        return ReadableRange(Sampled(-2, 3, Step, [](double X) { return 1 / (X - 1); }));
    };
    // Over -2..3 by 0.1, x passes 1 within rounding, giving about 1e16; by 0.01 it gives +-100.
    for (const double Step : {0.1, 0.01}) {
        EXPECT_LT(Pole(Step).High, 60) << Step;
        EXPECT_GT(Pole(Step).Low, -60) << Step;
        EXPECT_GT(Pole(Step).High, 5) << Step; // 1/(1.2-1): the curve beside the pole shows
        EXPECT_LT(Pole(Step).Low, -5) << Step;
    }
    const auto Tan = ReadableRange(Sampled(-5, 5, 0.01, [](double X) { return std::tan(X); }));
    EXPECT_LT(Tan.High, 100);
    const auto Steep = ReadableRange(Sampled(0, 20, 0.1, [](double X) { return std::exp(X); }));
    EXPECT_GE(Steep.High, std::exp(20.0));
    EXPECT_LE(Steep.Low, 1);
    // A resonance, narrow over a wide linear range: its peak stays in sight.
    const auto Peak = ReadableRange(Sampled(
        10, 1e5, 1, [](double F) { return 1 / (1 + std::pow(2 * (F / 700 - 700 / F), 2)); }));
    EXPECT_GE(Peak.High, 1);
    // A phase from 90 to -90 degrees swept linearly up to 1e5 and drawn over a logarithmic
    // axis: nearly all points lie in the last decade, near -90, yet the turn is no pole.
    QList<QPointF> Phase;
    for (double F = 1; F <= 1e5; ++F)
        Phase.append({std::log10(F), 90 - 180 * F / (F + 1000)});
    EXPECT_GT(ReadableRange({{Phase}}).High, 85);
    const TRuns Impulse{{{0, 0}, {1, 0}, {2, 0}, {3, 1e6}, {4, 0}, {5, 0}}};
    EXPECT_GE(ReadableRange({Impulse}).High, 1e6);
    EXPECT_EQ(ReadableRange({}), (TValueRange{0, 1}));
    EXPECT_EQ(ReadableRange({{{{0, 5}, {1, 5}}}}), (TValueRange{4.5, 5.5}));
}

TEST(PlotCurvesTest, PartsOfAComplexValue) {
    const zoZezo::TComplex Z{-3, 4};
    EXPECT_EQ(PartOf(Z, ppReal), -3);
    EXPECT_EQ(PartOf(Z, ppImaginary), 4);
    EXPECT_EQ(PartOf(Z, ppMagnitude), 5);
    EXPECT_NEAR(PartOf({0.1L, 0}, ppDecibels), -20, 1e-12);
    EXPECT_TRUE(std::isnan(PartOf({0, 0}, ppDecibels)));
    EXPECT_EQ(PartOf({-1, 0}, ppPhase), 180);
    EXPECT_NEAR(PartOf({0, -2}, ppPhase), -90, 1e-12);
}

TEST(PlotCurvesTest, RunsEndAtGapsAtValuesALogAxisCannotShowAndWherePhaseWraps) {
    TSweepResult Sweep;
    Sweep.Equations = QStringList{"y"};
    Sweep.X = {-1, 1, 10, 100, 1000, 10000};
    Sweep.Y = {{zoZezo::TComplex{-1, 0.1L}, zoZezo::TComplex{-1, -0.1L}, zoZezo::TComplex{1, 0},
                std::nullopt, zoZezo::TComplex{1000, 0}, zoZezo::TComplex{-10, 0}}};
    const std::vector<TCurve> Curves = MakeCurves(Sweep, ppReal | ppPhase);
    ASSERT_EQ(Curves.size(), 2u);
    EXPECT_EQ(AxisRuns(Curves[0], TAxisScale::Linear, TAxisScale::Linear).size(), 2);
    const auto Log = AxisRuns(Curves[0], TAxisScale::Logarithmic, TAxisScale::Logarithmic);
    ASSERT_EQ(Log.size(), 2); // x = -1, y = -1, the gap and y = -10 cut it apart
    EXPECT_EQ(Log[0], (QList<QPointF>{{1, 0}}));
    EXPECT_EQ(Log[1], (QList<QPointF>{{3, 3}}));
    // Phases about 174, -174 (wrapped round), 0, a gap, 0, 180 (half a turn: no wrap).
    const auto Phase = AxisRuns(Curves[1], TAxisScale::Linear, TAxisScale::Linear);
    ASSERT_EQ(Phase.size(), 3);
    EXPECT_EQ(Phase[0].size(), 1);
    EXPECT_EQ(Phase[1].size(), 2);
    EXPECT_EQ(Phase[2].size(), 2);
    // A real equation gets no imaginary curve.
    Sweep.Y[0][0] = Sweep.Y[0][1] = zoZezo::TComplex{-1, 0};
    EXPECT_EQ(MakeCurves(Sweep, ppReal | ppImaginary).size(), 1u);
}

TEST(PlotSettingsTest, JsonRoundTripAndForgivingReading) {
    TPlotSettings Settings;
    Settings.Equations = QStringList{"current", "tank"};
    Settings.Variable = "f";
    Settings.From = "1e1";
    Settings.Step = "not yet";
    Settings.XScale = TAxisScale::Logarithmic;
    Settings.YRange = TValueRange{-60, 0};
    Settings.Parts = ppDecibels | ppPhase;
    EXPECT_EQ(TPlotSettings::FromJson(Settings.ToJson()), Settings);
    EXPECT_EQ(TPlotSettings::FromJson({}), TPlotSettings());
    const QJsonObject Odd{{"yRange", QJsonArray{3, 1}}, {"xScale", 7}, {"parts", QJsonArray{"??"}}};
    const TPlotSettings Read = TPlotSettings::FromJson(Odd);
    EXPECT_FALSE(Read.YRange);
    EXPECT_EQ(Read.XScale, TAxisScale::Linear);
    EXPECT_EQ(Read.Parts, 0u);
}

// y = 2x over x from 0 to 100, shown in a view of 600 x 400.
void ShowLine(TPlotView& View) {
    View.resize(600, 400);
    TSweepResult Sweep;
    Sweep.Variable = "x";
    Sweep.Equations = QStringList{"y"};
    Sweep.Y.resize(1);
    for (int K = 0; K <= 100; ++K) {
        Sweep.X.push_back(K);
        Sweep.Y[0].push_back(zoZezo::TComplex{static_cast<long double>(K) * 2, 0});
    }
    View.ShowSweep(Sweep);
}

TEST(PlotViewTest, ZoomAroundTheCursorPanAndShowEverything) {
    TPlotView View;
    ShowLine(View);
    const TValueRange All = View.VisibleX();
    EXPECT_EQ(All, (TValueRange{0, 100}));
    View.Zoom(0.5, {500, 200});
    const TValueRange Zoomed = View.VisibleX();
    EXPECT_NEAR(Zoomed.Span(), 50, 1e-9);
    EXPECT_GT(Zoomed.Low, 25); // towards the right, where the cursor is
    View.Zoom(2, {500, 200});  // and back: the point under the cursor stayed put
    EXPECT_NEAR(View.VisibleX().Low, 0, 1e-9);
    EXPECT_NEAR(View.VisibleX().High, 100, 1e-9);
    QTest::keyClick(&View, Qt::Key_Home);
    QTest::keyClick(&View, Qt::Key_Right);
    EXPECT_NEAR(View.VisibleX().Low, 10, 1e-9);
    QTest::keyClick(&View, Qt::Key_Home);
    EXPECT_EQ(View.VisibleX(), All);
    View.SetScales(TAxisScale::Logarithmic, TAxisScale::Linear); // x = 0 is left out
    EXPECT_NEAR(View.VisibleX().Low, 1, 1e-12);
    EXPECT_TRUE(View.Problem().isEmpty());
    View.SetParts(ppPhase);
    View.SetScales(TAxisScale::Linear, TAxisScale::Logarithmic);
    EXPECT_FALSE(View.Problem().isEmpty()); // every phase is 0
}

// What the mouse does to the ranges shown: a drag moves both, Shift and a drag zooms into the
// box drawn, the wheel zooms, with Ctrl along x alone and with Shift along y alone.
TEST(PlotViewTest, TheMouseDragsZoomsIntoABoxAndZoomsAlongOneAxis) {
    enum TGesture { Drag, BoxDrag, Wheel };
    const struct {
        TGesture Gesture;
        Qt::KeyboardModifiers Keys;
        bool XMoves, XShrinks, YMoves, YShrinks;
    } Cases[] = {
        {Drag, Qt::NoModifier, true, false, true, false},
        {BoxDrag, Qt::ShiftModifier, true, true, true, true},
        {Wheel, Qt::NoModifier, true, true, true, true},
        {Wheel, Qt::ControlModifier, true, true, false, false},
        {Wheel, Qt::ShiftModifier, false, false, true, true},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(testing::Message() << "gesture " << Case.Gesture << ", keys " << Case.Keys);
        TPlotView View;
        ShowLine(View);
        const TValueRange X = View.VisibleX(), Y = View.VisibleY();
        const QPoint From(250, 150), To(350, 250);
        if (Case.Gesture == Wheel) {
            QWheelEvent Event(From, View.mapToGlobal(From), {}, {0, 120}, Qt::NoButton, Case.Keys,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(&View, &Event);
        } else {
            QTest::mousePress(&View, Qt::LeftButton, Case.Keys, From);
            QTest::mouseMove(&View, To);
            QTest::mouseRelease(&View, Qt::LeftButton, Case.Keys, To);
        }
        const TValueRange NowX = View.VisibleX(), NowY = View.VisibleY();
        EXPECT_EQ(NowX != X, Case.XMoves);
        EXPECT_EQ(NowY != Y, Case.YMoves);
        EXPECT_EQ(NowX.Span() < X.Span() - 1e-9, Case.XShrinks);
        EXPECT_EQ(NowY.Span() < Y.Span() - 1e-9, Case.YShrinks);
        // What is shown stays within what was, but for a drag, which shows what lay left
        // and above.
        if (Case.Gesture == Drag) {
            EXPECT_LT(NowX.Low, X.Low);
            EXPECT_GT(NowY.Low, Y.Low);
        } else {
            EXPECT_TRUE(NowX.Low >= X.Low && NowX.High <= X.High);
            EXPECT_TRUE(NowY.Low >= Y.Low && NowY.High <= Y.High);
        }
    }
}

} // namespace
