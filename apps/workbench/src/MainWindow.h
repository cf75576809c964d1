#pragma once

#include "DocumentStore.h"
#include "ResultsComputation.h"
#include "ResultsModel.h"
#include "Sweep.h"
#include "SyntaxCharacters.h"
#include "VariablesModel.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>
#include <zoZezo/DataSource.h>

namespace Ui {
class TMainWindow;
}

namespace zoZezo {
class TovDBEquationMemo;
}

class QLabel;
class QProgressBar;

namespace workbench {

class TEditorAids;
class TPlotView;

// The workbench window: the documents of one SQLite file beside the data-aware equation memo
// bound to the current one, the results of every line, the variables that the equations ask
// for, and a plot of one equation swept over one variable. The form comes from MainWindow.ui,
// with the package's evaluator and memo on it.
//
// The window never waits for a computation: after each rebuild of the memo, and after each
// change of a variable, the results are computed on a thread of their own (see
// TResultsComputation), with their progress in the status bar after a moment; typing abandons
// a computation that has not finished.
//
// No typed text is lost: the memo writes edits when the document changes, when it loses the
// focus, on Save and before the window closes; a write that fails (a read-only file, a locked
// database) keeps the text and asks the user, on closing, whether to export it to a file, drop
// it, or stay.
class TMainWindow : public QMainWindow {
    Q_OBJECT

public:
    // What to do with edits that could not be written when the window closes.
    enum class TUnsavedChoice { ucExport, ucDiscard, ucStay };
    using TUnsavedPrompt = std::function<TUnsavedChoice(const QString& Reason)>;
    using TWarning = std::function<void(const QString& Text)>;
    // Asks for file names: one to save a document or the results to, or several to import
    // (empty when the user cancels).
    enum class TFileRole { frExport, frImport, frResults };
    using TFileChooser = std::function<QStringList(TFileRole Role)>;
    // What to do with the documents written with syntax characters that change.
    enum class TSyntaxChoice { scConvert, scKeep, scCancel };
    using TSyntaxPrompt = std::function<TSyntaxChoice(const QStringList& Documents)>;

    explicit TMainWindow(QWidget* Parent = nullptr);
    ~TMainWindow() override;

    // Opens a document database, writing the current document's edits first. On failure the
    // user is told why and the database open before stays open. Then the last document used
    // in it (or the first one) becomes current.
    bool OpenDatabase(const QString& Path);
    // The per-user database: documents.sqlite in the application's data folder.
    static QString DefaultDatabasePath();

    // Makes the document at Row current; false (and the current one stays) when its edits
    // cannot be written.
    bool SelectDocument(int Row);
    bool NewDocument();
    bool RenameDocument(int Row, const QString& Name);
    bool DeleteDocument(int Row);
    // Writes the current document's edits; tells the user when that fails.
    bool Save();
    // Each file becomes a new document named after it; the last one opens. False when a file
    // could not be read or stored (the user is told which and why); the others are imported.
    bool ImportFiles(const QStringList& Paths);
    // Writes the current document's text to Path, ".zez" added when it has no extension.
    bool ExportDocument(const QString& Path);

    // Plots the equation over the variable with the range in the plot controls.
    bool Plot();

    // Puts the syntax characters to use (and keeps them for the next start), as they are.
    void ApplySyntax(const TSyntaxCharacters& Syntax);
    // The same, asking first, when documents are written with characters that change,
    // whether to convert them (see ConvertSyntax), to leave them, or to change nothing.
    // False when the user cancelled or a document could not be converted.
    bool ChangeSyntax(const TSyntaxCharacters& Syntax);

    // Replace the dialogs, for programs that drive the window (tests, the screenshot).
    void SetUnsavedPrompt(TUnsavedPrompt Prompt) { FUnsavedPrompt = std::move(Prompt); }
    void SetWarning(TWarning Warning) { FWarning = std::move(Warning); }
    void SetFileChooser(TFileChooser Chooser) { FFileChooser = std::move(Chooser); }
    void SetSyntaxPrompt(TSyntaxPrompt Prompt) { FSyntaxPrompt = std::move(Prompt); }

    TDocumentStore* Store() const { return FStore.get(); }
    zoZezo::TDataSource& DataSource() { return FDataSource; }
    zoZezo::TovDBEquationMemo* Memo() const;
    zoZezo::TzoZezoEvaluator& Evaluator() const;
    TResultsModel& Results() { return FResults; }
    TResultsComputation& Computation() { return FComputation; }
    TVariablesModel& Variables() { return FVariables; }
    TSweep& Sweep() { return FSweep; }
    TPlotView* PlotView() const;
    Ui::TMainWindow& Form() const { return *FUi; }

signals:
    // The results table was computed again.
    void ResultsUpdated();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    void ConnectActions();
    void ConnectPlot();
    void Evaluated();
    void Recompute();
    void ResultsComputed(const TLineResults& Results);
    void ShowResults(const TLineResults& Results);
    void ShowProgress();
    void UpdateState();
    void FitColumns();
    void FillEquationBox();
    void FillVariableBox();
    void CurrentRowChanged(int Row);
    void ShowCurrentInList();
    void ListSelectionChanged();
    void UpdateTitle();
    void UpdateActions();
    void SweepProgress(int Done, int Total);
    void SweepFinished(bool Cancelled);
    bool MayClose();
    bool ExportEdits();
    QStringList ChooseFiles(TFileRole Role);
    void AskImport();
    void AskExportResults();
    void Copy();
    void CopyResults();
    void Warn(const QString& Text);
    void AskRename();
    void AskDelete();
    void AskOpen();
    void EditSettings();
    TSyntaxChoice AskSyntaxChoice(const QStringList& Documents);
    void ReplaceText(const QString& Text);
    void RestoreLayout();
    void FitToScreen();
    void ApplyDefaultSizes();
    void ShowPlot(bool Shown);
    void ShowPlotState();
    void SaveLayout() const;

    std::unique_ptr<Ui::TMainWindow> FUi;
    std::unique_ptr<TDocumentStore> FStore;
    zoZezo::TDataSource FDataSource;
    TVariablesModel FVariables;
    TResultsModel FResults;
    TSweep FSweep;
    TResultsComputation FComputation;
    QElapsedTimer FComputing; // since the computation that runs began
    QTimer FProgressTimer;    // shows its progress while it runs
    QLabel* FProgressLabel;   // in the status bar: what is being computed
    QProgressBar* FProgressBar;
    QLabel* FStateLabel; // in the status bar: what is wrong with the document now
    TEditorAids* FAids;
    std::vector<TNameWarning> FNameWarnings; // of the last results
    TUnsavedPrompt FUnsavedPrompt;
    TWarning FWarning;
    TFileChooser FFileChooser;
    TSyntaxPrompt FSyntaxPrompt;
    bool FDefaultSizesPending = false;
};

} // namespace workbench
