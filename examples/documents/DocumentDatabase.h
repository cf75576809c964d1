#pragma once

#include <QSqlDatabase>
#include <QString>

// The example's SQLite file of equation documents: a table "documents" (id, title, body).
// A new file gets a few sample documents.
struct TDocumentDatabase {
    // Opens (creating if needed) the file at Path as the default connection; on failure
    // returns false and sets Error to the database's message.
    static bool Open(const QString& Path, QString& Error);
};
