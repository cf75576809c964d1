#include "DocumentStore.h"

#include "StoreSchema.h"
#include "StoreTransaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QUuid>
#include <charconv>

namespace workbench {
namespace {

// No write permission for anyone, or none for this user: the file is not to be changed,
// also when the process could (root ignores permissions).
bool IsWriteProtected(const QFileInfo& File) {
    // The mode bits, not WriteUser: that one follows what the process may do.
    constexpr auto AnyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return File.exists() && (!(File.permissions() & AnyWrite) || !File.isWritable());
}

// What the server said when it wants a password: none was given, or a wrong one. (Its words,
// as the client library has no code for them.)
bool AsksForPassword(const QString& Message) {
    return Message.contains("password", Qt::CaseInsensitive);
}

// Whose last document is kept: the account the workbench runs under.
QString UserName() {
    const QString User = qEnvironmentVariable("USER");
    return User.isEmpty() ? QDir::home().dirName() : User;
}

// A number as text that reads back to the same long double, in any locale.
QString StoredNumber(long double Value) {
    char Text[64];
    const auto End = std::to_chars(Text, Text + sizeof Text, Value).ptr;
    return QString::fromLatin1(Text, End - Text);
}

long double ReadNumber(const QString& Text) {
    const QByteArray Bytes = Text.toLatin1();
    long double Value = 0;
    std::from_chars(Bytes.data(), Bytes.data() + Bytes.size(), Value);
    return Value;
}

QString PlotJson(const TPlotSettings& Settings) {
    return QString::fromUtf8(QJsonDocument(Settings.ToJson()).toJson(QJsonDocument::Compact));
}

std::optional<TPlotSettings> ReadPlotJson(const QString& Text) {
    const QJsonDocument Json = QJsonDocument::fromJson(Text.toUtf8());
    if (!Json.isObject()) return std::nullopt;
    return TPlotSettings::FromJson(Json.object());
}

} // namespace

TDocumentStore::TDocumentStore(QObject* Parent)
    : QObject(Parent),
      FConnection("workbench-" + QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

TDocumentStore::~TDocumentStore() {
    Close();
}

bool TDocumentStore::Open(const QString& Location) {
    TStoreLocation Parsed;
    QString Error;
    if (!TStoreLocation::Parse(Location, Parsed, Error)) return Fail(Error);
    return Open(Parsed, {}) == TOpenResult::orOpened;
}

TDocumentStore::TOpenResult TDocumentStore::Open(const TStoreLocation& Location,
                                                 const TOpenOptions& Options) {
    Close();
    FErrorText.clear();
    const TOpenResult Result = OpenStore(Location, Options);
    if (Result != TOpenResult::orOpened) Close();
    return Result;
}

TDocumentStore::TOpenResult TDocumentStore::OpenStore(const TStoreLocation& Location,
                                                      const TOpenOptions& Options) {
    if (!Location.IsServer() && !CheckFile(Location, Options)) return TOpenResult::orFailed;
    FLocation = Location;
    {
        QSqlDatabase Database = Location.AddConnection(FConnection);
        if (FReadOnly) Database.setConnectOptions("QSQLITE_OPEN_READONLY");
        if (!Database.open()) {
            const QString Reason = DatabaseMessage(Database.lastError());
            Fail(tr("cannot open %1: %2").arg(Location.Display(), Reason));
            return Location.IsServer() && AsksForPassword(Reason) ? TOpenResult::orPasswordNeeded
                                                                  : TOpenResult::orFailed;
        }
    }
    bool Created = false;
    const TOpenResult Prepared = PrepareSchema(Options, Created);
    if (Prepared != TOpenResult::orOpened) return Prepared;
    FModel = std::make_unique<QSqlTableModel>(nullptr, Database());
    FModel->setTable("documents");
    FModel->setEditStrategy(QSqlTableModel::OnManualSubmit);
    FModel->setSort(dcId, Qt::AscendingOrder);
    if (!FModel->select()) {
        Fail(DatabaseMessage(FModel->lastError()));
        return TOpenResult::orFailed;
    }
    if (Created && Options.Examples && !AddExamples()) return TOpenResult::orFailed;
    Subscribe();
    return TOpenResult::orOpened;
}

bool TDocumentStore::CheckFile(const TStoreLocation& Location, const TOpenOptions& Options) {
    const QFileInfo File(Location.Path);
    const QString Shown = QDir::toNativeSeparators(Location.Path);
    if (File.exists() && !File.isFile()) return Fail(tr("'%1' is not a file").arg(Shown));
    if (File.exists() && Options.MustBeNew)
        return Fail(tr("'%1' exists already: a new store needs a new file").arg(Shown));
    if (!File.exists() && !QDir().mkpath(File.absolutePath()))
        return Fail(
            tr("cannot create the folder '%1'").arg(QDir::toNativeSeparators(File.absolutePath())));
    FReadOnly = IsWriteProtected(File);
    return true;
}

// Reads what the database holds first: that is where a file that is not an SQLite database is
// found out, before anything could be written to it.
TDocumentStore::TOpenResult TDocumentStore::PrepareSchema(const TOpenOptions& Options,
                                                          bool& Created) {
    using StoreSchema::TInspection;
    QSqlDatabase Database = this->Database();
    const TInspection Found = StoreSchema::Inspect(Database);
    const QString Shown = FLocation.Display();
    switch (Found.State) {
    case TInspection::isCurrent: return TOpenResult::orOpened;
    case TInspection::isBroken:
        Fail(tr("%1 is not a document database: %2").arg(Shown, Found.Error));
        return TOpenResult::orFailed;
    case TInspection::isNewer:
        Fail(tr("%1 was made by a newer workbench (store version %2; this one knows up to %3); "
                "it is left unchanged")
                 .arg(Shown)
                 .arg(Found.Version)
                 .arg(StoreSchema::CurrentVersion));
        return TOpenResult::orFailed;
    case TInspection::isForeign:
        if (!Options.MaySetUpBeside) {
            Fail(tr("%1 holds other tables (%2) but no documents of the workbench")
                     .arg(Shown, Found.Tables.join(", ")));
            return TOpenResult::orConsentNeeded;
        }
        break;
    case TInspection::isOlder:
        if (FReadOnly) return TOpenResult::orOpened; // read as it is, without revisions
        break;
    case TInspection::isEmpty:
        if (FReadOnly) {
            Fail(tr("%1 is read-only and holds no documents").arg(Shown));
            return TOpenResult::orFailed;
        }
        break;
    }
    QString Error;
    if (!StoreSchema::SetUp(Database, Error)) {
        Fail(tr("cannot set up the documents of %1: %2").arg(Shown, Error));
        return TOpenResult::orFailed;
    }
    Created = Found.State == TInspection::isEmpty || Found.State == TInspection::isForeign;
    return TOpenResult::orOpened;
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

void TDocumentStore::Subscribe() {
    QSqlDriver* Driver = Database().driver();
    if (!FLocation.IsServer() || !Driver->hasFeature(QSqlDriver::EventNotifications)) return;
    QSqlQuery Schema(Database());
    if (Schema.exec("SELECT current_schema()") && Schema.next())
        FSchema = Schema.value(0).toString();
    Driver->subscribeToNotification(StoreSchema::ChangeChannel);
    connect(Driver, &QSqlDriver::notification, this, &TDocumentStore::Notified,
            Qt::UniqueConnection);
}

void TDocumentStore::Notified(const QString& Name, QSqlDriver::NotificationSource Source,
                              const QVariant& Payload) {
    const QString Text = Payload.toString();
    if (Name == StoreSchema::ChangeChannel && Source != QSqlDriver::SelfSource &&
        Text.section(' ', 1) == FSchema)
        emit DocumentChanged(Text.section(' ', 0, 0).toLongLong());
}

void TDocumentStore::Close() {
    FModel.reset();
    FLocation = {};
    FSchema.clear();
    FReadOnly = false;
    if (QSqlDatabase::contains(FConnection)) {
        QSqlDatabase::database(FConnection, false).close();
        QSqlDatabase::removeDatabase(FConnection);
    }
}

bool TDocumentStore::IsOpen() const {
    return FModel != nullptr;
}

QSqlDatabase TDocumentStore::Database() const {
    return QSqlDatabase::database(FConnection, false);
}

bool TDocumentStore::Fail(const QString& Text) {
    FErrorText = Text;
    return false;
}

// After a write: reads the documents again when it succeeded, keeps the reason when not.
bool TDocumentStore::Changed(bool Written, const QString& Error) {
    if (!Written) return Fail(Error);
    FErrorText.clear();
    FModel->select();
    return true;
}

bool TDocumentStore::CheckRow(int Row) {
    return (FModel && Row >= 0 && Row < Count()) || Fail(tr("no such document"));
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

bool TDocumentStore::Create(const QString& Name, const QString& Body, int& Row) {
    Row = -1;
    if (!FModel) return Fail(tr("no database is open"));
    TStoreTransaction Transaction(Database());
    Transaction.Exec("INSERT INTO documents (name, body) VALUES (?, ?) RETURNING id",
                     {Name, Body.isNull() ? QString("") : Body}); // a null QString is NULL
    const qint64 Id = Transaction.Query().next() ? Transaction.Query().value(0).toLongLong() : -1;
    if (!Changed(Transaction.Commit(), Transaction.Error())) return false;
    Row = RowOfId(Id);
    return true;
}

bool TDocumentStore::Rename(int Row, const QString& Name) {
    if (!CheckRow(Row)) return false;
    TStoreTransaction Transaction(Database());
    Transaction.Exec("UPDATE documents SET name = ? WHERE id = ?", {Name, IdOfRow(Row)});
    return Changed(Transaction.Commit(), Transaction.Error());
}

bool TDocumentStore::Remove(int Row) {
    if (!CheckRow(Row)) return false;
    const qint64 Id = IdOfRow(Row);
    TStoreTransaction Transaction(Database());
    for (const char* Table : {"document_variables", "document_plots"})
        Transaction.Exec(QString("DELETE FROM %1 WHERE document_id = ?").arg(Table), {Id});
    Transaction.Exec("DELETE FROM documents WHERE id = ?", {Id});
    return Changed(Transaction.Commit(), Transaction.Error());
}

bool TDocumentStore::SetBody(int Row, const QString& Body) {
    if (!CheckRow(Row)) return false;
    TStoreTransaction Transaction(Database());
    Transaction.Exec("UPDATE documents SET body = ?, revision = revision + 1 WHERE id = ?",
                     {Body.isNull() ? QString("") : Body, IdOfRow(Row)});
    return Changed(Transaction.Commit(), Transaction.Error());
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

bool TDocumentStore::Refresh() {
    // A select that fails empties the model: try the connection first.
    if (!Reachable()) return false;
    return FModel->select() || Fail(DatabaseMessage(FModel->lastError()));
}

bool TDocumentStore::Reachable() {
    if (!FModel) return Fail(tr("no database is open"));
    QSqlQuery Probe(Database());
    return Probe.exec("SELECT 1") || Fail(DatabaseMessage(Probe.lastError()));
}

bool TDocumentStore::ConnectionLost() const {
    return FModel && !Database().isOpen();
}

bool TDocumentStore::Reconnect() {
    if (!FModel) return Fail(tr("no database is open"));
    if (!ConnectionLost()) return true;
    QSqlDatabase Database = this->Database();
    if (!Database.open())
        return Fail(tr("cannot connect to %1: %2")
                        .arg(FLocation.Display(), DatabaseMessage(Database.lastError())));
    Subscribe();
    return Refresh();
}

std::vector<TVariableCell> TDocumentStore::Variables(qint64 Id) {
    std::vector<TVariableCell> Cells;
    if (!FModel) return Cells;
    QSqlQuery Query(Database());
    Query.prepare("SELECT name, re, im FROM document_variables WHERE document_id = ? "
                  "ORDER BY position");
    Query.addBindValue(Id);
    if (!Query.exec()) return Cells;
    while (Query.next())
        Cells.push_back({Query.value(0).toString().toStdString(),
                         ReadNumber(Query.value(1).toString()),
                         ReadNumber(Query.value(2).toString())});
    return Cells;
}

bool TDocumentStore::SetVariables(qint64 Id, const std::vector<TVariableCell>& Variables) {
    if (!FModel) return Fail(tr("no database is open"));
    TStoreTransaction Transaction(Database());
    Transaction.Exec("DELETE FROM document_variables WHERE document_id = ?", {Id});
    int Position = 0;
    for (const TVariableCell& Cell : Variables)
        Transaction.Exec("INSERT INTO document_variables (document_id, position, name, re, im) "
                         "VALUES (?, ?, ?, ?, ?)",
                         {Id, Position++, QString::fromStdString(Cell.Name), StoredNumber(Cell.Re),
                          StoredNumber(Cell.Im)});
    return Transaction.Commit() || Fail(Transaction.Error());
}

std::optional<TPlotSettings> TDocumentStore::PlotSettings(qint64 Id) {
    if (!FModel) return std::nullopt;
    QSqlQuery Query(Database());
    Query.prepare("SELECT settings FROM document_plots WHERE document_id = ?");
    Query.addBindValue(Id);
    if (!Query.exec() || !Query.next()) return std::nullopt;
    return ReadPlotJson(Query.value(0).toString());
}

bool TDocumentStore::SetPlotSettings(qint64 Id, const TPlotSettings& Settings) {
    if (!FModel) return Fail(tr("no database is open"));
    TStoreTransaction Transaction(Database());
    Transaction.Exec("INSERT INTO document_plots (document_id, settings) VALUES (?, ?) "
                     "ON CONFLICT (document_id) DO UPDATE SET settings = excluded.settings",
                     {Id, PlotJson(Settings)});
    return Transaction.Commit() || Fail(Transaction.Error());
}

qint64 TDocumentStore::LastDocument() {
    if (!FModel) return -1;
    QSqlQuery Query(Database());
    Query.prepare("SELECT document_id FROM last_documents WHERE user_name = ?");
    Query.addBindValue(UserName());
    return Query.exec() && Query.next() ? Query.value(0).toLongLong() : -1;
}

bool TDocumentStore::SetLastDocument(qint64 Id) {
    if (!FModel) return Fail(tr("no database is open"));
    TStoreTransaction Transaction(Database());
    Transaction.Exec("INSERT INTO last_documents (user_name, document_id) VALUES (?, ?) "
                     "ON CONFLICT (user_name) DO UPDATE SET document_id = excluded.document_id",
                     {UserName(), Id});
    return Transaction.Commit() || Fail(Transaction.Error());
}

} // namespace workbench
