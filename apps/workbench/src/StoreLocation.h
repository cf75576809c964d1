#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QSqlDatabase;

namespace workbench {

// Where a document store lives: an SQLite file, or a database on a PostgreSQL server named by
// a connection URL as libpq reads it:
//
//   postgresql://[user[:password]@][host][:port][/dbname][?param=value&...]
//
// The parameters `host` (a Unix socket folder, say), `port`, `user` and `dbname` override the
// URL's parts; any other (sslmode, connect_timeout, options, ...) goes to the server's client
// library as it is. Without a password the client library looks in PGPASSWORD and ~/.pgpass.
// A password is kept for the session only: Text() leaves it out.
struct TStoreLocation {
    QString Path; // the SQLite file; empty for a server
    QString Host;
    int Port = -1;
    QString Database;
    QString User;
    QString Password;
    QList<QPair<QString, QString>> Parameters; // the client library's own, as named in the URL

    // Reads a file path or a connection URL. Returns false, with Error saying why, for a URL
    // that cannot be read.
    static bool Parse(const QString& Text, TStoreLocation& Location, QString& Error);

    bool IsServer() const { return Path.isEmpty(); }
    // The location as the user gives it, without the password: the file's path, or the URL.
    QString Text() const;
    // "dbname on host:port" for messages; the file's native path for a file.
    QString Display() const;
    // Adds a connection for this location under Name (not opened).
    QSqlDatabase AddConnection(const QString& Name) const;
};

} // namespace workbench
