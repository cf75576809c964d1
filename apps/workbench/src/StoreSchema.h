#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace workbench {

// The tables of a document store and their version.
//
// Version 1 is the table `documents` (id, name, body) alone, as the first workbench made it.
// Version 2 adds a revision to every document, the tables of each document's variables and
// plot settings, each user's last document, the version itself (`zezo_schema`), and on
// PostgreSQL a notice on the channel `zezo_documents` whenever a document is added, changed or
// deleted: the document's id and the schema of its table, separated by a blank.
//
// Tables are looked for in the connection's current schema (PostgreSQL) or the file (SQLite).
namespace StoreSchema {

constexpr int CurrentVersion = 2;
// The channel of the notices that a document changed (PostgreSQL).
constexpr const char* ChangeChannel = "zezo_documents";

// What a database holds, seen from the workbench.
struct TInspection {
    enum TState {
        isEmpty,   // no tables at all: set up without asking
        isCurrent, // the workbench's tables of this version
        isOlder,   // the workbench's tables of an older version: upgraded on opening
        isNewer,   // made by a newer workbench: refused
        isForeign, // other tables, none of the workbench's: changed only with consent
        isBroken,  // a table `documents` that is not the workbench's, or unreadable
    };
    TState State = isBroken;
    int Version = 0;
    QStringList Tables; // every table there, for telling the user what the database holds
    QString Error;      // why the database is broken
};

TInspection Inspect(QSqlDatabase& Database);

// Creates the tables (in an empty or foreign database) or upgrades them to CurrentVersion, in one
// transaction that also inspects the database again, so that two workbenches opening the same
// new database at once set it up once. Returns false, with Error, when the database refused;
// nothing is changed then.
bool SetUp(QSqlDatabase& Database, QString& Error);

} // namespace StoreSchema
} // namespace workbench
