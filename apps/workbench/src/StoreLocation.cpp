#include "StoreLocation.h"

#include <QDir>
#include <QSqlDatabase>
#include <QUrl>
#include <QUrlQuery>

namespace workbench {
namespace {

bool IsServerUrl(const QString& Text) {
    return Text.startsWith("postgresql://", Qt::CaseInsensitive) ||
           Text.startsWith("postgres://", Qt::CaseInsensitive);
}

// Parameters the workbench gives unless the URL does: how long a connection may take before the
// client library gives up (a server that does not answer would otherwise keep the window waiting
// for minutes), and the name the server's administrators see.
const QList<QPair<QString, QString>> DefaultParameters{{"connect_timeout", "10"},
                                                       {"application_name", "zezo-workbench"}};

// A parameter as the client library reads it: the value quoted, so that blanks may stand in it.
QString ConnectOption(const QString& Key, QString Value) {
    Value.replace('\\', "\\\\").replace('\'', "\\'");
    return QString("%1='%2'").arg(Key, Value);
}

} // namespace

bool TStoreLocation::Parse(const QString& Text, TStoreLocation& Location, QString& Error) {
    Location = {};
    if (Text.trimmed().isEmpty()) {
        Error = QObject::tr("no store was named");
        return false;
    }
    if (!IsServerUrl(Text)) {
        Location.Path = Text;
        return true;
    }
    const QUrl Url(Text, QUrl::StrictMode);
    if (!Url.isValid()) {
        Error = QObject::tr("'%1' is not a connection URL: %2").arg(Text, Url.errorString());
        return false;
    }
    Location.Host = Url.host();
    Location.Port = Url.port();
    Location.Database = Url.path().mid(1);
    Location.User = Url.userName();
    Location.Password = Url.password();
    for (const auto& [Key, Value] : QUrlQuery(Url).queryItems(QUrl::FullyDecoded)) {
        if (Key == "host") {
            Location.Host = Value;
        } else if (Key == "port") {
            bool Ok = false;
            Location.Port = Value.toInt(&Ok);
            if (!Ok) {
                Error = QObject::tr("'%1' is not a port number").arg(Value);
                return false;
            }
        } else if (Key == "dbname") {
            Location.Database = Value;
        } else if (Key == "user") {
            Location.User = Value;
        } else if (Key == "password") {
            Location.Password = Value;
        } else {
            Location.Parameters.append({Key, Value});
        }
    }
    return true;
}

QString TStoreLocation::Text() const {
    if (!IsServer()) return Path;
    QUrl Url;
    Url.setScheme("postgresql");
    Url.setUserName(User);
    const bool SocketFolder = Host.startsWith('/');
    if (!SocketFolder) Url.setHost(Host);
    if (Port > 0) Url.setPort(Port);
    Url.setPath('/' + Database);
    QUrlQuery Query;
    if (SocketFolder) Query.addQueryItem("host", Host);
    for (const auto& [Key, Value] : Parameters)
        Query.addQueryItem(Key, Value);
    Url.setQuery(Query);
    return Url.toString();
}

QString TStoreLocation::Display() const {
    if (!IsServer()) return QDir::toNativeSeparators(Path);
    const QString Server = Host.isEmpty() ? QObject::tr("the local server") : Host;
    return QObject::tr("'%1' on %2")
        .arg(Database.isEmpty() ? User : Database,
             Port > 0 ? QString("%1:%2").arg(Server).arg(Port) : Server);
}

QSqlDatabase TStoreLocation::AddConnection(const QString& Name) const {
    QSqlDatabase Database = QSqlDatabase::addDatabase(IsServer() ? "QPSQL" : "QSQLITE", Name);
    if (!IsServer()) {
        Database.setDatabaseName(Path);
        return Database;
    }
    Database.setHostName(Host);
    if (Port > 0) Database.setPort(Port);
    Database.setDatabaseName(this->Database);
    Database.setUserName(User);
    if (!Password.isEmpty()) Database.setPassword(Password);
    QStringList Options;
    QStringList Given;
    for (const auto& [Key, Value] : Parameters) {
        Options << ConnectOption(Key, Value);
        Given << Key;
    }
    for (const auto& [Key, Value] : DefaultParameters)
        if (!Given.contains(Key)) Options << ConnectOption(Key, Value);
    Database.setConnectOptions(Options.join(';'));
    return Database;
}

} // namespace workbench
