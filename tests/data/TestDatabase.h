#pragma once

#include "TestServer.h"

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

// A database holding the table "docs" (id, title, body), and named connections to it: an SQLite
// file in a temporary folder, or a schema of its own on the PostgreSQL test server (nothing is
// made when that server is not there: the fixture skips). The connections wait for no lock,
// so that a locked table fails at once.
class TTestDatabase {
public:
    explicit TTestDatabase(TBackend Backend = TBackend::SQLite);
    ~TTestDatabase();
    TTestDatabase(const TTestDatabase&) = delete;
    TTestDatabase& operator=(const TTestDatabase&) = delete;

    TBackend Backend() const { return FBackend; }
    // The connection the controls under test use.
    QSqlDatabase Main() const { return QSqlDatabase::database(FMain); }
    // Another connection, as another program would hold it; opened on first use.
    QSqlDatabase Other();
    // A connection that may only read.
    QSqlDatabase ReadOnly();

    // Adds a record through the other connection; returns its id.
    int Insert(const QString& Title, const QVariant& Body);
    // The body of record Id as the other connection reads it (null when NULL or missing).
    QVariant Body(int Id);
    // Runs a statement on the other connection; fails the test on an error.
    void Exec(const QString& Sql);
    // Locks the table "docs" against writes through the other connection, until Unlock().
    void Lock();
    void Unlock();
    // What the database says of a write that met the lock.
    QString LockedMessage() const;

private:
    QSqlDatabase Open(const QString& Name, const QString& Options);

    TBackend FBackend;
    QTemporaryDir FDir;
    std::unique_ptr<TServerSchema> FSchema;
    QString FMain;
    QString FOther;
    QString FReadOnly;
};
