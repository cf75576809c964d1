#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

// A SQLite file in a temporary folder holding the table "docs" (id, title, body), and named
// connections to it. The connections wait for no lock, so that a locked database fails at once.
class TTestDatabase {
public:
    TTestDatabase();
    ~TTestDatabase();
    TTestDatabase(const TTestDatabase&) = delete;
    TTestDatabase& operator=(const TTestDatabase&) = delete;

    QString Path() const { return FPath; }
    // The connection the controls under test use.
    QSqlDatabase Main() const { return QSqlDatabase::database(FMain); }
    // Another connection, as another program would hold it; opened on first use.
    QSqlDatabase Other();
    // A connection that may only read the file.
    QSqlDatabase ReadOnly();

    // Adds a record through the other connection; returns its id.
    int Insert(const QString& Title, const QVariant& Body);
    // The body of record Id as the other connection reads it (null when NULL or missing).
    QVariant Body(int Id);
    // Runs a statement on the other connection; fails the test on an error.
    void Exec(const QString& Sql);

private:
    QSqlDatabase Open(const QString& Name, const QString& Options);

    QTemporaryDir FDir;
    QString FPath;
    QString FMain;
    QString FOther;
    QString FReadOnly;
};
