#include "StoreTransaction.h"

#include <QObject>
#include <QSqlError>

namespace workbench {

QString DatabaseMessage(const QSqlError& Error) {
    const QString Text =
        (Error.databaseText().isEmpty() ? Error.text() : Error.databaseText()).trimmed();
    return Text.isEmpty() ? QObject::tr("unknown database error") : Text;
}

TStoreTransaction::TStoreTransaction(QSqlDatabase Database)
    : FDatabase(std::move(Database)), FQuery(FDatabase) {
    FOpen = Exec(FDatabase.driverName() == "QSQLITE" ? "BEGIN IMMEDIATE" : "BEGIN");
}

TStoreTransaction::~TStoreTransaction() {
    if (FOpen) Finish("ROLLBACK");
}

bool TStoreTransaction::Exec(const QString& Sql, const QVariantList& Values) {
    if (Failed()) return false;
    FQuery.finish();
    // Without values, no prepared statement: PostgreSQL prepares only queries and changes of
    // rows, not BEGIN or CREATE.
    bool Done = false;
    if (Values.isEmpty()) {
        Done = FQuery.exec(Sql);
    } else if (FQuery.prepare(Sql)) {
        for (const QVariant& Value : Values)
            FQuery.addBindValue(Value);
        Done = FQuery.exec();
    }
    if (!Done) Fail(FQuery.lastError());
    return Done;
}

bool TStoreTransaction::Commit() {
    if (!FOpen) return false;
    if (Failed()) {
        Finish("ROLLBACK");
        return false;
    }
    FQuery.finish();
    FOpen = false;
    if (FQuery.exec("COMMIT")) return true;
    Fail(FQuery.lastError());
    Finish("ROLLBACK");
    return false;
}

void TStoreTransaction::Fail(const QSqlError& Error) {
    if (FError.isEmpty()) FError = DatabaseMessage(Error);
}

void TStoreTransaction::Finish(const char* Statement) {
    FOpen = false;
    FQuery.finish();
    QSqlQuery(FDatabase).exec(Statement);
}

} // namespace workbench
