#include "TestServer.h"

#include <QMap>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUrl>
#include <QUrlQuery>
#include <QUuid>

namespace {

// The parameters of ZOZEZO_TEST_POSTGRES by name.
QMap<QString, QString> ServerParameters() {
    QMap<QString, QString> Parameters;
    for (const QString& Pair :
         qEnvironmentVariable("ZOZEZO_TEST_POSTGRES").split(' ', Qt::SkipEmptyParts))
        Parameters.insert(Pair.section('=', 0, 0), Pair.section('=', 1));
    return Parameters;
}

QSqlDatabase AddConnection(const QString& Name, const QString& Options) {
    const QMap<QString, QString> Server = ServerParameters();
    QSqlDatabase Db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), Name);
    Db.setHostName(Server.value(QStringLiteral("host")));
    Db.setUserName(Server.value(QStringLiteral("user")));
    Db.setDatabaseName(Server.value(QStringLiteral("dbname")));
    Db.setConnectOptions(Options);
    return Db;
}

} // namespace

std::string BackendName(const ::testing::TestParamInfo<TBackend>& Info) {
    return Info.param == TBackend::SQLite ? "SQLite" : "PostgreSQL";
}

void PrintTo(TBackend Backend, std::ostream* Out) {
    *Out << BackendName({Backend, 0});
}

QString PostgresUnavailable() {
    static const QString Reason = [] {
        if (qEnvironmentVariableIsEmpty("ZOZEZO_TEST_POSTGRES"))
            return QStringLiteral("no test server: ZOZEZO_TEST_POSTGRES is not set "
                                  "(scripts/test.sh starts one)");
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
            return QStringLiteral("Qt's driver QPSQL is missing (libqt6sql6-psql)");
        QString Why;
        {
            QSqlDatabase Probe = AddConnection(QStringLiteral("probe"), {});
            if (!Probe.open())
                Why =
                    QStringLiteral("the test server does not answer: ") + Probe.lastError().text();
            Probe.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("probe"));
        return Why;
    }();
    return Reason;
}

bool PostgresRequired() {
    return !qEnvironmentVariableIsEmpty("ZOZEZO_REQUIRE_POSTGRES");
}

TServerSchema::TServerSchema()
    : FName(QStringLiteral("t_") + QUuid::createUuid().toString(QUuid::Id128)),
      FAdmin(FName + QStringLiteral("-admin")) {
    QSqlDatabase Admin =
        AddConnection(FAdmin, QStringLiteral("options='-cclient_min_messages=warning'"));
    EXPECT_TRUE(Admin.open()) << Admin.lastError().text().toStdString();
    QSqlQuery Query(Admin);
    EXPECT_TRUE(Query.exec(QStringLiteral("CREATE SCHEMA ") + FName))
        << Query.lastError().text().toStdString();
}

TServerSchema::~TServerSchema() {
    {
        QSqlDatabase Admin = QSqlDatabase::database(FAdmin, false);
        QSqlQuery(Admin).exec(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(FName));
        Admin.close();
    }
    QSqlDatabase::removeDatabase(FAdmin);
}

QSqlDatabase TServerSchema::Open(const QString& ConnectionName, const QString& Settings) const {
    QSqlDatabase Db = AddConnection(
        ConnectionName, QStringLiteral("options='-csearch_path=%1 %2'").arg(FName, Settings));
    EXPECT_TRUE(Db.open()) << Db.lastError().text().toStdString();
    return Db;
}

QString TServerSchema::Url(const QString& ApplicationName) const {
    const QMap<QString, QString> Server = ServerParameters();
    QUrl Url;
    Url.setScheme(QStringLiteral("postgresql"));
    Url.setUserName(Server.value(QStringLiteral("user")));
    Url.setPath(QLatin1Char('/') + Server.value(QStringLiteral("dbname")));
    QUrlQuery Query;
    Query.addQueryItem(QStringLiteral("host"), Server.value(QStringLiteral("host")));
    Query.addQueryItem(QStringLiteral("options"), QStringLiteral("-csearch_path=") + FName);
    if (!ApplicationName.isEmpty())
        Query.addQueryItem(QStringLiteral("application_name"), ApplicationName);
    Url.setQuery(Query);
    return Url.toString();
}

void TServerSchema::BreakConnections(const QString& ApplicationName) const {
    QSqlQuery Query(QSqlDatabase::database(FAdmin));
    Query.prepare(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                 "WHERE application_name = ?"));
    Query.addBindValue(ApplicationName);
    EXPECT_TRUE(Query.exec()) << Query.lastError().text().toStdString();
    // The server ends them a moment later.
    EXPECT_TRUE(QTest::qWaitFor([&] {
        QSqlQuery Left(QSqlDatabase::database(FAdmin));
        Left.prepare(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity "
                                    "WHERE application_name = ?"));
        Left.addBindValue(ApplicationName);
        return Left.exec() && Left.next() && Left.value(0).toInt() == 0;
    }));
}
