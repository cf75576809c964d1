#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

namespace workbench {

// One transaction on a store's connection, rolled back unless committed. On SQLite it takes the
// write lock at once (BEGIN IMMEDIATE), so that two writers wait for each other rather than one
// failing half-way through.
//
// The first statement that fails ends it: later ones do nothing, Commit() rolls back, and
// Error() says what the database answered.
class TStoreTransaction {
public:
    explicit TStoreTransaction(QSqlDatabase Database);
    ~TStoreTransaction();
    TStoreTransaction(const TStoreTransaction&) = delete;
    TStoreTransaction& operator=(const TStoreTransaction&) = delete;

    // Runs a statement with its values bound in order; false once anything failed.
    bool Exec(const QString& Sql, const QVariantList& Values = {});
    // The query of the last Exec, to read rows from.
    QSqlQuery& Query() { return FQuery; }
    bool Commit();
    bool Failed() const { return !FError.isEmpty(); }
    QString Error() const { return FError; }

private:
    void Fail(const QSqlError& Error);
    void Finish(const char* Statement);

    QSqlDatabase FDatabase;
    QSqlQuery FQuery;
    QString FError;
    bool FOpen = false;
};

// The database's own words for an error, or Qt's where the database gave none.
QString DatabaseMessage(const QSqlError& Error);

} // namespace workbench
