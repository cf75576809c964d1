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

TTestDatabase::TTestDatabase()
    : FPath(FDir.filePath(QStringLiteral("equations.sqlite"))), FMain(UniqueName("main")) {
    QSqlDatabase Db = Open(FMain, QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
    QSqlQuery Query(Db);
    EXPECT_TRUE(Query.exec(
        QStringLiteral("CREATE TABLE docs (id INTEGER PRIMARY KEY, title TEXT NOT NULL, body TEXT,"
                       " CHECK (body IS NULL OR body NOT LIKE '%#reject#%'))")))
        << Query.lastError().text().toStdString();
}

TTestDatabase::~TTestDatabase() {
    for (const QString& Name : {FMain, FOther, FReadOnly}) {
        if (Name.isEmpty()) continue;
        QSqlDatabase::database(Name, false).close();
        QSqlDatabase::removeDatabase(Name);
    }
}

QSqlDatabase TTestDatabase::Open(const QString& Name, const QString& Options) {
    QSqlDatabase Db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Name);
    Db.setDatabaseName(FPath);
    Db.setConnectOptions(Options);
    EXPECT_TRUE(Db.open()) << Db.lastError().text().toStdString();
    // Test files need not survive a power cut: no waiting for the disk.
    QSqlQuery(Db).exec(QStringLiteral("PRAGMA synchronous = OFF"));
    return Db;
}

QSqlDatabase TTestDatabase::Other() {
    if (FOther.isEmpty()) {
        FOther = UniqueName("other");
        Open(FOther, QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
    }
    return QSqlDatabase::database(FOther);
}

QSqlDatabase TTestDatabase::ReadOnly() {
    if (FReadOnly.isEmpty()) {
        FReadOnly = UniqueName("readonly");
        Open(FReadOnly, QStringLiteral("QSQLITE_BUSY_TIMEOUT=0;QSQLITE_OPEN_READONLY"));
    }
    return QSqlDatabase::database(FReadOnly);
}

int TTestDatabase::Insert(const QString& Title, const QVariant& Body) {
    QSqlQuery Query(Other());
    Query.prepare(QStringLiteral("INSERT INTO docs (title, body) VALUES (?, ?)"));
    Query.addBindValue(Title);
    Query.addBindValue(Body);
    EXPECT_TRUE(Query.exec()) << Query.lastError().text().toStdString();
    return Query.lastInsertId().toInt();
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
