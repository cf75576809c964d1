#include "StoreSync.h"

#include "DocumentStore.h"

#include <QSqlRecord>
#include <QTextCursor>
#include <zoZezo/DBEquationMemo.h>
#include <zoZezo/DataSource.h>

namespace workbench {

TStoreSync::TStoreSync(zoZezo::TovDBEquationMemo& Memo, zoZezo::TDataSource& Source,
                       TConflictPanel& Panel, QObject* Parent)
    : QObject(Parent), FMemo(Memo), FSource(Source), FPanel(Panel) {
    FNoticed.setSingleShot(true);
    FNoticed.setInterval(100);
    FRetry.setInterval(3000);
    FWatch.setInterval(30000);
    connect(&FNoticed, &QTimer::timeout, this, &TStoreSync::CheckStore);
    connect(&FRetry, &QTimer::timeout, this, &TStoreSync::Retry);
    connect(&FWatch, &QTimer::timeout, this, &TStoreSync::Watch);
    connect(&Source, &zoZezo::TDataSource::ConflictChanged, this, &TStoreSync::ShowConflict);
    // A conflict met again may bring a newer version of theirs.
    connect(&Source, &zoZezo::TDataSource::Error, this, &TStoreSync::ShowConflict);
    connect(&Source, &zoZezo::TDataSource::Error, this, &TStoreSync::AfterFailure);
    connect(&Panel, &TConflictPanel::Chosen, this, &TStoreSync::Choose);
}

void TStoreSync::SetStore(TDocumentStore* Store) {
    if (FStore) disconnect(FStore, nullptr, this, nullptr);
    FStore = Store;
    FRetry.stop();
    FWatch.stop();
    if (!Store) return;
    connect(Store, &TDocumentStore::DocumentChanged, &FNoticed, qOverload<>(&QTimer::start));
    if (Store->Location().IsServer()) FWatch.start();
}

void TStoreSync::CheckStore() {
    if (!FStore || FRetry.isActive()) return;
    if (FStore->Refresh()) FSource.Refresh();
    AfterFailure();
}

void TStoreSync::CheckDocument() {
    if (FStore && !FRetry.isActive()) FSource.Refresh();
}

bool TStoreSync::Choose(TConflictPanel::TChoice Choice) {
    if (!FSource.InConflict()) return false;
    switch (Choice) {
    case TConflictPanel::TChoice::ccKeepMine:
        FSource.AdoptStoredRevision();
        if (!FMemo.SaveEdits()) return false;
        emit Message(tr("Your text was saved over the other version."));
        return true;
    case TConflictPanel::TChoice::ccTakeTheirs:
        FSource.Cancel();
        emit Message(tr("Your changes were dropped; the document shows the other version."));
        return true;
    case TConflictPanel::TChoice::ccMergeByHand: {
        const QString Merged = MergedText();
        FSource.AdoptStoredRevision();
        QTextCursor Cursor(FMemo.DBEditor()->document());
        Cursor.select(QTextCursor::Document);
        Cursor.insertText(Merged); // one step the user can undo
        FMemo.SetFocus();
        emit Message(tr("Both versions are in the editor now: keep what you want, then save."));
        return true;
    }
    }
    return false;
}

void TStoreSync::ShowConflict() {
    if (!FSource.InConflict()) {
        FPanel.hide();
        return;
    }
    const QSqlRecord Theirs = FSource.StoredRecord();
    FPanel.ShowConflict(Theirs.value(FMemo.GetDataField()).toString(),
                        Theirs.value(FSource.RevisionField()).toLongLong());
}

// A failure that came from a server gone away starts the attempts to reach it again.
void TStoreSync::AfterFailure() {
    if (!FStore || FRetry.isActive() || !FStore->ConnectionLost()) return;
    FRetry.start();
    emit Message(LostText());
}

QString TStoreSync::LostText() {
    return tr("The connection to the server is lost: your text stays here and is saved when the "
              "server is back.");
}

void TStoreSync::Watch() {
    if (FStore && !FRetry.isActive() && !FStore->Reachable()) AfterFailure();
}

void TStoreSync::Retry() {
    if (!FStore || !FStore->Reconnect()) return;
    FRetry.stop();
    const bool Unsaved = FMemo.Modified();
    if (Unsaved && !FMemo.SaveEdits()) return; // a conflict, say: shown already
    emit Message(Unsaved ? tr("Connected again; the document is saved.") : tr("Connected again."));
}

// The user's text, then theirs, each under a comment line that says whose it is.
QString TStoreSync::MergedText() const {
    char Open = '{', Close = '}';
    if (const zoZezo::TzoZezoEvaluator* Evaluator = FMemo.zoZezoEvaluator()) {
        Open = Evaluator->OpenComment;
        Close = Evaluator->CloseComment;
    }
    const QSqlRecord Theirs = FSource.StoredRecord();
    auto Heading = [&](const QString& Text) {
        return QString("%1 %2 %3\n").arg(QString(QChar(Open)), Text, QString(QChar(Close)));
    };
    return Heading(tr("Your text:")) + FMemo.DBEditor()->Text() + '\n' +
           Heading(tr("Their version (revision %1):")
                       .arg(Theirs.value(FSource.RevisionField()).toLongLong())) +
           Theirs.value(FMemo.GetDataField()).toString();
}

} // namespace workbench
