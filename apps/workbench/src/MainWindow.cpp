#include "MainWindow.h"

#include "Outcome.h"
#include "PlotPanel.h"
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

// The key under which a database's last document is kept: one per file.
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
    FUi->Memo->SetDataSource(&FDataSource);
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
    connect(&FVariables, &QAbstractItemModel::rowsInserted, this, &TMainWindow::ShowPlotNames);
    connect(&FDataSource, &zoZezo::TDataSource::CurrentRowChanged, this,
            &TMainWindow::CurrentRowChanged);
    connect(&FDataSource, &zoZezo::TDataSource::StateChanged, this, &TMainWindow::UpdateTitle);
    ConnectActions();
    ConnectPlot();
    RestoreLayout();
    UpdateActions();
}

TMainWindow::~TMainWindow() {
    FVariables.Detach();
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
    FUi->PlotPanel->SetSource([this] {
        TSweepJob Job;
        Job.Lines = FUi->Memo->Equations();
        Job.Syntax = TSyntaxCharacters::Of(Evaluator());
        Job.Variables = FVariables.Snapshot();
        return Job;
    });
}

bool TMainWindow::OpenDatabase(const QString& Path) {
    if (FStore && !Save()) return false;
    auto Opened = std::make_unique<TDocumentStore>();
    if (!Opened->Open(Path)) {
        Warn(Opened->ErrorText());
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
    FStore = std::move(Opened); // the model shown before goes only now that nothing shows it
    QSettings Settings;
    const int Last = FStore->RowOfId(Settings.value(LastDocumentOf(Path), -1).toLongLong());
    FDataSource.MoveTo(Last >= 0 ? Last : 0);
    CurrentRowChanged(FDataSource.CurrentRow());
    if (FStore->ReadOnly())
        Warn(tr("'%1' is read-only: documents can be read and computed, but edits cannot be "
                "saved there.")
                 .arg(QDir::toNativeSeparators(Path)));
    UpdateActions();
    return true;
}

bool TMainWindow::SelectDocument(int Row) {
    if (!FStore || Row < 0 || Row >= FStore->Count()) return false;
    if (Row == FDataSource.CurrentRow()) return true;
    FUi->PlotPanel->Cancel();
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
    Warn(tr("The document could not be saved; the text stays in the editor: %1")
             .arg(FUi->Memo->DataError()));
    return false;
}

void TMainWindow::CurrentRowChanged(int Row) {
    if (FStore && Row >= 0) {
        QSettings().setValue(LastDocumentOf(FStore->Path()), FStore->IdOfRow(Row));
        FUi->DocumentList->setCurrentIndex(FStore->Model()->index(Row, TDocumentStore::dcName));
    }
    FResults.Clear();
    FUi->PlotPanel->Clear();
    UpdateTitle();
    UpdateActions();
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
    FVariables.MarkUsed();
    FResults.Update(Evaluator());
    FUi->ResultsView->resizeColumnToContents(TResultsModel::rcLine);
    FUi->ResultsView->resizeColumnToContents(TResultsModel::rcName);
    ShowPlotNames();
    emit ResultsUpdated();
}

void TMainWindow::Recompute() {
    FResults.Update(Evaluator());
    emit ResultsUpdated();
}

// The value equations of the last rebuild, and the host variables.
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
    FUi->PlotPanel->Cancel();
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
    Settings.setValue("window/geometry", saveGeometry());
    Settings.setValue("window/state", saveState());
    for (const QSplitter* Splitter : findChildren<QSplitter*>())
        Settings.setValue("window/" + Splitter->objectName(), Splitter->saveState());
}

} // namespace workbench
