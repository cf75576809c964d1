#include "Sweep.h"

#include "SweepCsv.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <cstring>
#include <gtest/gtest.h>

using workbench::TSweep;
using workbench::TSweepJob;
using workbench::TSweepRange;
using workbench::TSweepResult;

namespace {

TSweepJob Job(QStringList Lines, QStringList Equations, QString Variable, TSweepRange Range) {
    TSweepJob Result;
    Result.Lines = std::move(Lines);
    Result.Equations = std::move(Equations);
    Result.Variable = std::move(Variable);
    Result.Range = Range;
    return Result;
}

// Runs the sweep to its end on the event loop.
bool Finish(TSweep& Sweep) {
    QSignalSpy Finished(&Sweep, &TSweep::Finished);
    return Finished.wait(20000) && !Finished.front().front().toBool();
}

const std::optional<zoZezo::TComplex>& At(const TSweep& Sweep, std::size_t Point) {
    return Sweep.Result().Y.at(0).at(Point);
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
    TSweepJob Request = Job({"k: 10", "y: k*x + a", "z: -y"}, {"y", "z"}, "x", {0, 1, 0.25L});
    Request.Variables = {{"a", 1, 2}, {"x", 99, 0}};
    ASSERT_TRUE(Sweep.Start(Request)) << Sweep.ErrorText().toStdString();
    ASSERT_TRUE(Finish(Sweep));
    ASSERT_EQ(Sweep.Result().Count(), 5u);
    EXPECT_EQ(Sweep.Result().X[2], 0.5L);
    ASSERT_TRUE(At(Sweep, 2));
    EXPECT_EQ(At(Sweep, 2)->Re, 6);
    EXPECT_EQ(At(Sweep, 2)->Im, 2);
    EXPECT_EQ(Sweep.Result().Y.at(1).at(2)->Re, -6);
}

TEST(SweepTest, TheSweptVariableHidesAnEquationOfThatName) {
    TSweep Sweep;
    ASSERT_TRUE(Sweep.Start(Job({"t: 7", "y: t*2"}, {"y"}, "t", {0, 2, 1})));
    ASSERT_TRUE(Finish(Sweep));
    ASSERT_EQ(Sweep.Result().Count(), 3u);
    EXPECT_EQ(At(Sweep, 2)->Re, 4);
}

TEST(SweepTest, FailedPointsHaveNoValue) {
    TSweep Sweep;
    // Sqrt of a negative number is complex, and Round refuses it; 1/0 is not finite.
    ASSERT_TRUE(Sweep.Start(Job({"y: Round(Sqrt(x)) + 1/(x-3)"}, {"y"}, "x", {-2, 4, 1})));
    ASSERT_TRUE(Finish(Sweep));
    ASSERT_EQ(Sweep.Result().Count(), 7u);
    for (int K : {0, 1, 5})
        EXPECT_FALSE(At(Sweep, K)) << K;
    for (int K : {2, 3, 4, 6})
        EXPECT_TRUE(At(Sweep, K)) << K;
}

TEST(SweepTest, AJobThatCannotRunSaysWhy) {
    TSweep Sweep;
    EXPECT_FALSE(Sweep.Start(Job({"y: x"}, {"y", "z"}, "x", {0, 1, 1})));
    EXPECT_TRUE(Sweep.ErrorText().contains("no equation named z"));
    EXPECT_FALSE(Sweep.Start(Job({"a: 1+", "y: x"}, {"y"}, "x", {0, 1, 1})));
    EXPECT_EQ(Sweep.ErrorText(), "Error: Incomplete expression (position:1,6).");
    EXPECT_FALSE(Sweep.Start(Job({"a: 1", "y: 2+"}, {"y"}, "x", {0, 1, 1})));
    EXPECT_EQ(Sweep.ErrorText(), "Error: Incomplete expression (position:2,6).");
    EXPECT_TRUE(Sweep.Start(Job({"y: x", "y: 2+"}, {"y"}, "x", {0, 1, 1}))); // the first y
    EXPECT_FALSE(Sweep.Start(Job({"f(q): q*x"}, {"f"}, "x", {0, 1, 1})));
    EXPECT_TRUE(Sweep.ErrorText().contains("takes parameters"));
    EXPECT_FALSE(Sweep.Start(Job({"y: x"}, {"y"}, "x", {0, 1, 0})));
    EXPECT_FALSE(Sweep.Start(Job({"y: x"}, {}, "x", {0, 1, 1})));
    EXPECT_FALSE(Sweep.Running());
}

// Every core computes its own points with its own copy of the circuit, native code included:
// the values must not depend on how the points were shared out.
TEST(SweepTest, AllCoresGiveTheValuesOfOneBitForBit) {
    QFile Circuit(EXAMPLES_DIR "/circuit.zez");
    ASSERT_TRUE(Circuit.open(QIODevice::ReadOnly));
    const TSweepJob Request = Job(QString::fromUtf8(Circuit.readAll()).split('\n'),
                                  {"current", "phase", "tank"}, "f", {10, 20000, 1});
    std::vector<TSweepResult> Results;
    for (const unsigned Threads : {1u, 4u}) {
        TSweep Sweep;
        Sweep.SetThreads(Threads);
        ASSERT_TRUE(Sweep.Start(Request)) << Sweep.ErrorText().toStdString();
        ASSERT_TRUE(Finish(Sweep));
        Results.push_back(Sweep.Result());
    }
    ASSERT_EQ(Results[0].Count(), 19991u);
    ASSERT_EQ(Results[1].Count(), 19991u);
    for (std::size_t E = 0; E < 3; ++E)
        for (std::size_t K = 0; K < Results[0].Count(); ++K) {
            const auto &One = Results[0].Y[E][K], &All = Results[1].Y[E][K];
            ASSERT_EQ(One.has_value(), All.has_value()) << E << " " << K;
            ASSERT_TRUE(!One || (std::memcmp(&One->Re, &All->Re, 10) == 0 &&
                                 std::memcmp(&One->Im, &All->Im, 10) == 0))
                << E << " " << K;
        }
}

TEST(SweepTest, ACancelledSweepKeepsThePointsComputedInOrderAndStopsAtOnce) {
    TSweep Sweep;
    Sweep.SetThreads(3);
    QSignalSpy Progress(&Sweep, &TSweep::Progress);
    QSignalSpy Finished(&Sweep, &TSweep::Finished);
    // Each point runs f 2^12 times: long enough to cancel midway.
    QStringList Lines{"f0: Sin(x)"};
    for (int K = 1; K <= 12; ++K)
        Lines << QString("f%1: f%2 + f%2").arg(K).arg(K - 1);
    ASSERT_TRUE(Sweep.Start(Job(Lines, {"f12"}, "x", {0, 99999, 1})));
    EXPECT_EQ(Sweep.Result().Count(), 0u); // nothing shown before it ends
    ASSERT_TRUE(Progress.wait(5000));
    EXPECT_TRUE(Sweep.Running());
    Sweep.Cancel();
    EXPECT_FALSE(Sweep.Running());
    ASSERT_EQ(Finished.count(), 1);
    EXPECT_TRUE(Finished.front().front().toBool());
    const TSweepResult Kept = Sweep.Result();
    EXPECT_LT(Kept.Count(), 100000u);
    for (std::size_t K = 0; K < Kept.Count(); ++K)
        ASSERT_TRUE(Kept.Y[0][K]) << K;
    QTest::qWait(100);
    EXPECT_EQ(Sweep.Result().Count(), Kept.Count());
    EXPECT_EQ(Finished.count(), 1);

    // Cancelled while its threads still make room for the values: one empty row, nothing torn.
    ASSERT_TRUE(Sweep.Start(Job(Lines, {"f12"}, "x", {0, 99999, 1})));
    Sweep.Cancel();
    ASSERT_EQ(Sweep.Result().Y.size(), 1u);
    EXPECT_EQ(Sweep.Result().Y[0].size(), Sweep.Result().Count());
}

TEST(SweepCsvTest, OneColumnForARealEquationTwoForAComplexOneGapsEmpty) {
    TSweepResult Sweep;
    Sweep.Variable = "f";
    Sweep.Equations = QStringList{"amp", "z"};
    Sweep.X = {0.5L, 1e-9L};
    Sweep.Y = {{zoZezo::TComplex{1.0L / 3, 0}, std::nullopt},
               {zoZezo::TComplex{2, -0.25L}, zoZezo::TComplex{-4e20L, 0}}};
    EXPECT_EQ(workbench::SweepCsv(Sweep).toStdString(), "f,amp,Re(z),Im(z)\r\n"
                                                        "0.5,0.333333333333333,2,-0.25\r\n"
                                                        "1e-09,,-4e+20,0\r\n");
    Sweep.Variable = "a,\"b\"";
    EXPECT_TRUE(workbench::SweepCsv(Sweep).startsWith("\"a,\"\"b\"\"\",amp,"));
}

} // namespace
