#include "NameWarnings.h"
#include "Rebuild.h"
#include "ResultsComputation.h"
#include "ResultsModel.h"
#include "ResultsText.h"
#include "VariablesModel.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using workbench::TResultRow;
using workbench::TResultsModel;
using workbench::TVariablesModel;

namespace {

QString Cell(const TResultsModel& Model, int Row, int Column) {
    return Model.data(Model.index(Row, Column), Qt::DisplayRole).toString();
}

class ResultsTest : public ::testing::Test {
protected:
    zoZezo::TzoZezoEvaluator Evaluator;
    TVariablesModel Variables;
    TResultsModel Results;

    void SetUp() override { Variables.Attach(Evaluator); }
    // What the window does after the memo's rebuild.
    workbench::TLineResults Compute(const QStringList& Lines) {
        workbench::TResultsProgress Progress;
        auto Computed = workbench::ComputeLineResults(
            {Lines, workbench::TSyntaxCharacters::Of(Evaluator), Variables.Snapshot()}, Progress);
        Results.SetRows(Computed->Rows);
        Variables.MarkUsed(Computed->Variables);
        return *Computed;
    }
    void Show(const QStringList& Lines) {
        Rebuild(Evaluator, Lines);
        Compute(Lines);
    }
};

TEST_F(ResultsTest, ValueEquationsAreListedWithTheirValuesAsZezoPrintsThem) {
    Show({"a: 3+4j", "", "{ a comment }", "f(x): x*2", "b: f(a)*1j", "c: 1/3", "d: 2"});
    ASSERT_EQ(Results.rowCount(), 4);
    EXPECT_EQ(Cell(Results, 0, TResultsModel::rcLine), "1");
    EXPECT_EQ(Cell(Results, 0, TResultsModel::rcName), "a");
    EXPECT_EQ(Cell(Results, 0, TResultsModel::rcValue), "3+4j");
    EXPECT_EQ(Cell(Results, 1, TResultsModel::rcLine), "5");
    EXPECT_EQ(Cell(Results, 1, TResultsModel::rcValue), "-8+6j");
    EXPECT_EQ(Cell(Results, 2, TResultsModel::rcValue), "0.333333333333333");
    EXPECT_EQ(Cell(Results, 3, TResultsModel::rcValue), "2");
    EXPECT_EQ(Results.FaultyRow(), -1);
}

TEST_F(ResultsTest, TheImaginarySuffixIsTheEvaluators) {
    Evaluator.Imaginary = 'i';
    Show({"z: 2i*3"});
    EXPECT_EQ(Cell(Results, 0, TResultsModel::rcValue), "0+6i");
}

TEST_F(ResultsTest, AComputationErrorIsARowNotAnException) {
    Show({"r: Round(2j)", "s: 1j and 1", "t: 5"});
    ASSERT_EQ(Results.rowCount(), 3);
    EXPECT_EQ(Results.Rows()[0].Kind, TResultRow::rkComputeError);
    EXPECT_EQ(Cell(Results, 0, TResultsModel::rcValue), "Number must be real");
    EXPECT_EQ(Cell(Results, 1, TResultsModel::rcValue), "Number must be real");
    EXPECT_EQ(Cell(Results, 2, TResultsModel::rcValue), "5");
    EXPECT_TRUE(Results.data(Results.index(0, 2), Qt::ForegroundRole).isValid());
}

// The memo's rebuild stops at b; the results go on. d, which uses b, is faulty too rather than
// taking b for a variable on demand.
TEST_F(ResultsTest, EveryFaultyLineIsMarkedAndTheLinesBelowStillCompute) {
    Show({"a: 1", "b: { \u00e9\u00e9 } 2+", "c: a*3", "d: b+x", "e: 0/0"});
    ASSERT_EQ(Results.rowCount(), 5);
    ASSERT_EQ(Results.FaultyRow(), 1);
    const auto& Rows = Results.Rows();
    EXPECT_EQ(Rows[1].Line, 2);
    EXPECT_EQ(Rows[1].Text, "Error: Incomplete expression (position:2,13).");
    EXPECT_EQ(Rows[1].Offset, 12); // after the last character, in the editor's units
    EXPECT_EQ(Rows[2].Text, "3");
    EXPECT_EQ(Rows[3].Kind, TResultRow::rkCompileError);
    EXPECT_EQ(Rows[3].Text, "Error: Identifier not defined (position:4,5). b is line 2, which "
                            "does not compile.");
    EXPECT_EQ(Rows[4].Text, "NaN");
    EXPECT_EQ(Variables.Count(), 0);
    EXPECT_TRUE(Results.data(Results.index(1, 0), Qt::BackgroundRole).isValid());
    EXPECT_FALSE(Results.data(Results.index(0, 0), Qt::BackgroundRole).isValid());
}

TEST_F(ResultsTest, UnknownNamesBecomeVariablesThatTheUserSets) {
    Show({"y: 2*x + k*1j", "z: pi"});
    ASSERT_EQ(Variables.Count(), 2);
    EXPECT_EQ(Variables.Cell(0).Name, "x");
    EXPECT_EQ(Variables.Cell(1).Name, "k");
    EXPECT_EQ(Cell(Results, 0, TResultsModel::rcValue), "0");

    QSignalSpy Changed(&Variables, &TVariablesModel::ValuesChanged);
    ASSERT_TRUE(
        Variables.setData(Variables.index(0, TVariablesModel::vcReal), "1.5", Qt::EditRole));
    ASSERT_TRUE(
        Variables.setData(Variables.index(1, TVariablesModel::vcImaginary), "2", Qt::EditRole));
    EXPECT_EQ(Changed.count(), 2);
    Compute({"y: 2*x + k*1j", "z: pi"});
    EXPECT_EQ(Cell(Results, 0, TResultsModel::rcValue), "1");
    EXPECT_EQ(Variables.data(Variables.index(1, TVariablesModel::vcImaginary), Qt::DisplayRole),
              "2");
}

TEST_F(ResultsTest, AValueThatIsNotANumberIsRefused) {
    Show({"y: x"});
    EXPECT_FALSE(
        Variables.setData(Variables.index(0, TVariablesModel::vcReal), "two", Qt::EditRole));
    EXPECT_FALSE(Variables.setData(Variables.index(0, TVariablesModel::vcName), "q", Qt::EditRole));
    EXPECT_EQ(Variables.Cell(0).Re, 0);
    EXPECT_EQ(Variables.Cell(0).Name, "x");
}

TEST_F(ResultsTest, NamesThatSomethingDefinesNeverBecomeVariables) {
    Show({"a: 2", "b: a*pi*e", "f(q): q", "c: f(1)"});
    EXPECT_EQ(Variables.Count(), 0);
}

TEST_F(ResultsTest, AnEquationWrittenLaterTakesOverFromTheVariable) {
    Show({"p: q*2"});
    ASSERT_EQ(Variables.Count(), 1);
    Variables.SetValue(0, {10, 0});
    Show({"q: 5", "p: q*2"});
    ASSERT_EQ(Results.rowCount(), 2);
    EXPECT_EQ(Cell(Results, 1, TResultsModel::rcValue), "10");
    EXPECT_FALSE(Variables.Used(0));
    Show({"p: q*3"});
    EXPECT_TRUE(Variables.Used(0));
    EXPECT_EQ(Cell(Results, 0, TResultsModel::rcValue), "30");
}

TEST_F(ResultsTest, VariablesSurviveAnotherAttachment) {
    Show({"y: x"});
    Variables.SetValue(0, {4, 0});
    zoZezo::TzoZezoEvaluator Other;
    Variables.Attach(Other);
    EXPECT_FALSE(Evaluator.OnAcceptLabel);
    Rebuild(Other, {"y: x+1"});
    Compute({"y: x+1"});
    EXPECT_EQ(Cell(Results, 0, TResultsModel::rcValue), "5");
    Variables.Detach();
}

} // namespace

namespace {

TEST(NameWarningsTest, OneTypoIsALetterMissingAddedReplacedOrSwapped) {
    const struct {
        const char* A;
        const char* B;
        bool Apart;
    } Cases[] = {
        {"yeras", "years", true},  {"yers", "years", true},   {"yearss", "years", true},
        {"yeags", "years", true},  {"YEARS", "years", false}, {"yaers", "years", true},
        {"sraey", "years", false}, {"x1", "x2", false},       {"rate1", "rate2", false},
        {"ab", "ac", false},       {"amp", "ampl", true},     {"rate", "ratio", false},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(workbench::OneTypoApart(Case.A, Case.B), Case.Apart) << Case.A << " " << Case.B;
}

TEST_F(ResultsTest, ANameOnDemandOneTypoFromADefinedNameIsQuestioned) {
    // pj beside pi is too short to tell; yera_s is two typos away.
    const auto Results = Compute({"years: 3", "cost: yeras*2 + Yeras + yera_s", "p: pj"});
    ASSERT_EQ(Results.Warnings.size(), 1u);
    EXPECT_EQ(Results.Warnings[0].Name, "yeras");
    EXPECT_EQ(Results.Warnings[0].Near, "years");
    EXPECT_EQ(Results.Warnings[0].Line, 2);
    EXPECT_EQ(workbench::NameOffsets("a: yeras*Yeras+yeras2", "yeras"), (QList<int>{3, 9}));
}

TEST(ResultsTextTest, RowsGoToSpreadsheetsAsTabsAndToFilesAsQuotedCsv) {
    TResultRow Value;
    Value.Line = 1;
    Value.Name = "z";
    Value.Value = {3, -0.5};
    Value.Text = "3-0.5j";
    TResultRow Failed;
    Failed.Kind = TResultRow::rkCompileError;
    Failed.Line = 2;
    Failed.Name = "b: \"x\",\ty";
    Failed.Text = "Error: Incomplete expression (position:2,6).";
    EXPECT_EQ(workbench::ResultsAsTabText({Value, Failed}),
              "Line\tEquation\tValue\tReal\tImaginary\n"
              "1\tz\t3-0.5j\t3\t-0.5\n"
              "2\tb: \"x\", y\tError: Incomplete expression (position:2,6).\t\t\n");
    EXPECT_EQ(workbench::ResultsAsCsv({Value, Failed}),
              "Line,Equation,Value,Real,Imaginary\n"
              "1,z,3-0.5j,3,-0.5\n"
              "2,\"b: \"\"x\"\",\ty\",\"Error: Incomplete expression (position:2,6).\",,\n");
}

} // namespace

namespace {

// The memo's evaluator never sees the lines below a faulty one: their names on demand come
// from the results, and are set like any other.
TEST_F(ResultsTest, ANameOnDemandBelowAFaultyLineIsAVariableToo) {
    Show({"a: 2+", "b: x*2"});
    ASSERT_EQ(Variables.Count(), 1);
    EXPECT_EQ(Variables.Cell(0).Name, "x");
    EXPECT_TRUE(Variables.Used(0));
    Variables.SetValue(0, {4, 0});
    Compute({"a: 2+", "b: x*2"});
    EXPECT_EQ(Cell(Results, 1, TResultsModel::rcValue), "8");
}

// Only the last job started is delivered, however the threads finish.
TEST(ResultsComputationTest, AJobStartedOverAnotherIsTheOneDelivered) {
    workbench::TResultsComputation Computation;
    std::vector<QString> Delivered;
    QObject::connect(&Computation, &workbench::TResultsComputation::Finished,
                     [&](const workbench::TLineResults& Results) {
                         Delivered.push_back(Results.Rows.at(0).Text);
                     });
    QStringList Long{"a0: 1"};
    for (int K = 1; K < 500; ++K)
        Long << QString("a%1: a%2+1").arg(K).arg(K - 1);
    Computation.Start({Long, {}, {}});
    Computation.Start({{"b: 2"}, {}, {}});
    QSignalSpy Finished(&Computation, &workbench::TResultsComputation::Finished);
    ASSERT_TRUE(Finished.wait(10000));
    QTest::qWait(50); // time for a late delivery of the first, which must not come
    EXPECT_EQ(Delivered, (std::vector<QString>{"2"}));
    EXPECT_FALSE(Computation.Running());
}

} // namespace
