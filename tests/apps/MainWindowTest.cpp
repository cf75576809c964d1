#include "MainWindow.h"

#include "PlotPanel.h"
#include "PlotView.h"
#include "ui_MainWindow.h"

#include <QFile>
#include <QImage>
#include <QSettings>
#include <QSignalSpy>
#include <QSqlTableModel>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <zoZezo/DBEquationMemo.h>

using workbench::TAxisScale;
using workbench::TMainWindow;
using workbench::TPlotPanel;
using workbench::TPlotSettings;
using workbench::TPlotView;
using workbench::TResultsModel;

namespace {

QByteArray ReadAll(const QString& Path) {
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

// A window on a database in a folder of its own, its warnings collected instead of shown.
class MainWindowTest : public ::testing::Test {
protected:
    QTemporaryDir Folder;
    QString Path = Folder.filePath("documents.sqlite");
    QStringList Warnings;

    void SetUp() override { QSettings().clear(); }

    std::unique_ptr<TMainWindow> OpenWindow(const QString& Database) {
        auto Window = std::make_unique<TMainWindow>();
        Window->SetWarning([this](const QString& Text) { Warnings << Text; });
        Window->Memo()->SetRefreshDelay(20);
        Window->OpenDatabase(Database);
        return Window;
    }

    // Types Text at the end of the document, Return for each line break.
    static void Type(TMainWindow& Window, const QString& Text) {
        QPlainTextEdit* Editor = Window.Memo()->DBEditor();
        Editor->moveCursor(QTextCursor::End);
        const QStringList Lines = Text.split('\n');
        for (qsizetype K = 0; K < Lines.size(); ++K) {
            if (K > 0) QTest::keyClick(Editor, Qt::Key_Return);
            QTest::keyClicks(Editor, Lines[K]);
        }
    }

    // Waits for the rebuild after the pause and the results it brings.
    static bool Pause(TMainWindow& Window) {
        QSignalSpy Updated(&Window, &TMainWindow::ResultsUpdated);
        return Updated.wait(3000);
    }

    static QString Value(TMainWindow& Window, const QString& Name) {
        for (const auto& Row : Window.Results().Rows())
            if (Row.Name == Name) return Row.Text;
        return "(no row " + Name + ")";
    }
};

TEST_F(MainWindowTest, TypedEquationsShowTheirValuesAfterThePause) {
    auto Window = OpenWindow(Path);
    EXPECT_EQ(Window->Memo()->zoZezoEvaluator(), &Window->Evaluator()); // named in the form
    ASSERT_TRUE(Window->NewDocument()) << Warnings.join(";").toStdString();
    EXPECT_EQ(Window->Store()->Name(Window->DataSource().CurrentRow()), "Untitled");
    Type(*Window, "a: 2\nb: a*3j\n{ note }\nc: 1/3");
    ASSERT_TRUE(Pause(*Window));
    ASSERT_EQ(Window->Results().rowCount(), 3);
    EXPECT_EQ(Value(*Window, "b"), "0+6j");
    EXPECT_EQ(Value(*Window, "c"), "0.333333333333333");

    Type(*Window, "\nd: Round(b)\ne: 2+");
    ASSERT_TRUE(Pause(*Window));
    EXPECT_EQ(Value(*Window, "d"), "Number must be real");
    const int Faulty = Window->Results().FaultyRow();
    ASSERT_GE(Faulty, 0);
    EXPECT_EQ(Window->Results().Rows()[static_cast<std::size_t>(Faulty)].Text,
              "Error: Incomplete expression (position:6,6).");
    EXPECT_TRUE(Warnings.isEmpty()) << Warnings.join('\n').toStdString();
}

TEST_F(MainWindowTest, AVariableOnDemandTakesTheValueTheUserSets) {
    auto Window = OpenWindow(Path);
    ASSERT_TRUE(Window->NewDocument()) << Warnings.join(";").toStdString();
    Type(*Window, "y: 2*x + 1");
    ASSERT_TRUE(Pause(*Window));
    ASSERT_EQ(Window->Variables().Count(), 1);
    EXPECT_EQ(Window->Variables().Cell(0).Name, "x");
    EXPECT_EQ(Value(*Window, "y"), "1");

    QAbstractItemModel* Table = Window->Form().VariablesView->model();
    QSignalSpy Updated(Window.get(), &TMainWindow::ResultsUpdated);
    ASSERT_TRUE(Table->setData(Table->index(0, 1), "3", Qt::EditRole));
    EXPECT_EQ(Updated.count(), 1); // computed again at once, without a rebuild
    EXPECT_EQ(Value(*Window, "y"), "7");
    ASSERT_TRUE(Table->setData(Table->index(0, 2), "-0.5", Qt::EditRole));
    EXPECT_EQ(Value(*Window, "y"), "7-1j");
}

// Plots the equations over x with the range given as typed, and waits for the sweep.
bool PlotOverX(TMainWindow& Window, QStringList Equations, QString From, QString To, QString Step) {
    TPlotSettings Settings;
    Settings.Equations = std::move(Equations);
    Settings.Variable = "x";
    Settings.From = std::move(From);
    Settings.To = std::move(To);
    Settings.Step = std::move(Step);
    TPlotPanel& Panel = *Window.PlotPanel();
    Panel.SetSettings(Settings);
    QSignalSpy Finished(&Panel.Sweep(), &workbench::TSweep::Finished);
    return Panel.Plot() && Finished.wait(5000);
}

TEST_F(MainWindowTest, APlotHasGapsWhereComputingFailed) {
    auto Window = OpenWindow(Path);
    ASSERT_TRUE(Window->NewDocument()) << Warnings.join(";").toStdString();
    Type(*Window, "y: Round(Sqrt(x*x - 1))");
    ASSERT_TRUE(Pause(*Window));
    ASSERT_TRUE(PlotOverX(*Window, {"y"}, "-2", "2", "0.5"))
        << Window->PlotPanel()->Message().toStdString();
    // Between -1 and 1 the root is imaginary and Round refuses it.
    const TPlotView& View = *Window->PlotPanel()->View();
    ASSERT_EQ(View.Curves().size(), 1u);
    const auto Runs = workbench::AxisRuns(View.Curves()[0], TAxisScale::Linear, TAxisScale::Linear);
    ASSERT_EQ(Runs.size(), 2);
    EXPECT_EQ(Runs[0], (QList<QPointF>{{-2, 2}, {-1.5, 1}, {-1, 0}}));
    EXPECT_EQ(Runs[1], (QList<QPointF>{{1, 0}, {1.5, 1}, {2, 2}}));
    EXPECT_TRUE(Window->PlotPanel()->Message().contains("3 of 9 points"))
        << Window->PlotPanel()->Message().toStdString();
}

TEST_F(MainWindowTest, TheRangeTakesTinyAndHugeNumbersAndSaysWhatItCannotRead) {
    auto Window = OpenWindow(Path);
    ASSERT_TRUE(Window->NewDocument()) << Warnings.join(";").toStdString();
    Type(*Window, "y: x");
    ASSERT_TRUE(Pause(*Window));
    ASSERT_TRUE(PlotOverX(*Window, {"y"}, "0", "0.0001", "0.00001"));
    EXPECT_EQ(Window->PlotPanel()->View()->Sweep().Count(), 11u);
    ASSERT_TRUE(PlotOverX(*Window, {"y"}, "1e9", "5e9", "1e9"));
    EXPECT_EQ(Window->PlotPanel()->View()->Sweep().X.back(), 5e9L);
    EXPECT_FALSE(PlotOverX(*Window, {"y"}, "0", "1", "0"));
    EXPECT_EQ(Window->PlotPanel()->Message(), "the step must not be 0");
    EXPECT_FALSE(PlotOverX(*Window, {"y"}, "0", "1e", "1"));
    EXPECT_EQ(Window->PlotPanel()->Message(), "to: '1e' is not a number");
}

TEST_F(MainWindowTest, SweepsAndPlotsAreSavedAsCsvPngAndSvg) {
    auto Window = OpenWindow(Path);
    ASSERT_TRUE(Window->NewDocument()) << Warnings.join(";").toStdString();
    Type(*Window, "y: 1/(x-1)\nz: Sqrt(x)");
    ASSERT_TRUE(Pause(*Window));
    ASSERT_TRUE(PlotOverX(*Window, {"y", "z"}, "-2", "3", "0.1"));
    TPlotPanel& Panel = *Window->PlotPanel();
    Panel.resize(500, 400);
    // The y axis stays readable beside the pole.
    EXPECT_LT(Panel.View()->VisibleY().High, 100);
    ASSERT_TRUE(Panel.SaveCsv(Folder.filePath("sweep.csv")));
    const QList<QByteArray> Rows = ReadAll(Folder.filePath("sweep.csv")).split('\n');
    EXPECT_EQ(Rows[0], "x,y,Re(z),Im(z)\r");
    EXPECT_EQ(Rows.size(), 52 + 1);
    ASSERT_TRUE(Panel.SavePicture(Folder.filePath("plot.png")));
    EXPECT_EQ(QImage(Folder.filePath("plot.png")).size(), Panel.View()->size() * 2);
    ASSERT_TRUE(Panel.SavePicture(Folder.filePath("plot.svg")));
    EXPECT_TRUE(ReadAll(Folder.filePath("plot.svg")).contains("<svg"));
    EXPECT_FALSE(Panel.SavePicture(Folder.filePath("no/such/folder/plot.svg")));
    EXPECT_FALSE(Panel.SaveCsv(Folder.filePath("no/such/folder/sweep.csv")));
    EXPECT_TRUE(Panel.Message().startsWith("Cannot write")) << Panel.Message().toStdString();
}

TEST_F(MainWindowTest, TextTypedJustBeforeQuittingIsThereAfterARestart) {
    {
        auto Window = OpenWindow(Path);
        Window->show();
        ASSERT_TRUE(Window->NewDocument()) << Warnings.join(";").toStdString();
        Type(*Window, "late: 42 { typed, no pause }");
        EXPECT_TRUE(Window->close());
    }
    auto Again = OpenWindow(Path);
    const int Row = Again->DataSource().CurrentRow();
    EXPECT_EQ(Again->Store()->Name(Row), "Untitled"); // the last document comes back
    EXPECT_EQ(Again->Store()->Body(Row), "late: 42 { typed, no pause }");
    EXPECT_EQ(Again->Memo()->DBEditor()->toPlainText(), "late: 42 { typed, no pause }");
}

TEST_F(MainWindowTest, EditsAreWrittenBeforeAnotherDocumentOpens) {
    auto Window = OpenWindow(Path);
    ASSERT_TRUE(Window->SelectDocument(1));
    Type(*Window, "\nextra: 1");
    Window->Form().DocumentList->setCurrentIndex(Window->Store()->Model()->index(2, 1));
    EXPECT_EQ(Window->DataSource().CurrentRow(), 2);
    EXPECT_TRUE(Window->Store()->Body(1).endsWith("\nextra: 1"));
}

TEST_F(MainWindowTest, RenameAndDeleteKeepTheCurrentDocument) {
    auto Window = OpenWindow(Path);
    ASSERT_TRUE(Window->SelectDocument(2));
    ASSERT_TRUE(Window->RenameDocument(2, "flight"));
    EXPECT_EQ(Window->DataSource().CurrentRow(), 2);
    EXPECT_TRUE(Window->windowTitle().startsWith("flight"));
    ASSERT_TRUE(Window->DeleteDocument(0));
    EXPECT_EQ(Window->Store()->Count(), 2);
    EXPECT_TRUE(Window->Memo()->DBEditor()->toPlainText().startsWith("{ Complex numbers"));
}

TEST_F(MainWindowTest, AFileThatIsNotADatabaseIsRefusedAndTheOpenOneStays) {
    const QString Other = Folder.filePath("notes.txt");
    const QByteArray Content = "y: 2*x\nnot a database\n";
    {
        QFile File(Other);
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write(Content);
    }
    auto Window = OpenWindow(Path);
    Type(*Window, "\nkept: 1");
    EXPECT_FALSE(Window->OpenDatabase(Other));
    ASSERT_EQ(Warnings.size(), 1);
    EXPECT_TRUE(Warnings[0].contains("is not a document database")) << Warnings[0].toStdString();
    EXPECT_EQ(ReadAll(Other), Content);
    EXPECT_EQ(Window->Store()->Path(), Path);
    EXPECT_TRUE(Window->Store()->Body(0).endsWith("\nkept: 1")); // written before trying

    auto Fresh = OpenWindow(Other);
    EXPECT_EQ(Fresh->Store(), nullptr);
    EXPECT_FALSE(Fresh->Form().NewAction->isEnabled());
}

TEST_F(MainWindowTest, AReadOnlyDatabaseKeepsTheTextAndAsksBeforeClosing) {
    OpenWindow(Path); // creates the database
    ASSERT_TRUE(QFile::setPermissions(Path, QFile::ReadOwner | QFile::ReadUser));
    const QByteArray Before = ReadAll(Path);
    Warnings.clear();
    auto Window = OpenWindow(Path);
    ASSERT_NE(Window->Store(), nullptr);
    ASSERT_EQ(Warnings.size(), 1);
    EXPECT_TRUE(Warnings[0].contains("read-only"));
    Window->show();
    Type(*Window, "\nmine: 7");
    EXPECT_FALSE(Window->Save());
    EXPECT_EQ(Warnings.size(), 2);
    ASSERT_TRUE(Pause(*Window)); // the text still computes
    EXPECT_EQ(Value(*Window, "mine"), "7");

    QStringList Reasons;
    TMainWindow::TUnsavedChoice Answer = TMainWindow::TUnsavedChoice::ucStay;
    Window->SetUnsavedPrompt([&](const QString& Reason) {
        Reasons << Reason;
        return Answer;
    });
    EXPECT_FALSE(Window->close());
    ASSERT_EQ(Reasons.size(), 1);
    EXPECT_TRUE(Reasons[0].contains("readonly")) << Reasons[0].toStdString();
    EXPECT_TRUE(Window->isVisible());
    EXPECT_TRUE(Window->Memo()->DBEditor()->toPlainText().endsWith("\nmine: 7"));
    EXPECT_FALSE(Window->SelectDocument(1)); // moving away would lose the text
    EXPECT_EQ(Window->DataSource().CurrentRow(), 0);

    Answer = TMainWindow::TUnsavedChoice::ucDiscard;
    EXPECT_TRUE(Window->close());
    Window.reset();
    EXPECT_EQ(ReadAll(Path), Before);
    QFile::setPermissions(Path, QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(MainWindowTest, SyntaxCharactersAndTheLayoutAreRemembered) {
    {
        auto Window = OpenWindow(Path);
        workbench::TSyntaxCharacters Syntax;
        Syntax.DecimalPoint = ',';
        Syntax.Separator = '|';
        Window->ApplySyntax(Syntax);
        ASSERT_TRUE(Window->NewDocument()) << Warnings.join(";").toStdString();
        Type(*Window, "y: If(1|2,5|0)");
        ASSERT_TRUE(Pause(*Window));
        EXPECT_EQ(Value(*Window, "y"), "2.5");
        Window->resize(900, 600);
        Window->show();
        Window->close();
    }
    auto Again = OpenWindow(Path);
    EXPECT_EQ(Again->Evaluator().DecimalPoint, ',');
    EXPECT_EQ(Again->Evaluator().Separator, '|');
    EXPECT_EQ(Again->size(), QSize(900, 600));
}

} // namespace
