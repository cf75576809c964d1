#include "Sweep.h"

#include "PlotSeries.h"
#include "PlotView.h"

#include <QLineSeries>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using workbench::TPart;
using workbench::TSweep;
using workbench::TSweepJob;
using workbench::TSweepPoint;
using workbench::TSweepRange;

namespace {

TSweepJob Job(QStringList Lines, QString Equation, QString Variable, TSweepRange Range) {
    TSweepJob Result;
    Result.Lines = std::move(Lines);
    Result.Equation = std::move(Equation);
    Result.Variable = std::move(Variable);
    Result.Range = Range;
    return Result;
}

// Runs the sweep to its end on the event loop.
bool Finish(TSweep& Sweep) {
    QSignalSpy Finished(&Sweep, &TSweep::Finished);
    return Finished.wait(5000) && !Finished.front().front().toBool();
}

TEST(SweepRangeTest, CountsBothEndsAndRefusesWhatCannotEnd) {
    EXPECT_EQ((TSweepRange{0, 2, 0.1L}.Count()), 21u);
    EXPECT_EQ((TSweepRange{0, 1, 0.3L}.Count()), 4u);
    EXPECT_EQ((TSweepRange{1, -1, -0.5L}.Count()), 5u);
    EXPECT_EQ((TSweepRange{3, 3, 1}.Count()), 1u);
    EXPECT_TRUE((TSweepRange{0, 1, 0.5L}.Problem().isEmpty()));
    EXPECT_FALSE((TSweepRange{0, 1, 0}.Problem().isEmpty()));
    EXPECT_FALSE((TSweepRange{0, 1, -1}.Problem().isEmpty()));
    EXPECT_FALSE((TSweepRange{0, 1e9L, 1e-3L}.Problem().isEmpty()));
}

TEST(SweepTest, ComputesEveryPointWithTheVariablesOfTheDocument) {
    TSweep Sweep;
    TSweepJob Request = Job({"k: 10", "y: k*x + a"}, "y", "x", {0, 1, 0.25L});
    Request.Variables = {{"a", 1, 2}, {"x", 99, 0}};
    ASSERT_TRUE(Sweep.Start(Request)) << Sweep.ErrorText().toStdString();
    ASSERT_TRUE(Finish(Sweep));
    ASSERT_EQ(Sweep.Points().size(), 5u);
    EXPECT_EQ(Sweep.Points()[2].X, 0.5L);
    ASSERT_TRUE(Sweep.Points()[2].Y);
    EXPECT_EQ(Sweep.Points()[2].Y->Re, 6);
    EXPECT_EQ(Sweep.Points()[2].Y->Im, 2);
}

TEST(SweepTest, TheSweptVariableHidesAnEquationOfThatName) {
    TSweep Sweep;
    ASSERT_TRUE(Sweep.Start(Job({"t: 7", "y: t*2"}, "y", "t", {0, 2, 1})));
    ASSERT_TRUE(Finish(Sweep));
    ASSERT_EQ(Sweep.Points().size(), 3u);
    EXPECT_EQ(Sweep.Points()[2].Y->Re, 4);
}

TEST(SweepTest, FailedPointsHaveNoValue) {
    TSweep Sweep;
    // Sqrt of a negative number is complex, and Round refuses it; 1/0 is not finite.
    ASSERT_TRUE(Sweep.Start(Job({"y: Round(Sqrt(x)) + 1/(x-3)"}, "y", "x", {-2, 4, 1})));
    ASSERT_TRUE(Finish(Sweep));
    ASSERT_EQ(Sweep.Points().size(), 7u);
    for (int K : {0, 1, 5})
        EXPECT_FALSE(Sweep.Points()[K].Y) << K;
    for (int K : {2, 3, 4, 6})
        EXPECT_TRUE(Sweep.Points()[K].Y) << K;
}

TEST(SweepTest, AJobThatCannotRunSaysWhy) {
    TSweep Sweep;
    EXPECT_FALSE(Sweep.Start(Job({"y: x"}, "z", "x", {0, 1, 1})));
    EXPECT_TRUE(Sweep.ErrorText().contains("no equation named z"));
    EXPECT_FALSE(Sweep.Start(Job({"a: 1+", "y: x"}, "y", "x", {0, 1, 1})));
    EXPECT_EQ(Sweep.ErrorText(), "Error: Incomplete expression (position:1,6).");
    EXPECT_FALSE(Sweep.Start(Job({"f(q): q*x"}, "f", "x", {0, 1, 1})));
    EXPECT_TRUE(Sweep.ErrorText().contains("takes parameters"));
    EXPECT_FALSE(Sweep.Start(Job({"y: x"}, "y", "x", {0, 1, 0})));
    EXPECT_FALSE(Sweep.Running());
}

TEST(SweepTest, ALongSweepRunsInSlicesAndCanBeCancelled) {
    TSweep Sweep;
    Sweep.SetSliceMilliseconds(1);
    QSignalSpy Progress(&Sweep, &TSweep::Progress);
    QSignalSpy Finished(&Sweep, &TSweep::Finished);
    ASSERT_TRUE(Sweep.Start(Job({"y: Sin(x)*Exp(x/1000)"}, "y", "x", {0, 99999, 1})));
    EXPECT_TRUE(Sweep.Points().empty()); // nothing computed before the event loop runs
    ASSERT_TRUE(Progress.wait(5000));
    EXPECT_TRUE(Sweep.Running());
    EXPECT_LT(Sweep.Points().size(), 100000u);
    Sweep.Cancel();
    ASSERT_EQ(Finished.count(), 1);
    EXPECT_TRUE(Finished.front().front().toBool());
    const std::size_t Computed = Sweep.Points().size();
    QTest::qWait(20);
    EXPECT_EQ(Sweep.Points().size(), Computed);
    EXPECT_EQ(Finished.count(), 1);
}

TEST(PlotSeriesTest, GapsSplitTheRuns) {
    const std::vector<TSweepPoint> Points{{0, zoZezo::TComplex{1, 0}}, {1, zoZezo::TComplex{2, 1}},
                                          {2, std::nullopt},           {3, zoZezo::TComplex{4, 0}},
                                          {4, std::nullopt},           {5, std::nullopt},
                                          {6, zoZezo::TComplex{6, 0}}, {7, zoZezo::TComplex{7, 0}}};
    const auto Runs = workbench::SplitRuns(Points, TPart::Real);
    ASSERT_EQ(Runs.size(), 3);
    EXPECT_EQ(Runs[0], (QList<QPointF>{{0, 1}, {1, 2}}));
    EXPECT_EQ(Runs[1], (QList<QPointF>{{3, 4}}));
    EXPECT_EQ(Runs[2], (QList<QPointF>{{6, 6}, {7, 7}}));
    EXPECT_EQ(workbench::SplitRuns(Points, TPart::Imaginary)[0], (QList<QPointF>{{0, 0}, {1, 1}}));
    EXPECT_TRUE(workbench::AnyImaginary(Points));
    EXPECT_TRUE(workbench::SplitRuns({{0, std::nullopt}}, TPart::Real).isEmpty());
}

TEST(PlotViewTest, ShowsTheRealPartAndTheImaginaryOnlyWhenThereIsOne) {
    workbench::TPlotView View;
    View.ShowSweep({{0, zoZezo::TComplex{1, 0}}, {1, std::nullopt}, {2, zoZezo::TComplex{3, 0}}},
                   "y", "x");
    ASSERT_EQ(View.Lines(TPart::Real).size(), 2);
    EXPECT_TRUE(View.Lines(TPart::Imaginary).isEmpty());
    EXPECT_EQ(View.Lines(TPart::Real)[1]->points(), (QList<QPointF>{{2, 3}}));
    EXPECT_TRUE(View.Lines(TPart::Real)[1]->pointsVisible());
    View.ShowSweep({{0, zoZezo::TComplex{1, -1}}, {1, zoZezo::TComplex{2, 0}}}, "z", "t");
    ASSERT_EQ(View.Lines(TPart::Real).size(), 1);
    ASSERT_EQ(View.Lines(TPart::Imaginary).size(), 1);
    EXPECT_EQ(View.Lines(TPart::Imaginary)[0]->points(), (QList<QPointF>{{0, -1}, {1, 0}}));
    EXPECT_EQ(View.chart()->series().size(), 2);
}

} // namespace
