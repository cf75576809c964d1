#pragma once

#include "ConflictPanel.h"
#include "DocumentInputs.h"
#include "DocumentStore.h"
#include "ResultsComputation.h"
#include "ResultsModel.h"
#include "StoreOpening.h"
#include "StoreSync.h"
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
class TPlotPanel;

// The workbench window: the documents of one store (an SQLite file or a PostgreSQL database)
// beside the data-aware equation memo bound to the current one, the results of every line, the
// variables that the equations ask for, and the plot panel; each document keeps its variables'
// values and plot settings in the store. The form comes from MainWindow.ui, with the package's
// evaluator and memo on it.
//
// The window never waits for a computation: after each rebuild of the memo, and after each
// change of a variable, the results are computed on a thread of their own (see
// TResultsComputation), with their progress in the status bar after a moment; typing abandons
// a computation that has not finished.
//
// No typed text is lost: the memo writes edits when the document changes, when it loses the
// focus, on Save and before the window closes; a write that fails (a read-only file, a locked
// database, a server gone away) keeps the text and asks the user, on closing, whether to export
// it to a file, drop it, or stay. A store shared with others is kept in step by TStoreSync: a
// save over someone else's newer version is a conflict that the user resolves beside the
// editor.
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

    // Opens a document store (a file or a connection URL), writing the current document's
    // edits first and asking for a password or consent as the store needs. On failure the
    // user is told why and the store open before stays open. Then the last document this user
    // had open in it (or the first one) becomes current.
    bool OpenDatabase(const QString& Location, const TDocumentStore::TOpenOptions& Options = {});
    // The store of the window closed last, as remembered in the settings; empty for none.
    static QString LastDatabase();
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

    // Puts the syntax characters to use (and keeps them for the next start), as they are.
    void ApplySyntax(const TSyntaxCharacters& Syntax);
    // The same, asking first, when documents are written with characters that change,
    // whether to convert them (see ConvertSyntax), to leave them, or to change nothing.
    // False when the user cancelled or a document could not be converted.
    bool ChangeSyntax(const TSyntaxCharacters& Syntax);

    // Replace the dialogs, for programs that drive the window (tests, the screenshot).
    void SetUnsavedPrompt(TUnsavedPrompt Prompt) { FUnsavedPrompt = std::move(Prompt); }
    void SetWarning(TWarning Warning) { FWarning = std::move(Warning); }
    void SetStorePrompts(TStorePrompts Prompts) { FStorePrompts = std::move(Prompts); }
    void SetFileChooser(TFileChooser Chooser) { FFileChooser = std::move(Chooser); }
    void SetSyntaxPrompt(TSyntaxPrompt Prompt) { FSyntaxPrompt = std::move(Prompt); }

    TDocumentStore* Store() const { return FStore.get(); }
    zoZezo::TDataSource& DataSource() { return FDataSource; }
    zoZezo::TovDBEquationMemo* Memo() const;
    zoZezo::TzoZezoEvaluator& Evaluator() const;
    TResultsModel& Results() { return FResults; }
    TResultsComputation& Computation() { return FComputation; }
    TVariablesModel& Variables() { return FVariables; }
    TPlotPanel* PlotPanel() const;
    TConflictPanel& ConflictPanel() const { return *FConflictPanel; }
    TStoreSync& Sync() { return *FSync; }
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
    void ShowPlotNames();
    void CurrentRowChanged(int Row);
    void ShowCurrentInList();
    void DocumentShown();
    qint64 CurrentId() const;
    void ListSelectionChanged();
    void UpdateTitle();
    void UpdateActions();
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
    void AskConnect();
    void AskNewStore();
    void StatusMessage(const QString& Text);
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
    // Made once the form exists: they work on its memo.
    TConflictPanel* FConflictPanel; // beside the memo, owned by the form
    std::unique_ptr<TStoreSync> FSync;
    std::unique_ptr<TDocumentInputs> FInputs;
    qint64 FShownId = -1; // the document whose text, results and inputs the window shows
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
    TStorePrompts FStorePrompts;
    TFileChooser FFileChooser;
    TSyntaxPrompt FSyntaxPrompt;
    bool FDefaultSizesPending = false;
};

} // namespace workbench
