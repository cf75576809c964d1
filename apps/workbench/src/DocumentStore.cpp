#include "DocumentStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QUuid>

namespace workbench {
namespace {

// No write permission for anyone, or none for this user: the file is not to be changed,
// also when the process could (root ignores permissions).
bool IsWriteProtected(const QFileInfo& File) {
    // The mode bits, not WriteUser: that one follows what the process may do.
    constexpr auto AnyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return File.exists() && (!(File.permissions() & AnyWrite) || !File.isWritable());
}

QString DatabaseMessage(const QSqlError& Error) {
    const QString Text = Error.databaseText().isEmpty() ? Error.text() : Error.databaseText();
    return Text.isEmpty() ? QObject::tr("unknown database error") : Text;
}

} // namespace

TDocumentStore::TDocumentStore(QObject* Parent)
    : QObject(Parent),
      FConnection("workbench-" + QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

TDocumentStore::~TDocumentStore() {
    Close();
}

bool TDocumentStore::Open(const QString& Path) {
    Close();
    FErrorText.clear();
    if (OpenFile(Path)) return true;
    Close();
    return false;
}

bool TDocumentStore::OpenFile(const QString& Path) {
    const QFileInfo File(Path);
    if (File.exists() && !File.isFile())
        return Fail(tr("'%1' is not a file").arg(QDir::toNativeSeparators(Path)));
    if (!File.exists() && !QDir().mkpath(File.absolutePath()))
        return Fail(
            tr("cannot create the folder '%1'").arg(QDir::toNativeSeparators(File.absolutePath())));
    FReadOnly = IsWriteProtected(File);
    {
        QSqlDatabase Database = QSqlDatabase::addDatabase("QSQLITE", FConnection);
        Database.setDatabaseName(Path);
        if (FReadOnly) Database.setConnectOptions("QSQLITE_OPEN_READONLY");
        if (!Database.open()) {
            const QString Reason = DatabaseMessage(Database.lastError());
            return Fail(tr("cannot open '%1': %2").arg(QDir::toNativeSeparators(Path), Reason));
        }
    }
    FPath = Path;
    bool Created = false;
    if (!CreateSchema(Created)) return false;
    FModel = std::make_unique<QSqlTableModel>(nullptr, QSqlDatabase::database(FConnection, false));
    FModel->setTable("documents");
    FModel->setEditStrategy(QSqlTableModel::OnManualSubmit);
    FModel->setSort(dcId, Qt::AscendingOrder);
    if (!FModel->select()) return Fail(DatabaseMessage(FModel->lastError()));
    if (Created && !AddExamples()) return false;
    return true;
}

// Reads the file's own table of contents first: that is where a file that is not an SQLite
// database is found out, before anything could be written to it.
bool TDocumentStore::CreateSchema(bool& Created) {
    QSqlDatabase Database = QSqlDatabase::database(FConnection, false);
    QSqlQuery Query(Database);
    if (!Query.exec("SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'documents'"))
        return Fail(tr("'%1' is not a document database: %2")
                        .arg(QDir::toNativeSeparators(FPath), DatabaseMessage(Query.lastError())));
    Created = !Query.next();
    if (Created) {
        if (FReadOnly)
            return Fail(tr("'%1' is read-only and holds no documents")
                            .arg(QDir::toNativeSeparators(FPath)));
        if (!Query.exec("CREATE TABLE documents (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                        "name TEXT NOT NULL, body TEXT NOT NULL DEFAULT '')"))
            return Fail(
                tr("cannot create the documents of '%1': %2")
                    .arg(QDir::toNativeSeparators(FPath), DatabaseMessage(Query.lastError())));
        return true;
    }
    const QSqlRecord Columns = Database.record("documents");
    for (const char* Column : {"id", "name", "body"})
        if (Columns.indexOf(Column) < 0)
            return Fail(tr("'%1' has a table 'documents' without the column '%2'")
                            .arg(QDir::toNativeSeparators(FPath), Column));
    return true;
}

bool TDocumentStore::AddExamples() {
    const QDir Examples(":/examples");
    for (const QFileInfo& Example : Examples.entryInfoList({"*.zez"}, QDir::Files, QDir::Name)) {
        QFile Source(Example.filePath());
        if (!Source.open(QIODevice::ReadOnly)) continue;
        int Row = -1;
        if (!Create(Example.completeBaseName(), QString::fromUtf8(Source.readAll()), Row))
            return false;
    }
    return true;
}

void TDocumentStore::Close() {
    FModel.reset();
    FPath.clear();
    FReadOnly = false;
    if (QSqlDatabase::contains(FConnection)) {
        QSqlDatabase::database(FConnection, false).close();
        QSqlDatabase::removeDatabase(FConnection);
    }
}

bool TDocumentStore::IsOpen() const {
    return FModel != nullptr;
}

bool TDocumentStore::Fail(const QString& Text) {
    FErrorText = Text;
    return false;
}

int TDocumentStore::Count() const {
    return FModel ? FModel->rowCount() : 0;
}

QString TDocumentStore::Name(int Row) const {
    return FModel ? FModel->data(FModel->index(Row, dcName)).toString() : QString();
}

QString TDocumentStore::Body(int Row) const {
    return FModel ? FModel->data(FModel->index(Row, dcBody)).toString() : QString();
}

qint64 TDocumentStore::IdOfRow(int Row) const {
    return FModel ? FModel->data(FModel->index(Row, dcId)).toLongLong() : -1;
}

int TDocumentStore::RowOfId(qint64 Id) const {
    for (int Row = 0; Row < Count(); ++Row)
        if (IdOfRow(Row) == Id) return Row;
    return -1;
}

// Writes the model's pending changes, or drops them and keeps the database's reason.
bool TDocumentStore::Submit() {
    FErrorText.clear();
    if (FModel->submitAll()) return true;
    const QString Reason = DatabaseMessage(FModel->lastError());
    FModel->revertAll();
    return Fail(Reason);
}

bool TDocumentStore::Create(const QString& Name, const QString& Body, int& Row) {
    Row = -1;
    if (!FModel) return Fail(tr("no database is open"));
    QSqlRecord Record = FModel->record();
    Record.remove(Record.indexOf("id"));
    Record.setValue("name", Name);
    Record.setValue("body", Body.isNull() ? QString("") : Body); // a null QString is NULL
    if (!FModel->insertRecord(-1, Record)) return Fail(DatabaseMessage(FModel->lastError()));
    if (!Submit()) return false;
    Row = Count() - 1; // ordered by id, and a new id is the largest
    return true;
}

bool TDocumentStore::Rename(int Row, const QString& Name) {
    if (!FModel || Row < 0 || Row >= Count()) return Fail(tr("no such document"));
    FModel->setData(FModel->index(Row, dcName), Name);
    return Submit();
}

bool TDocumentStore::Remove(int Row) {
    if (!FModel || Row < 0 || Row >= Count()) return Fail(tr("no such document"));
    FModel->removeRow(Row);
    return Submit();
}

bool TDocumentStore::SetBody(int Row, const QString& Body) {
    if (!FModel || Row < 0 || Row >= Count()) return Fail(tr("no such document"));
    FModel->setData(FModel->index(Row, dcBody), Body.isNull() ? QString("") : Body);
    return Submit();
}

QString TDocumentStore::UnusedName() const {
    const QString Base = tr("Untitled");
    auto Taken = [this](const QString& Candidate) {
        for (int Row = 0; Row < Count(); ++Row)
            if (Name(Row).compare(Candidate, Qt::CaseInsensitive) == 0) return true;
        return false;
    };
    QString Candidate = Base;
    for (int K = 2; Taken(Candidate); ++K)
        Candidate = QString("%1 %2").arg(Base).arg(K);
    return Candidate;
}

} // namespace workbench
