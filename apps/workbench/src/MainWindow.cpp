#include "MainWindow.h"

#include "DocumentFiles.h"
#include "EditorAids.h"
#include "PlotPanel.h"
#include "ResultsText.h"
#include "SettingsDialog.h"
#include "SyntaxConversion.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QSettings>
#include <QSqlTableModel>
#include <QStandardPaths>
#include <zoZezo/DBEquationMemo.h>
#include <zoZezo/EvaluatorWidget.h>
#include <zoZezo/FormLoaded.h>

namespace workbench {
namespace {

const char* const LastDocumentKey = "documents/last";
const char* const LastStoreKey = "store/last";

// Where the first workbench kept a file's last document, before stores kept it themselves.
QString LastDocumentOf(const QString& Path) {
    QString Key = QFileInfo(Path).absoluteFilePath();
    Key.replace('/', '|');
    return QString("%1/%2").arg(LastDocumentKey, Key);
}

// Calls the focused line edit's or text editor's own Field or Text.
template <class FieldAction, class TextAction>
void ForwardToFocus(FieldAction Field, TextAction Text) {
    QWidget* Focus = QApplication::focusWidget();
    if (auto* Edit = qobject_cast<QLineEdit*>(Focus))
        (Edit->*Field)();
    else if (auto* Editor = qobject_cast<QPlainTextEdit*>(Focus))
        (Editor->*Text)();
}

} // namespace

TMainWindow::TMainWindow(QWidget* Parent)
    : QMainWindow(Parent), FUi(std::make_unique<Ui::TMainWindow>()),
      FProgressLabel(new QLabel(this)), FProgressBar(new QProgressBar(this)),
      FStateLabel(new QLabel(this)) {
    FUi->setupUi(this);
    zoZezo::FormLoaded(this); // the memo finds the form's evaluator by name
    FDataSource.SetRevisionField("revision");
    FUi->Memo->SetDataSource(&FDataSource);
    FConflictPanel = new TConflictPanel;
    FConflictPanel->PlaceBeside(*FUi->Memo);
    FSync = std::make_unique<TStoreSync>(*FUi->Memo, FDataSource, *FConflictPanel);
    FInputs = std::make_unique<TDocumentInputs>(
        FVariables, *FUi->Memo, [this] { return FUi->PlotPanel->Settings(); },
        [this](const TPlotSettings& Settings) { FUi->PlotPanel->SetSettings(Settings); });
    FStorePrompts = TStorePrompts::Dialogs(this);
    FVariables.Attach(Evaluator());
    QSettings Settings;
    TSyntaxCharacters::Load(Settings).ApplyTo(Evaluator());

    FUi->ResultsView->setModel(&FResults);
    FUi->ResultsView->verticalHeader()->hide();
    FUi->ResultsView->horizontalHeader()->setStretchLastSection(true);
    FUi->VariablesView->setModel(&FVariables);
    FUi->VariablesView->verticalHeader()->hide();
    // The values share what the names leave, so both cells stay in sight in a narrow window.
    QHeaderView* Columns = FUi->VariablesView->horizontalHeader();
    Columns->setSectionResizeMode(QHeaderView::Stretch);
    Columns->setSectionResizeMode(TVariablesModel::vcName, QHeaderView::ResizeToContents);
    for (QTableView* Table : {FUi->ResultsView, FUi->VariablesView})
        Table->verticalHeader()->setDefaultSectionSize(Table->fontMetrics().height() + 6);
    // The plot's controls would keep a small window wider than its screen: the plot gives way
    // first (see ApplyDefaultSizes).
    FUi->PlotPanel->setMinimumWidth(1);
    FUi->MainSplitter->setStretchFactor(0, 0);
    FUi->MainSplitter->setStretchFactor(1, 1);
    FUi->OutputSplitter->setStretchFactor(0, 2);
    FUi->OutputSplitter->setStretchFactor(1, 3);

    zoZezo::TDBRichEdit* Editor = FUi->Memo->DBEditor();
    Editor->setTabChangesFocus(true); // the language has no use for a tab
    FAids = new TEditorAids(*this, *Editor, *FUi->EditorLayout, Evaluator());
    FUi->ViewMenu->addAction(FAids->ReferenceAction());
    FUi->ViewMenu->addAction(FUi->PlotAction);
    statusBar()->addPermanentWidget(FStateLabel);
    statusBar()->addPermanentWidget(FProgressLabel);
    statusBar()->addPermanentWidget(FProgressBar);
    FStateLabel->setStyleSheet("color: #800000");
    FProgressBar->setMaximumWidth(160);
    FProgressLabel->hide();
    FProgressBar->hide();
    FProgressTimer.setInterval(100);
    connect(&FProgressTimer, &QTimer::timeout, this, &TMainWindow::ShowProgress);
    connect(&FComputation, &TResultsComputation::Finished, this, &TMainWindow::ResultsComputed);

    connect(FUi->Memo, &zoZezo::TCustomovEquationMemo::OnEvaluate, this, &TMainWindow::Evaluated);
    // Typing makes the results that are being computed out of date, and a warning about the
    // text as it was.
    connect(FUi->Memo, &zoZezo::TCustomovEquationMemo::OnChange, this, [this] {
        FComputation.Cancel();
        statusBar()->clearMessage();
    });
    // A data error stays in sight while it holds, and not after.
    connect(Editor, &zoZezo::TDBRichEdit::DataStatusChanged, this, &TMainWindow::UpdateState);
    connect(FUi->Memo, &zoZezo::TovDBEquationMemo::OnDataError, this, &TMainWindow::UpdateState);
    connect(FUi->ResultsView, &QAbstractItemView::activated, this,
            [this](const QModelIndex& Index) {
                const TResultRow& Row = FResults.Rows()[static_cast<std::size_t>(Index.row())];
                FAids->GoTo(Row.Line, Row.Kind == TResultRow::rkCompileError ? Row.Offset : 0);
            });
    connect(&FVariables, &TVariablesModel::ValuesChanged, this, &TMainWindow::Recompute);
    connect(&FVariables, &QAbstractItemModel::rowsInserted, this, &TMainWindow::ShowPlotNames);
    connect(&FDataSource, &zoZezo::TDataSource::CurrentRowChanged, this,
            &TMainWindow::CurrentRowChanged);
    connect(&FDataSource, &zoZezo::TDataSource::StateChanged, this, &TMainWindow::UpdateTitle);
    // After the memo's own connection: the text of the document is in the editor by then.
    connect(&FDataSource, &zoZezo::TDataSource::DataChanged, this, &TMainWindow::DocumentShown);
    connect(FSync.get(), &TStoreSync::Message, this, &TMainWindow::StatusMessage);
    connect(FInputs.get(), &TDocumentInputs::Failed, this, &TMainWindow::StatusMessage);
    FUi->Memo->DBEditor()->installEventFilter(this);
    ConnectActions();
    ConnectPlot();
    RestoreLayout();
    UpdateActions();
}

TMainWindow::~TMainWindow() {
    FComputation.Cancel();
    FVariables.Detach();
    // Nothing of the window's reacts to what the memo's last write brings.
    disconnect(&FDataSource, nullptr, this, nullptr);
    FSync.reset();
    delete FUi->Memo; // writes its edits while the data source and the database are there
}

zoZezo::TovDBEquationMemo* TMainWindow::Memo() const {
    return FUi->Memo;
}

zoZezo::TzoZezoEvaluator& TMainWindow::Evaluator() const {
    return FUi->Evaluator->Evaluator();
}

TPlotPanel* TMainWindow::PlotPanel() const {
    return FUi->PlotPanel;
}

QString TMainWindow::LastDatabase() {
    return QSettings().value(LastStoreKey).toString();
}

QString TMainWindow::DefaultDatabasePath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath("documents.sqlite");
}

void TMainWindow::ConnectActions() {
    FUi->UndoAction->setShortcut(QKeySequence::Undo);
    FUi->RedoAction->setShortcut(QKeySequence::Redo);
    FUi->QuitAction->setShortcut(QKeySequence::Quit);
    FUi->CutAction->setShortcut(QKeySequence::Cut);
    FUi->CopyAction->setShortcut(QKeySequence::Copy);
    FUi->PasteAction->setShortcut(QKeySequence::Paste);
    FUi->FindAction->setShortcut(QKeySequence::Find);
    FUi->FindNextAction->setShortcut(QKeySequence::FindNext);
    FUi->LanguageAction->setShortcut(QKeySequence::HelpContents);
    // F2 and Delete act on the documents only while the list has the focus: elsewhere they
    // edit a variable's cell or the text.
    FUi->DeleteAction->setShortcut(QKeySequence::Delete);
    for (QAction* Action : {FUi->RenameAction, FUi->DeleteAction}) {
        Action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        FUi->DocumentList->addAction(Action);
    }
    FUi->NewButton->setDefaultAction(FUi->NewAction);
    FUi->RenameButton->setDefaultAction(FUi->RenameAction);
    FUi->DeleteButton->setDefaultAction(FUi->DeleteAction);
    FUi->NewAction->setIconText(tr("New"));
    FUi->RenameAction->setIconText(tr("Rename"));
    FUi->DeleteAction->setIconText(tr("Delete"));
    connect(FUi->NewAction, &QAction::triggered, this, &TMainWindow::NewDocument);
    connect(FUi->RenameAction, &QAction::triggered, this, &TMainWindow::AskRename);
    connect(FUi->DeleteAction, &QAction::triggered, this, &TMainWindow::AskDelete);
    connect(FUi->OpenAction, &QAction::triggered, this, &TMainWindow::AskOpen);
    connect(FUi->ConnectAction, &QAction::triggered, this, &TMainWindow::AskConnect);
    connect(FUi->NewStoreAction, &QAction::triggered, this, &TMainWindow::AskNewStore);
    connect(FUi->SaveAction, &QAction::triggered, this, &TMainWindow::Save);
    connect(FUi->QuitAction, &QAction::triggered, this, &QWidget::close);
    connect(FUi->SettingsAction, &QAction::triggered, this, &TMainWindow::EditSettings);
    connect(FUi->ImportAction, &QAction::triggered, this, &TMainWindow::AskImport);
    connect(FUi->ExportAction, &QAction::triggered, this, &TMainWindow::ExportEdits);
    connect(FUi->ExportResultsAction, &QAction::triggered, this, &TMainWindow::AskExportResults);
    connect(FUi->CopyAction, &QAction::triggered, this, &TMainWindow::Copy);
    connect(FUi->CutAction, &QAction::triggered, this,
            [this] { ForwardToFocus(&QLineEdit::cut, &QPlainTextEdit::cut); });
    connect(FUi->PasteAction, &QAction::triggered, this,
            [this] { ForwardToFocus(&QLineEdit::paste, &QPlainTextEdit::paste); });
    connect(FUi->GoToLineAction, &QAction::triggered, FAids, &TEditorAids::AskGoToLine);
    connect(FUi->PlotAction, &QAction::toggled, this, &TMainWindow::ShowPlot);
    connect(FUi->OutputSplitter, &QSplitter::splitterMoved, this, &TMainWindow::ShowPlotState);
    connect(FUi->FindAction, &QAction::triggered, FAids, &TEditorAids::Find);
    connect(FUi->FindNextAction, &QAction::triggered, FAids, &TEditorAids::FindNext);
    connect(FUi->CompleteAction, &QAction::triggered, FAids, &TEditorAids::Complete);
    connect(FUi->LanguageAction, &QAction::triggered, FAids,
            [this] { FAids->ShowHelp(THelpDialog::htLanguage); });
    connect(FUi->ShortcutsAction, &QAction::triggered, FAids,
            [this] { FAids->ShowHelp(THelpDialog::htShortcuts); });
    QPlainTextEdit* Editor = FUi->Memo->DBEditor();
    connect(FUi->UndoAction, &QAction::triggered, Editor, &QPlainTextEdit::undo);
    connect(FUi->RedoAction, &QAction::triggered, Editor, &QPlainTextEdit::redo);
    connect(Editor, &QPlainTextEdit::undoAvailable, FUi->UndoAction, &QAction::setEnabled);
    connect(Editor, &QPlainTextEdit::redoAvailable, FUi->RedoAction, &QAction::setEnabled);
    FUi->UndoAction->setEnabled(false);
    FUi->RedoAction->setEnabled(false);
}

void TMainWindow::ConnectPlot() {
    FUi->PlotPanel->SetSource([this] {
        TSweepJob Job;
        Job.Lines = FUi->Memo->Equations();
        Job.Syntax = TSyntaxCharacters::Of(Evaluator());
        Job.Variables = FVariables.Snapshot();
        return Job;
    });
    // What was plotted is kept with the document.
    connect(&FUi->PlotPanel->Sweep(), &TSweep::Finished, this, [this] { FInputs->SavePlot(); });
}

bool TMainWindow::OpenDatabase(const QString& Location,
                               const TDocumentStore::TOpenOptions& Options) {
    if (FStore && !Save()) return false;
    QString Error;
    std::unique_ptr<TDocumentStore> Opened = OpenStore(Location, Options, FStorePrompts, Error);
    if (!Opened) {
        Warn(Error);
        return false;
    }
    FUi->PlotPanel->Cancel();
    if (!FDataSource.SetModel(Opened->Model())) {
        Warn(tr("The document could not be saved, so it stays open: %1")
                 .arg(FDataSource.LastError()));
        return false;
    }
    QItemSelectionModel* Selection = FUi->DocumentList->selectionModel();
    FUi->DocumentList->setModel(Opened->Model());
    delete Selection; // a view does not free the selection of the model it showed before
    FUi->DocumentList->setModelColumn(TDocumentStore::dcName);
    connect(FUi->DocumentList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TMainWindow::ListSelectionChanged);
    connect(Opened->Model(), &QAbstractItemModel::modelReset, this,
            &TMainWindow::ShowCurrentInList);
    FInputs->SetStore(Opened.get());
    FSync->SetStore(Opened.get());
    FShownId = -1;
    FStore = std::move(Opened); // the model shown before goes only now that nothing shows it
    QSettings Settings;
    qint64 LastId = FStore->LastDocument();
    if (LastId < 0 && !FStore->Location().IsServer())
        LastId = Settings.value(LastDocumentOf(FStore->Location().Path), -1).toLongLong();
    const int Last = FStore->RowOfId(LastId);
    FDataSource.MoveTo(Last >= 0 ? Last : 0);
    CurrentRowChanged(FDataSource.CurrentRow());
    DocumentShown();
    if (FStore->ReadOnly())
        Warn(tr("%1 is read-only: documents can be read and computed, but edits cannot be "
                "saved there.")
                 .arg(FStore->Location().Display()));
    UpdateActions();
    return true;
}

bool TMainWindow::SelectDocument(int Row) {
    if (!FStore || Row < 0 || Row >= FStore->Count()) return false;
    if (Row == FDataSource.CurrentRow()) return true;
    FUi->PlotPanel->Cancel();
    if (FDataSource.MoveTo(Row)) return true;
    Warn(tr("The document could not be saved, so it stays open: %1").arg(FDataSource.LastError()));
    // After the click that asked for the switch has selected the row it was on.
    QMetaObject::invokeMethod(this, &TMainWindow::ShowCurrentInList, Qt::QueuedConnection);
    return false;
}

bool TMainWindow::NewDocument() {
    if (!FStore || !Save()) return false;
    int Row = -1;
    if (!FStore->Create(FStore->UnusedName(), QString(), Row)) {
        Warn(tr("No new document: %1").arg(FStore->ErrorText()));
        return false;
    }
    SelectDocument(Row);
    FUi->Memo->SetFocus();
    return true;
}

bool TMainWindow::RenameDocument(int Row, const QString& Name) {
    if (!FStore || Name.trimmed().isEmpty() || !Save()) return false;
    const qint64 Current = FStore->IdOfRow(FDataSource.CurrentRow());
    const bool Renamed = FStore->Rename(Row, Name.trimmed());
    if (!Renamed) Warn(tr("The document keeps its name: %1").arg(FStore->ErrorText()));
    FDataSource.MoveTo(FStore->RowOfId(Current));
    ShowCurrentInList();
    UpdateTitle();
    return Renamed;
}

bool TMainWindow::DeleteDocument(int Row) {
    if (!FStore || !Save()) return false;
    const bool Deleted = FStore->Remove(Row);
    if (!Deleted) Warn(tr("The document stays: %1").arg(FStore->ErrorText()));
    FDataSource.MoveTo(std::min(Row, FStore->Count() - 1));
    CurrentRowChanged(FDataSource.CurrentRow());
    UpdateActions();
    return Deleted;
}

bool TMainWindow::Save() {
    if (FUi->Memo->SaveEdits()) return true;
    // A conflict shows beside the editor, with the choices, and in the status bar.
    if (FDataSource.InConflict()) return false;
    Warn(FSync->Retrying() ? TStoreSync::LostText()
                           : tr("The document could not be saved; the text stays in the editor: %1")
                                 .arg(FUi->Memo->DataError()));
    return false;
}

// The list shows the current document as its current and only selected row. A change of the
// documents resets the list, which then has none, and would take the first row as its current
// when it gets the focus back: call this after each.
void TMainWindow::ShowCurrentInList() {
    const int Row = FDataSource.CurrentRow();
    if (FStore && Row >= 0)
        FUi->DocumentList->selectionModel()->setCurrentIndex(
            FStore->Model()->index(Row, TDocumentStore::dcName),
            QItemSelectionModel::ClearAndSelect);
}

void TMainWindow::CurrentRowChanged(int) {
    if (CurrentId() >= 0 && !FStore->ReadOnly()) FStore->SetLastDocument(CurrentId());
    ShowCurrentInList();
    UpdateTitle();
    UpdateActions();
}

// Another document's text is in the editor: its results, plot and inputs replace the ones before.
void TMainWindow::DocumentShown() {
    const qint64 Id = CurrentId();
    if (Id == FShownId) return;
    FShownId = Id;
    FInputs->SavePlot(); // while the controls show the document before
    ShowResults({});     // until the document's own come
    FUi->PlotPanel->Clear();
    FInputs->Show(Id);
}

// -1 also while the data source already shows the rows of a store that opens.
qint64 TMainWindow::CurrentId() const {
    const int Row = FDataSource.CurrentRow();
    return FStore && FDataSource.Model() == FStore->Model() && Row >= 0 ? FStore->IdOfRow(Row) : -1;
}

void TMainWindow::ListSelectionChanged() {
    const int Row = FUi->DocumentList->currentIndex().row();
    if (Row != FDataSource.CurrentRow()) SelectDocument(Row);
}

void TMainWindow::UpdateTitle() {
    const int Row = FDataSource.CurrentRow();
    QString Title = tr("zoZezo Workbench");
    if (FStore && Row >= 0) {
        const bool Unsaved = FDataSource.State() == zoZezo::TDataSetState::dsEdit;
        Title = QString("%1%2 - %3").arg(FStore->Name(Row), Unsaved ? "*" : "", Title);
        if (FStore->ReadOnly()) Title += tr(" (read-only)");
    }
    setWindowTitle(Title);
}

void TMainWindow::UpdateActions() {
    const bool HasDocument = FStore && FDataSource.CurrentRow() >= 0;
    FUi->NewAction->setEnabled(FStore != nullptr);
    FUi->RenameAction->setEnabled(HasDocument);
    FUi->DeleteAction->setEnabled(HasDocument);
    FUi->SaveAction->setEnabled(HasDocument);
    FUi->PlotPanel->setEnabled(HasDocument);
}

void TMainWindow::Evaluated() {
    Recompute();
    ShowPlotNames();
}

void TMainWindow::Recompute() {
    TResultsJob Job;
    Job.Lines = FUi->Memo->Equations();
    Job.Syntax = TSyntaxCharacters::Of(Evaluator());
    Job.Variables = FVariables.Snapshot();
    FComputation.Start(std::move(Job));
    FComputing.start();
    FProgressTimer.start();
}

void TMainWindow::ResultsComputed(const TLineResults& Results) {
    ShowResults(Results);
    emit ResultsUpdated();
}

void TMainWindow::ShowResults(const TLineResults& Results) {
    FResults.SetRows(Results.Rows);
    FVariables.MarkUsed(Results.Variables);
    std::vector<std::pair<std::string, std::string>> Doubtful;
    for (const TNameWarning& Warning : Results.Warnings)
        Doubtful.emplace_back(Warning.Name.toStdString(), Warning.Near.toStdString());
    FVariables.SetWarnings(std::move(Doubtful));
    FNameWarnings = Results.Warnings;
    FAids->Show(Results);
    FitColumns();
    ShowPlotNames();
    ShowProgress();
    UpdateState();
}

// After a moment of computing, what is being computed and how far it has come.
void TMainWindow::ShowProgress() {
    const bool Running = FComputation.Running();
    if (!Running) FProgressTimer.stop();
    const bool Show = Running && FComputing.elapsed() >= 300;
    FProgressLabel->setVisible(Show);
    FProgressBar->setVisible(Show);
    if (!Show) return;
    const int Total = FComputation.Total();
    const int Done = FComputation.Done();
    FProgressLabel->setText(
        tr("Computing line %1 of %2...").arg(std::min(Done + 1, Total)).arg(Total));
    FProgressBar->setRange(0, Total);
    FProgressBar->setValue(Done);
}

void TMainWindow::UpdateState() {
    QStringList State;
    if (const QString Data = FUi->Memo->DataError(); !Data.isEmpty()) State << Data;
    const auto Faulty =
        std::count_if(FResults.Rows().begin(), FResults.Rows().end(),
                      [](const TResultRow& Row) { return Row.Kind == TResultRow::rkCompileError; });
    if (Faulty == 1) State << tr("1 line does not compile");
    if (Faulty > 1) State << tr("%1 lines do not compile").arg(Faulty);
    for (const TNameWarning& Warning : FNameWarnings)
        State << tr("is %1 meant to be %2?").arg(Warning.Name, Warning.Near);
    FStateLabel->setText(State.join(" | "));
}

// The line and name columns as wide as they need, but the name column no wider than a third
// of the table, so that a long faulty line leaves its message in sight.
void TMainWindow::FitColumns() {
    QTableView* Table = FUi->ResultsView;
    Table->resizeColumnToContents(TResultsModel::rcLine);
    Table->resizeColumnToContents(TResultsModel::rcName);
    const int Widest = std::max(Table->viewport()->width() / 3, 60);
    if (Table->columnWidth(TResultsModel::rcName) > Widest)
        Table->setColumnWidth(TResultsModel::rcName, Widest);
}

// Copy with the results in focus copies the selected rows, or all of them, as a table a
// spreadsheet pastes; elsewhere the focused field or editor copies its selection.
void TMainWindow::Copy() {
    if (QApplication::focusWidget() == FUi->ResultsView)
        CopyResults();
    else
        ForwardToFocus(&QLineEdit::copy, &QPlainTextEdit::copy);
}

void TMainWindow::CopyResults() {
    QModelIndexList Selected = FUi->ResultsView->selectionModel()->selectedRows();
    std::sort(Selected.begin(), Selected.end());
    std::vector<TResultRow> Rows;
    for (const QModelIndex& Index : Selected)
        Rows.push_back(FResults.Rows()[static_cast<std::size_t>(Index.row())]);
    QApplication::clipboard()->setText(ResultsAsTabText(Rows.empty() ? FResults.Rows() : Rows));
}

// The value equations of the last results, and the host variables.
void TMainWindow::ShowPlotNames() {
    QStringList Equations, Variables;
    for (const TResultRow& Row : FResults.Rows())
        if (Row.Kind != TResultRow::rkCompileError) Equations << Row.Name;
    for (int Row = 0; Row < FVariables.Count(); ++Row)
        Variables << QString::fromStdString(FVariables.Cell(Row).Name);
    FUi->PlotPanel->SetNames(Equations, Variables);
}

void TMainWindow::ApplySyntax(const TSyntaxCharacters& Syntax) {
    Syntax.ApplyTo(Evaluator());
    QSettings Settings;
    Syntax.Save(Settings);
    FUi->Memo->Refresh();
}

void TMainWindow::EditSettings() {
    TSettingsDialog Dialog(TSyntaxCharacters::Of(Evaluator()), this);
    if (Dialog.exec() == QDialog::Accepted) ChangeSyntax(Dialog.Characters());
}

bool TMainWindow::ChangeSyntax(const TSyntaxCharacters& Syntax) {
    const TSyntaxCharacters Old = TSyntaxCharacters::Of(Evaluator());
    if (Syntax == Old || !FStore) {
        ApplySyntax(Syntax);
        return true;
    }
    const int Current = FDataSource.CurrentRow();
    QStringList Using; // the documents written with a character that changes
    std::vector<std::pair<int, QString>> Converted;
    for (int Row = 0; Row < FStore->Count(); ++Row) {
        int Changed = 0;
        const QString Text = Row == Current ? FUi->Memo->DBEditor()->Text() : FStore->Body(Row);
        QString New = ConvertSyntax(Text, Old, Syntax, Changed);
        if (Changed == 0) continue;
        Using << FStore->Name(Row);
        Converted.emplace_back(Row, std::move(New));
    }
    const TSyntaxChoice Choice = Using.isEmpty() ? TSyntaxChoice::scKeep : AskSyntaxChoice(Using);
    if (Choice == TSyntaxChoice::scCancel) return false;
    QStringList Failed;
    if (Choice == TSyntaxChoice::scConvert) {
        for (const auto& [Row, Text] : Converted) {
            if (Row == Current)
                ReplaceText(Text);
            else if (!FStore->SetBody(Row, Text))
                Failed << QString("%1: %2").arg(FStore->Name(Row), FStore->ErrorText());
        }
    }
    ApplySyntax(Syntax);
    if (!Failed.isEmpty())
        Warn(tr("These documents keep the old characters:\n%1").arg(Failed.join('\n')));
    return Failed.isEmpty();
}

TMainWindow::TSyntaxChoice TMainWindow::AskSyntaxChoice(const QStringList& Documents) {
    if (FSyntaxPrompt) return FSyntaxPrompt(Documents);
    QMessageBox Box(QMessageBox::Question, tr("Syntax characters"),
                    tr("These documents are written with the characters you are changing:\n%1\n\n"
                       "Convert them to the new characters?")
                        .arg(Documents.join(", ")),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    Box.button(QMessageBox::Yes)->setText(tr("Convert"));
    Box.button(QMessageBox::No)->setText(tr("Leave them"));
    const int Answer = Box.exec();
    return Answer == QMessageBox::Yes  ? TSyntaxChoice::scConvert
           : Answer == QMessageBox::No ? TSyntaxChoice::scKeep
                                       : TSyntaxChoice::scCancel;
}

// Replaces the editor's text as one edit, which Undo takes back.
void TMainWindow::ReplaceText(const QString& Text) {
    QTextCursor All(FUi->Memo->DBEditor()->document());
    All.select(QTextCursor::Document);
    All.insertText(Text);
}

void TMainWindow::AskRename() {
    const int Row = FDataSource.CurrentRow();
    if (!FStore || Row < 0) return;
    bool Ok = false;
    const QString Name = QInputDialog::getText(this, tr("Rename document"), tr("Name:"),
                                               QLineEdit::Normal, FStore->Name(Row), &Ok);
    if (Ok) RenameDocument(Row, Name);
}

void TMainWindow::AskDelete() {
    const int Row = FDataSource.CurrentRow();
    if (!FStore || Row < 0) return;
    if (QMessageBox::question(this, tr("Delete document"),
                              tr("Delete the document '%1'?").arg(FStore->Name(Row))) ==
        QMessageBox::Yes)
        DeleteDocument(Row);
}

void TMainWindow::AskOpen() {
    const QString Start =
        FStore && !FStore->Location().IsServer() ? FStore->Path() : DefaultDatabasePath();
    const QString Path =
        QFileDialog::getOpenFileName(this, tr("Open document database"), Start,
                                     tr("Document databases (*.sqlite *.db);;All files (*)"),
                                     nullptr, QFileDialog::DontConfirmOverwrite);
    if (!Path.isEmpty()) OpenDatabase(Path);
}

void TMainWindow::AskConnect() {
    const QString Current = FStore && FStore->Location().IsServer() ? FStore->Path() : QString();
    bool Ok = false;
    const QString Url = QInputDialog::getText(
        this, tr("Connect to a document server"),
        tr("PostgreSQL connection URL, e.g. postgresql://%1@localhost:5432/zezo\n"
           "(the password comes from PGPASSWORD or ~/.pgpass, or is asked for):")
            .arg(qEnvironmentVariable("USER", "user")),
        QLineEdit::Normal, Current, &Ok);
    if (Ok && !Url.trimmed().isEmpty()) OpenDatabase(Url.trimmed());
}

void TMainWindow::AskNewStore() {
    const QString Path = QFileDialog::getSaveFileName(
        this, tr("New document store"), QFileInfo(DefaultDatabasePath()).absolutePath(),
        tr("Document databases (*.sqlite *.db);;All files (*)"), nullptr,
        QFileDialog::DontConfirmOverwrite);
    if (Path.isEmpty()) return;
    TDocumentStore::TOpenOptions Options;
    Options.Examples = false;
    Options.MustBeNew = true;
    OpenDatabase(Path, Options);
}

void TMainWindow::StatusMessage(const QString& Text) {
    statusBar()->showMessage(Text);
}

void TMainWindow::Warn(const QString& Text) {
    statusBar()->showMessage(Text);
    if (FWarning)
        FWarning(Text);
    else
        QMessageBox::warning(this, tr("zoZezo Workbench"), Text);
}

// Runs before the memo's own watch on the window's closing, which refuses to close while its
// edits cannot be written: here the user decides what happens to them.
bool TMainWindow::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == this && Event->type() == QEvent::Close && !MayClose()) {
        Event->ignore();
        return true;
    }
    // Others may have changed the store meanwhile.
    if (Watched == this && Event->type() == QEvent::WindowActivate) FSync->CheckStore();
    if (Watched == FUi->Memo->DBEditor() && Event->type() == QEvent::FocusIn)
        FSync->CheckDocument();
    return QMainWindow::eventFilter(Watched, Event);
}

void TMainWindow::showEvent(QShowEvent* Event) {
    // The memo's editor watches the window from its own first show, which comes before this
    // one; the filter installed last runs first.
    removeEventFilter(this);
    installEventFilter(this);
    QMainWindow::showEvent(Event);
    if (FDefaultSizesPending) ApplyDefaultSizes();
    ShowPlotState();
}

bool TMainWindow::MayClose() {
    if (FUi->Memo->SaveEdits()) return true;
    const QString Reason = FUi->Memo->DataError();
    TUnsavedChoice Choice = TUnsavedChoice::ucStay;
    if (FUnsavedPrompt) {
        Choice = FUnsavedPrompt(Reason);
    } else {
        QMessageBox Box(QMessageBox::Warning, tr("Unsaved document"),
                        tr("The document could not be saved: %1").arg(Reason),
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
        Box.button(QMessageBox::Save)->setText(tr("Export to file..."));
        const int Answer = Box.exec();
        Choice = Answer == QMessageBox::Save      ? TUnsavedChoice::ucExport
                 : Answer == QMessageBox::Discard ? TUnsavedChoice::ucDiscard
                                                  : TUnsavedChoice::ucStay;
    }
    if (Choice == TUnsavedChoice::ucStay || (Choice == TUnsavedChoice::ucExport && !ExportEdits()))
        return false;
    FDataSource.Cancel();
    return true;
}

bool TMainWindow::ExportEdits() {
    const QStringList Paths = ChooseFiles(TFileRole::frExport);
    return !Paths.isEmpty() && ExportDocument(Paths.front());
}

bool TMainWindow::ExportDocument(const QString& Path) {
    QString Error;
    if (WriteTextFile(WithSuffix(Path, "zez"), FUi->Memo->DBEditor()->Text() + '\n', Error))
        return true;
    Warn(Error);
    return false;
}

void TMainWindow::AskExportResults() {
    const QStringList Paths = ChooseFiles(TFileRole::frResults);
    QString Error;
    if (!Paths.isEmpty() &&
        !WriteTextFile(WithSuffix(Paths.front(), "csv"), ResultsAsCsv(FResults.Rows()), Error))
        Warn(Error);
}

void TMainWindow::AskImport() {
    if (const QStringList Paths = ChooseFiles(TFileRole::frImport); !Paths.isEmpty())
        ImportFiles(Paths);
}

bool TMainWindow::ImportFiles(const QStringList& Paths) {
    if (!FStore || !Save()) return false;
    QStringList Problems;
    int Last = -1;
    for (const QString& Path : Paths) {
        QString Text, Error;
        if (!ReadZezFile(Path, Text, Error)) {
            Problems << Error;
            continue;
        }
        QStringList Taken;
        for (int Row = 0; Row < FStore->Count(); ++Row)
            Taken << FStore->Name(Row);
        const QString Name = UnusedName(Taken, QFileInfo(Path).completeBaseName());
        int Row = -1;
        if (FStore->Create(Name, Text, Row))
            Last = Row;
        else
            Problems << tr("'%1' was not imported: %2")
                            .arg(QDir::toNativeSeparators(Path), FStore->ErrorText());
    }
    if (Last >= 0) SelectDocument(Last);
    UpdateActions();
    if (!Problems.isEmpty()) Warn(Problems.join('\n'));
    return Problems.isEmpty();
}

QStringList TMainWindow::ChooseFiles(TFileRole Role) {
    if (FFileChooser) return FFileChooser(Role);
    const QString Equations = tr("Equations (*.zez);;All files (*)");
    if (Role == TFileRole::frImport)
        return QFileDialog::getOpenFileNames(this, tr("Import equation files"), QString(),
                                             Equations);
    const int Row = FDataSource.CurrentRow();
    const QString Name = FStore && Row >= 0 ? FStore->Name(Row) : tr("Untitled");
    const bool Results = Role == TFileRole::frResults;
    const QString Path = QFileDialog::getSaveFileName(
        this, Results ? tr("Export the results") : tr("Export the document"),
        Name + (Results ? ".csv" : ".zez"),
        Results ? tr("Comma-separated values (*.csv);;All files (*)") : Equations);
    return Path.isEmpty() ? QStringList() : QStringList{Path};
}

void TMainWindow::closeEvent(QCloseEvent* Event) {
    FUi->PlotPanel->Cancel();
    FInputs->SavePlot();
    SaveLayout();
    QMainWindow::closeEvent(Event);
}

void TMainWindow::RestoreLayout() {
    QSettings Settings;
    restoreGeometry(Settings.value("window/geometry").toByteArray());
    restoreState(Settings.value("window/state").toByteArray());
    FitToScreen();
    for (QSplitter* Splitter : findChildren<QSplitter*>())
        if (!Splitter->restoreState(
                Settings.value("window/" + Splitter->objectName()).toByteArray()))
            FDefaultSizesPending = true;
}

// The size the form asks for, or the one the user left, but within the screen: at a large
// scale factor, or on a small screen, neither may fit.
void TMainWindow::FitToScreen() {
    const QRect Available = screen()->availableGeometry();
    const QSize Most = Available.size() * 0.95;
    if (width() <= Most.width() && height() <= Most.height() && Available.contains(geometry()))
        return;
    resize(size().boundedTo(Most));
    move(Available.center() - rect().center());
}

// The first layout, in proportion to the window, once it has its size.
// In a narrow window the tables keep the width they need to show their values, and the plot
// gives way: it stays behind the splitter's handle, from where it is dragged out.
void TMainWindow::ApplyDefaultSizes() {
    FDefaultSizesPending = false;
    const int Width = FUi->MainSplitter->width();
    const int Height = FUi->WorkSplitter->height();
    FUi->MainSplitter->setSizes({Width * 14 / 100, Width * 86 / 100});
    FUi->WorkSplitter->setSizes({Height * 45 / 100, Height * 55 / 100});
    FUi->TablesSplitter->setSizes({Height * 38 / 100, Height * 17 / 100});
    const int Output = FUi->OutputSplitter->width();
    const int Tables = std::max(Output * 45 / 100, fontMetrics().horizontalAdvance('0') * 40);
    ShowPlot(Output - Tables >= FUi->PlotPanel->minimumSizeHint().width());
}

// The plot beside the tables, with the width its controls need (or as much as there is), or
// behind the splitter's handle.
void TMainWindow::ShowPlot(bool Shown) {
    const int Output = FUi->OutputSplitter->width();
    const int Tables = std::max(Output * 45 / 100, fontMetrics().horizontalAdvance('0') * 40);
    const int Plot =
        Shown ? std::max(Output - Tables, FUi->PlotPanel->minimumSizeHint().width()) : 0;
    FUi->OutputSplitter->setSizes({std::max(Output - Plot, 0), Plot});
    ShowPlotState();
}

// The action says whether the plot is in sight, however the splitter was moved.
void TMainWindow::ShowPlotState() {
    const QSignalBlocker Quiet(FUi->PlotAction);
    FUi->PlotAction->setChecked(FUi->OutputSplitter->sizes().value(1) > 0);
}

void TMainWindow::SaveLayout() const {
    QSettings Settings;
    if (FStore) Settings.setValue(LastStoreKey, FStore->Path());
    Settings.setValue("window/geometry", saveGeometry());
    Settings.setValue("window/state", saveState());
    for (const QSplitter* Splitter : findChildren<QSplitter*>())
        Settings.setValue("window/" + Splitter->objectName(), Splitter->saveState());
}

} // namespace workbench
