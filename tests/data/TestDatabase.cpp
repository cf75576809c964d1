#include "TestDatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

// A connection name no other fixture uses at the same time.
QString UniqueName(const char* Role) {
    static int Counter = 0;
    return QStringLiteral("%1-%2").arg(QLatin1String(Role)).arg(++Counter);
}

} // namespace

TTestDatabase::TTestDatabase(TBackend Backend) : FBackend(Backend), FMain(UniqueName("main")) {
    const bool Postgres = Backend == TBackend::PostgreSQL;
    if (Postgres) {
        if (!PostgresUnavailable().isEmpty()) return;
        FSchema = std::make_unique<TServerSchema>();
    }
    QSqlDatabase Db = Open(FMain, {});
    QSqlQuery Query(Db);
    EXPECT_TRUE(Query.exec(
        QStringLiteral("CREATE TABLE docs (id %1 PRIMARY KEY, title TEXT NOT NULL, body TEXT,"
                       " CHECK (body IS NULL OR body NOT LIKE '%#reject#%'))")
            .arg(Postgres ? QStringLiteral("SERIAL") : QStringLiteral("INTEGER"))))
        << Query.lastError().text().toStdString();
}

TTestDatabase::~TTestDatabase() {
    for (const QString& Name : {FMain, FOther, FReadOnly}) {
        if (Name.isEmpty() || !QSqlDatabase::contains(Name)) continue;
        QSqlDatabase::database(Name, false).close();
        QSqlDatabase::removeDatabase(Name);
    }
}

QSqlDatabase TTestDatabase::Open(const QString& Name, const QString& Options) {
    // A statement that meets a lock gives up at once, as SQLite's does without a timeout.
    if (FSchema) return FSchema->Open(Name, QStringLiteral("-clock_timeout=50 ") + Options);
    QSqlDatabase Db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Name);
    Db.setDatabaseName(FDir.filePath(QStringLiteral("equations.sqlite")));
    Db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0") +
                         (Options.isEmpty() ? QString() : ';' + Options));
    EXPECT_TRUE(Db.open()) << Db.lastError().text().toStdString();
    // Test files need not survive a power cut: no waiting for the disk.
    QSqlQuery(Db).exec(QStringLiteral("PRAGMA synchronous = OFF"));
    return Db;
}

QSqlDatabase TTestDatabase::Other() {
    if (FOther.isEmpty()) {
        FOther = UniqueName("other");
        Open(FOther, {});
    }
    return QSqlDatabase::database(FOther);
}

QSqlDatabase TTestDatabase::ReadOnly() {
    if (FReadOnly.isEmpty()) {
        FReadOnly = UniqueName("readonly");
        Open(FReadOnly, FSchema ? QStringLiteral("-cdefault_transaction_read_only=on")
                                : QStringLiteral("QSQLITE_OPEN_READONLY"));
    }
    return QSqlDatabase::database(FReadOnly);
}

int TTestDatabase::Insert(const QString& Title, const QVariant& Body) {
    QSqlQuery Query(Other());
    Query.prepare(QStringLiteral("INSERT INTO docs (title, body) VALUES (?, ?) RETURNING id"));
    Query.addBindValue(Title);
    Query.addBindValue(Body);
    EXPECT_TRUE(Query.exec()) << Query.lastError().text().toStdString();
    return Query.next() ? Query.value(0).toInt() : -1;
}

QVariant TTestDatabase::Body(int Id) {
    QSqlQuery Query(Other());
    Query.prepare(QStringLiteral("SELECT body FROM docs WHERE id = ?"));
    Query.addBindValue(Id);
    EXPECT_TRUE(Query.exec()) << Query.lastError().text().toStdString();
    return Query.next() ? Query.value(0) : QVariant();
}

void TTestDatabase::Exec(const QString& Sql) {
    QSqlQuery Query(Other());
    EXPECT_TRUE(Query.exec(Sql)) << Sql.toStdString() << ": "
                                 << Query.lastError().text().toStdString();
}

void TTestDatabase::Lock() {
    if (FSchema) {
        Exec(QStringLiteral("BEGIN"));
        Exec(QStringLiteral("LOCK TABLE docs IN EXCLUSIVE MODE"));
    } else {
        Exec(QStringLiteral("BEGIN IMMEDIATE"));
    }
}

void TTestDatabase::Unlock() {
    Exec(QStringLiteral("ROLLBACK"));
}

QString TTestDatabase::LockedMessage() const {
    return FSchema ? QStringLiteral("lock timeout") : QStringLiteral("database is locked");
}
