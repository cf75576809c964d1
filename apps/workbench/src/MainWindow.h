#pragma once

#include "DocumentStore.h"
#include "ResultsModel.h"
#include "SyntaxCharacters.h"
#include "VariablesModel.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <zoZezo/DataSource.h>

namespace Ui {
class TMainWindow;
}

namespace zoZezo {
class TovDBEquationMemo;
}

namespace workbench {

class TPlotPanel;

// The workbench window: the documents of one SQLite file beside the data-aware equation memo
// bound to the current one, the results of every rebuild, the variables that the equations
// ask for, and the plot panel. The form comes from
// MainWindow.ui, with the package's evaluator and memo on it.
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

    void ApplySyntax(const TSyntaxCharacters& Syntax);

    // Replace the dialogs, for programs that drive the window (tests, the screenshot).
    void SetUnsavedPrompt(TUnsavedPrompt Prompt) { FUnsavedPrompt = std::move(Prompt); }
    void SetWarning(TWarning Warning) { FWarning = std::move(Warning); }

    TDocumentStore* Store() const { return FStore.get(); }
    zoZezo::TDataSource& DataSource() { return FDataSource; }
    zoZezo::TovDBEquationMemo* Memo() const;
    zoZezo::TzoZezoEvaluator& Evaluator() const;
    TResultsModel& Results() { return FResults; }
    TVariablesModel& Variables() { return FVariables; }
    TPlotPanel* PlotPanel() const;
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
    void ShowPlotNames();
    void Evaluated();
    void Recompute();
    void CurrentRowChanged(int Row);
    void ListSelectionChanged();
    void UpdateTitle();
    void UpdateActions();
    bool MayClose();
    bool ExportEdits();
    void Warn(const QString& Text);
    void AskRename();
    void AskDelete();
    void AskOpen();
    void EditSettings();
    void RestoreLayout();
    void ApplyDefaultSizes();
    void SaveLayout() const;

    std::unique_ptr<Ui::TMainWindow> FUi;
    std::unique_ptr<TDocumentStore> FStore;
    zoZezo::TDataSource FDataSource;
    TVariablesModel FVariables;
    TResultsModel FResults;
    TUnsavedPrompt FUnsavedPrompt;
    TWarning FWarning;
    bool FDefaultSizesPending = false;
};

} // namespace workbench
