#include "MainWindow.h"

#include "EquationChooser.h"
#include "PlotPanel.h"
#include "PlotView.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QSqlTableModel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
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
    EXPECT_EQ(Window->PlotPanel()->findChild<workbench::TEquationChooser*>()->count(), 3);

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
    ASSERT_TRUE(Updated.wait(1000)); // computed again, without a rebuild
    EXPECT_FALSE(Window->Memo()->RefreshPending());
    EXPECT_EQ(Value(*Window, "y"), "7");
    ASSERT_TRUE(Table->setData(Table->index(0, 2), "-0.5", Qt::EditRole));
    ASSERT_TRUE(Updated.wait(1000));
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
    EXPECT_FALSE(Window->statusBar()->currentMessage().isEmpty());
    Type(*Window, "0");
    EXPECT_TRUE(Window->statusBar()->currentMessage().isEmpty()); // about the text as it was
    ASSERT_TRUE(Pause(*Window));                                  // the text still computes
    EXPECT_EQ(Value(*Window, "mine"), "70");

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
    EXPECT_TRUE(Window->Memo()->DBEditor()->toPlainText().endsWith("\nmine: 70"));
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
        Window->resize(700, 500);
        Window->show();
        Window->close();
    }
    auto Again = OpenWindow(Path);
    EXPECT_EQ(Again->Evaluator().DecimalPoint, ',');
    EXPECT_EQ(Again->Evaluator().Separator, '|');
    EXPECT_EQ(Again->size(), QSize(700, 500));
}

} // namespace

namespace {

// Closes the dialog that an action opens, once it is up.
void CloseDialogSoon() {
    QTimer::singleShot(0, [] {
        if (QWidget* Dialog = QApplication::activeModalWidget()) Dialog->close();
    });
}

// Each line calls the line above: computing them all takes a while, which the window does not
// wait for, and typing abandons.
TEST_F(MainWindowTest, ALongComputationRunsBesideTheWindowAndTypingAbandonsIt) {
    auto Window = OpenWindow(Path);
    ASSERT_TRUE(Window->NewDocument()) << Warnings.join(";").toStdString();
    QStringList Lines{"a0: 1"};
    for (int K = 1; K < 2000; ++K)
        Lines << QString("a%1: a%2+1").arg(K).arg(K - 1);
    Window->Memo()->DBEditor()->setPlainText(Lines.join('\n'));
    QSignalSpy Updated(Window.get(), &TMainWindow::ResultsUpdated);
    Window->Memo()->Refresh();
    EXPECT_EQ(Updated.count(), 0); // the rebuild is over before the results exist
    EXPECT_TRUE(Window->Computation().Running());
    Type(*Window, "\nb: 2");
    EXPECT_FALSE(Window->Computation().Running());
    ASSERT_TRUE(Updated.wait(30000));
    EXPECT_EQ(Updated.count(), 1); // only the results of the text as it stands
    EXPECT_EQ(Value(*Window, "a1999"), "2000");
    EXPECT_EQ(Value(*Window, "b"), "2");
}

TEST_F(MainWindowTest, RenamingKeepsTheOpenDocumentWhenTheListTakesTheFocusBack) {
    auto Window = OpenWindow(Path);
    Window->show();
    ASSERT_TRUE(Window->SelectDocument(2));
    QListView* List = Window->Form().DocumentList;
    ASSERT_TRUE(Window->RenameDocument(2, "flight"));
    Window->Form().ResultsView->setFocus(); // where a dialog hands the focus back
    List->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Window->DataSource().CurrentRow(), 2);
    EXPECT_EQ(List->currentIndex().row(), 2);
}

TEST_F(MainWindowTest, ARefusedSwitchLeavesTheListOnTheDocumentShown) {
    OpenWindow(Path);
    ASSERT_TRUE(QFile::setPermissions(Path, QFile::ReadOwner | QFile::ReadUser));
    auto Window = OpenWindow(Path);
    Window->show();
    Type(*Window, "\nmine: 7");
    QListView* List = Window->Form().DocumentList;
    const QRect Other = List->visualRect(Window->Store()->Model()->index(1, 1));
    QTest::mouseClick(List->viewport(), Qt::LeftButton, {}, Other.center());
    QApplication::processEvents();
    EXPECT_EQ(Window->DataSource().CurrentRow(), 0);
    EXPECT_EQ(List->currentIndex().row(), 0);
    const QModelIndexList Selected = List->selectionModel()->selectedIndexes();
    ASSERT_EQ(Selected.size(), 1);
    EXPECT_EQ(Selected[0].row(), 0);
    Window->SetUnsavedPrompt([](const QString&) { return TMainWindow::TUnsavedChoice::ucDiscard; });
    Window.reset();
    QFile::setPermissions(Path, QFile::ReadOwner | QFile::WriteOwner);
}

// F2 and Delete belong to the list: elsewhere they are the keys of the cell or of the text.
TEST_F(MainWindowTest, F2AndDeleteActOnDocumentsOnlyInTheList) {
    auto Window = OpenWindow(Path);
    ASSERT_TRUE(Window->NewDocument()) << Warnings.join(";").toStdString();
    Window->show();
    QApplication::setActiveWindow(Window.get());
    Type(*Window, "y: x");
    ASSERT_TRUE(Pause(*Window));
    Ui::TMainWindow& Form = Window->Form();
    QSignalSpy Renames(Form.RenameAction, &QAction::triggered);
    QSignalSpy Deletes(Form.DeleteAction, &QAction::triggered);
    QTableView* Cells = Form.VariablesView;
    Cells->setFocus();
    Cells->setCurrentIndex(Cells->model()->index(0, workbench::TVariablesModel::vcReal));
    CloseDialogSoon(); // should F2 open one
    QTest::keyClick(Cells, Qt::Key_F2);
    EXPECT_TRUE(qobject_cast<QLineEdit*>(QApplication::focusWidget())); // the cell's editor
    EXPECT_EQ(Renames.count(), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);

    Form.DocumentList->setFocus();
    CloseDialogSoon();
    QTest::keyClick(Form.DocumentList, Qt::Key_F2);
    QApplication::setActiveWindow(Window.get()); // the dialog took it
    Form.DocumentList->setFocus();
    CloseDialogSoon();
    QTest::keyClick(Form.DocumentList, Qt::Key_Delete);
    EXPECT_EQ(Renames.count(), 1);
    EXPECT_EQ(Deletes.count(), 1);
}

TEST_F(MainWindowTest, TabLeavesTheEditorWithoutTouchingTheText) {
    auto Window = OpenWindow(Path);
    ASSERT_TRUE(Window->NewDocument()) << Warnings.join(";").toStdString();
    Window->show();
    QApplication::setActiveWindow(Window.get());
    Type(*Window, "a: 1");
    QPlainTextEdit* Editor = Window->Memo()->DBEditor();
    QTest::keyClick(Editor, Qt::Key_Tab);
    EXPECT_EQ(Editor->toPlainText(), "a: 1");
    EXPECT_FALSE(Editor->hasFocus());
}

TEST_F(MainWindowTest, DoubleClickingAnErrorPutsTheCaretOnIt) {
    auto Window = OpenWindow(Path);
    ASSERT_TRUE(Window->NewDocument()) << Warnings.join(";").toStdString();
    Window->show();
    Type(*Window, "a: 1\nb: (a+");
    ASSERT_TRUE(Pause(*Window));
    QTableView* Table = Window->Form().ResultsView;
    const QRect Row = Table->visualRect(Table->model()->index(1, TResultsModel::rcValue));
    QTest::mouseDClick(Table->viewport(), Qt::LeftButton, {}, Row.center());
    const QTextCursor Caret = Window->Memo()->DBEditor()->textCursor();
    EXPECT_EQ(Caret.blockNumber(), 1);
    EXPECT_EQ(Caret.positionInBlock(), 6); // where the expression ends too early
}

TEST_F(MainWindowTest, ALongFaultyLineLeavesItsMessageInSight) {
    auto Window = OpenWindow(Path);
    ASSERT_TRUE(Window->NewDocument()) << Warnings.join(";").toStdString();
    Window->show();
    Type(*Window, "b: 1 + " + QString("2 + ").repeated(80) + "(");
    ASSERT_TRUE(Pause(*Window));
    QTableView* Table = Window->Form().ResultsView;
    EXPECT_LE(Table->columnViewportPosition(TResultsModel::rcValue),
              Table->viewport()->width() / 2);
}

TEST_F(MainWindowTest, TheWindowOpensWithinTheScreen) {
    auto Window = OpenWindow(Path);
    Window->show();
    const QRect Screen = Window->screen()->availableGeometry();
    EXPECT_TRUE(Screen.contains(Window->geometry())) << Window->width() << "x" << Window->height();
}

TEST_F(MainWindowTest, ExportedDocumentsGetTheirExtensionAndComeBackAsTheyWere) {
    auto Window = OpenWindow(Path);
    ASSERT_TRUE(Window->NewDocument()) << Warnings.join(";").toStdString();
    Window->Memo()->DBEditor()->insertPlainText("a: 1\n{ \u00e9t\u00e9 }");
    const QString Chosen = Folder.filePath("mine");
    Window->SetFileChooser([&](TMainWindow::TFileRole Role) {
        return QStringList{Role == TMainWindow::TFileRole::frImport ? Chosen + ".zez" : Chosen};
    });
    Window->Form().ExportAction->trigger();
    EXPECT_EQ(ReadAll(Chosen + ".zez"), "a: 1\n{ \xc3\xa9t\xc3\xa9 }\n");
    Window->Form().ImportAction->trigger();
    const int Row = Window->DataSource().CurrentRow();
    EXPECT_EQ(Window->Store()->Name(Row), "mine");
    EXPECT_EQ(Window->Memo()->DBEditor()->toPlainText(), "a: 1\n{ \u00e9t\u00e9 }");
    EXPECT_TRUE(Warnings.isEmpty()) << Warnings.join('\n').toStdString();
}

TEST_F(MainWindowTest, CopyInTheResultsGivesRowsASpreadsheetPastes) {
    auto Window = OpenWindow(Path);
    ASSERT_TRUE(Window->NewDocument()) << Warnings.join(";").toStdString();
    Window->show();
    Type(*Window, "a: 3+4j\nb: Round(1j)\nc: 0.5");
    ASSERT_TRUE(Pause(*Window));
    QTableView* Table = Window->Form().ResultsView;
    Table->setFocus();
    Table->selectRow(0);
    Table->selectionModel()->select(Table->model()->index(1, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    Window->Form().CopyAction->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "Line\tEquation\tValue\tReal\tImaginary\n"
                                                 "1\ta\t3+4j\t3\t4\n"
                                                 "2\tb\tNumber must be real\t\t\n");
}

} // namespace

namespace {

TEST_F(MainWindowTest, ChangingASyntaxCharacterOffersToConvertTheDocumentsWrittenWithIt) {
    auto Window = OpenWindow(Path);
    QStringList Asked;
    auto Answer = TMainWindow::TSyntaxChoice::scCancel;
    Window->SetSyntaxPrompt([&](const QStringList& Documents) {
        Asked = Documents;
        return Answer;
    });
    workbench::TSyntaxCharacters Comma;
    Comma.DecimalPoint = ',';
    EXPECT_FALSE(Window->ChangeSyntax(Comma));
    EXPECT_EQ(Asked, (QStringList{"circuit", "projectile"})); // complex has no decimal point
    EXPECT_EQ(Window->Evaluator().DecimalPoint, '.');         // nothing changed

    Answer = TMainWindow::TSyntaxChoice::scConvert;
    EXPECT_TRUE(Window->ChangeSyntax(Comma));
    EXPECT_EQ(Window->Evaluator().DecimalPoint, ',');
    EXPECT_TRUE(Window->Store()->Body(2).contains("g: 9,81"));
    QPlainTextEdit* Editor = Window->Memo()->DBEditor();
    EXPECT_TRUE(Editor->toPlainText().contains("L: 0,05"));
    ASSERT_TRUE(Pause(*Window));
    EXPECT_EQ(Window->Results().FaultyRow(), -1);
    Editor->undo(); // the conversion of the open document is one edit
    EXPECT_TRUE(Editor->toPlainText().contains("L: 0.05"));
}

} // namespace

namespace {

TEST_F(MainWindowTest, ImportingTakesEveryReadableFileAndSaysWhichWasNot) {
    const QString Text = Folder.filePath("loan.zez");
    const QString Binary = Folder.filePath("image.zez");
    for (const auto& [Path, Bytes] : {std::pair{Text, QByteArray("rate: 0.05\n")},
                                      std::pair{Binary, QByteArray("\x89PNG\0", 5)}}) {
        QFile File(Path);
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write(Bytes);
    }
    auto Window = OpenWindow(Path);
    EXPECT_FALSE(Window->ImportFiles({Text, Binary}));
    ASSERT_EQ(Warnings.size(), 1);
    EXPECT_TRUE(Warnings[0].contains("image.zez")) << Warnings[0].toStdString();
    EXPECT_EQ(Window->Store()->Name(Window->DataSource().CurrentRow()), "loan");
    EXPECT_EQ(Window->Memo()->DBEditor()->toPlainText(), "rate: 0.05");
    EXPECT_TRUE(Window->ImportFiles({Text}));
    EXPECT_EQ(Window->Store()->Name(Window->DataSource().CurrentRow()), "loan 2");
}

TEST_F(MainWindowTest, AWindowLeftLargerThanTheScreenComesBackWithinIt) {
    {
        auto Window = OpenWindow(Path);
        Window->show();
        Window->resize(3000, 2000); // as on a larger screen
        Window->close();
    }
    auto Again = OpenWindow(Path);
    Again->show();
    EXPECT_TRUE(Again->screen()->availableGeometry().contains(Again->geometry()));
}

} // namespace
