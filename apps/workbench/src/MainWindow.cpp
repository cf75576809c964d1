#include "MainWindow.h"

#include "Outcome.h"
#include "PlotView.h"
#include "SettingsDialog.h"
#include "ui_MainWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QSaveFile>
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

} // namespace

TMainWindow::TMainWindow(QWidget* Parent)
    : QMainWindow(Parent), FUi(std::make_unique<Ui::TMainWindow>()) {
    FUi->setupUi(this);
    zoZezo::FormLoaded(this); // the memo finds the form's evaluator by name
    FDataSource.SetRevisionField("revision");
    FUi->Memo->SetDataSource(&FDataSource);
    FConflictPanel = new TConflictPanel;
    FConflictPanel->PlaceBeside(*FUi->Memo);
    FSync = std::make_unique<TStoreSync>(*FUi->Memo, FDataSource, *FConflictPanel);
    FInputs = std::make_unique<TDocumentInputs>(
        FVariables, *FUi->Memo, [this] { return PlotSettings(); },
        [this](const TPlotSettings& Settings) { SetPlotSettings(Settings); });
    FStorePrompts = TStorePrompts::Dialogs(this);
    FVariables.Attach(Evaluator());
    QSettings Settings;
    TSyntaxCharacters::Load(Settings).ApplyTo(Evaluator());

    FUi->ResultsView->setModel(&FResults);
    FUi->ResultsView->verticalHeader()->hide();
    FUi->ResultsView->horizontalHeader()->setStretchLastSection(true);
    FUi->VariablesView->setModel(&FVariables);
    FUi->VariablesView->verticalHeader()->hide();
    FUi->VariablesView->horizontalHeader()->setStretchLastSection(true);
    for (QTableView* Table : {FUi->ResultsView, FUi->VariablesView})
        Table->verticalHeader()->setDefaultSectionSize(Table->fontMetrics().height() + 6);
    FUi->MainSplitter->setStretchFactor(0, 0);
    FUi->MainSplitter->setStretchFactor(1, 1);
    FUi->OutputSplitter->setStretchFactor(0, 2);
    FUi->OutputSplitter->setStretchFactor(1, 3);

    connect(FUi->Memo, &zoZezo::TCustomovEquationMemo::OnEvaluate, this, &TMainWindow::Evaluated);
    connect(FUi->Memo, &zoZezo::TovDBEquationMemo::OnDataError, this,
            [this](zoZezo::TCustomovEquationMemo*, const QString& Message) {
                statusBar()->showMessage(Message);
            });
    connect(&FVariables, &TVariablesModel::ValuesChanged, this, &TMainWindow::Recompute);
    connect(&FVariables, &QAbstractItemModel::rowsInserted, this, &TMainWindow::FillVariableBox);
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
    FSweep.Cancel();
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

TPlotView* TMainWindow::PlotView() const {
    return FUi->PlotView;
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
    QPlainTextEdit* Editor = FUi->Memo->DBEditor();
    connect(FUi->UndoAction, &QAction::triggered, Editor, &QPlainTextEdit::undo);
    connect(FUi->RedoAction, &QAction::triggered, Editor, &QPlainTextEdit::redo);
    connect(Editor, &QPlainTextEdit::undoAvailable, FUi->UndoAction, &QAction::setEnabled);
    connect(Editor, &QPlainTextEdit::redoAvailable, FUi->RedoAction, &QAction::setEnabled);
    FUi->UndoAction->setEnabled(false);
    FUi->RedoAction->setEnabled(false);
}

void TMainWindow::ConnectPlot() {
    connect(FUi->PlotButton, &QPushButton::clicked, this, &TMainWindow::Plot);
    connect(FUi->CancelButton, &QPushButton::clicked, &FSweep, &TSweep::Cancel);
    connect(&FSweep, &TSweep::Progress, this, &TMainWindow::SweepProgress);
    connect(&FSweep, &TSweep::Finished, this, &TMainWindow::SweepFinished);
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
    FSweep.Cancel();
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
            [this] { ShowInList(FDataSource.CurrentRow()); });
    FInputs->SavePlot(); // the document before keeps its plot in its store
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
    FSweep.Cancel();
    if (FDataSource.MoveTo(Row)) return true;
    Warn(tr("The document could not be saved, so it stays open: %1").arg(FDataSource.LastError()));
    CurrentRowChanged(FDataSource.CurrentRow());
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
    if (FDataSource.InConflict()) // the conflict panel shows it, and the choices
        StatusMessage(FUi->Memo->DataError());
    else
        Warn(tr("The document could not be saved; the text stays in the editor: %1")
                 .arg(FUi->Memo->DataError()));
    return false;
}

void TMainWindow::CurrentRowChanged(int Row) {
    if (FStore && Row >= 0 && !FStore->ReadOnly()) FStore->SetLastDocument(FStore->IdOfRow(Row));
    ShowInList(Row);
    UpdateTitle();
    UpdateActions();
}

void TMainWindow::ShowInList(int Row) {
    if (FStore && Row >= 0)
        FUi->DocumentList->setCurrentIndex(FStore->Model()->index(Row, TDocumentStore::dcName));
}

// Another document's text is in the editor: its results, plot and inputs replace the ones before.
void TMainWindow::DocumentShown() {
    const qint64 Id = CurrentId();
    if (Id == FShownId) return;
    FShownId = Id;
    FResults.Clear();
    FUi->PlotView->Clear();
    FInputs->Show(Id);
}

qint64 TMainWindow::CurrentId() const {
    const int Row = FDataSource.CurrentRow();
    return FStore && Row >= 0 ? FStore->IdOfRow(Row) : -1;
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
    FUi->PlotButton->setEnabled(HasDocument);
}

void TMainWindow::Evaluated() {
    FVariables.MarkUsed();
    FResults.Update(Evaluator());
    FUi->ResultsView->resizeColumnToContents(TResultsModel::rcLine);
    FUi->ResultsView->resizeColumnToContents(TResultsModel::rcName);
    FillEquationBox();
    FillVariableBox();
    emit ResultsUpdated();
}

void TMainWindow::Recompute() {
    FResults.Update(Evaluator());
    emit ResultsUpdated();
}

// The value equations of the last rebuild, keeping the choice when it is still there.
void TMainWindow::FillEquationBox() {
    QComboBox* Box = FUi->EquationBox;
    const QString Chosen = Box->currentText();
    QStringList Names;
    for (const TResultRow& Row : FResults.Rows())
        if (Row.Kind != TResultRow::rkCompileError) Names << Row.Name;
    Box->clear();
    Box->addItems(Names);
    Box->setCurrentIndex(std::max(0, static_cast<int>(Names.indexOf(Chosen))));
}

// The host variables, and any name the user types: a sweep may also vary an equation's name.
void TMainWindow::FillVariableBox() {
    QComboBox* Box = FUi->VariableBox;
    const QString Typed = Box->currentText();
    Box->clear();
    for (int Row = 0; Row < FVariables.Count(); ++Row)
        Box->addItem(QString::fromStdString(FVariables.Cell(Row).Name));
    Box->setCurrentText(Typed);
}

bool TMainWindow::Plot() {
    FUi->SweepMessage->clear();
    TSweepJob Job;
    Job.Lines = FUi->Memo->Equations();
    Job.Syntax = TSyntaxCharacters::Of(Evaluator());
    Job.Variables = FVariables.Snapshot();
    const TPlotSettings Settings = PlotSettings();
    Job.Equation = Settings.Equation;
    Job.Variable = Settings.Variable;
    Job.Range = Settings.Range;
    if (!FSweep.Start(Job)) {
        FUi->SweepMessage->setText(FSweep.ErrorText());
        return false;
    }
    FInputs->SavePlot();
    FUi->SweepProgress->setRange(0, static_cast<int>(Job.Range.Count()));
    FUi->SweepProgress->setValue(0);
    FUi->CancelButton->setEnabled(true);
    FUi->PlotButton->setEnabled(false);
    return true;
}

TPlotSettings TMainWindow::PlotSettings() const {
    return {FUi->EquationBox->currentText(),
            FUi->VariableBox->currentText(),
            {FUi->FromBox->value(), FUi->ToBox->value(), FUi->StepBox->value()}};
}

void TMainWindow::SetPlotSettings(const TPlotSettings& Settings) {
    FUi->EquationBox->setCurrentText(Settings.Equation);
    FUi->VariableBox->setCurrentText(Settings.Variable);
    FUi->FromBox->setValue(static_cast<double>(Settings.Range.From));
    FUi->ToBox->setValue(static_cast<double>(Settings.Range.To));
    FUi->StepBox->setValue(static_cast<double>(Settings.Range.Step));
}

void TMainWindow::SweepProgress(int Done, int Total) {
    // A sweep that ends within a few slices shows no progress bar at all.
    if (Done < Total && Done > 0) FUi->SweepProgress->setVisible(true);
    FUi->SweepProgress->setValue(Done);
}

void TMainWindow::SweepFinished(bool Cancelled) {
    FUi->SweepProgress->setVisible(false);
    FUi->CancelButton->setEnabled(false);
    UpdateActions();
    const TSweepJob& Job = FSweep.Job();
    FUi->PlotView->ShowSweep(FSweep.Points(), Job.Equation, Job.Variable);
    const auto Failed = std::count_if(FSweep.Points().begin(), FSweep.Points().end(),
                                      [](const TSweepPoint& P) { return !P.Y; });
    QString Message;
    if (Cancelled) Message = tr("Cancelled after %1 points.").arg(FSweep.Points().size());
    if (Failed > 0)
        Message += tr(" %1 of %2 points could not be computed and are gaps.")
                       .arg(Failed)
                       .arg(FSweep.Points().size());
    FUi->SweepMessage->setText(Message.trimmed());
}

void TMainWindow::ApplySyntax(const TSyntaxCharacters& Syntax) {
    Syntax.ApplyTo(Evaluator());
    QSettings Settings;
    Syntax.Save(Settings);
    FUi->Memo->Refresh();
}

void TMainWindow::EditSettings() {
    TSettingsDialog Dialog(TSyntaxCharacters::Of(Evaluator()), this);
    if (Dialog.exec() == QDialog::Accepted) ApplySyntax(Dialog.Characters());
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
    const QString Start = FStore ? FStore->Path() : DefaultDatabasePath();
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
    const QString Path = QFileDialog::getSaveFileName(this, tr("Export the document"), QString(),
                                                      tr("Equations (*.zez);;All files (*)"));
    if (Path.isEmpty()) return false;
    QSaveFile File(Path);
    if (File.open(QIODevice::WriteOnly) &&
        File.write(FUi->Memo->DBEditor()->toPlainText().toUtf8()) >= 0 && File.commit())
        return true;
    Warn(tr("Cannot write '%1': %2").arg(QDir::toNativeSeparators(Path), File.errorString()));
    return false;
}

void TMainWindow::closeEvent(QCloseEvent* Event) {
    FSweep.Cancel();
    FInputs->SavePlot();
    SaveLayout();
    QMainWindow::closeEvent(Event);
}

void TMainWindow::RestoreLayout() {
    QSettings Settings;
    restoreGeometry(Settings.value("window/geometry").toByteArray());
    restoreState(Settings.value("window/state").toByteArray());
    for (QSplitter* Splitter : findChildren<QSplitter*>())
        if (!Splitter->restoreState(
                Settings.value("window/" + Splitter->objectName()).toByteArray()))
            FDefaultSizesPending = true;
}

// The first layout, in proportion to the window, once it has its size.
void TMainWindow::ApplyDefaultSizes() {
    FDefaultSizesPending = false;
    const int Width = FUi->MainSplitter->width();
    const int Height = FUi->WorkSplitter->height();
    FUi->MainSplitter->setSizes({Width * 14 / 100, Width * 86 / 100});
    FUi->WorkSplitter->setSizes({Height * 45 / 100, Height * 55 / 100});
    FUi->OutputSplitter->setSizes({Width * 40 / 100, Width * 46 / 100});
    FUi->TablesSplitter->setSizes({Height * 38 / 100, Height * 17 / 100});
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
