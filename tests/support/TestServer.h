#pragma once

#include <QSqlDatabase>
#include <QString>
#include <gtest/gtest.h>
#include <string>

// The two kinds of store the data-aware controls and the workbench are tested on.
enum class TBackend { SQLite, PostgreSQL };

// "SQLite" or "PostgreSQL": the suffix of each parameterised test's name, and the backend as
// a test's output shows it.
std::string BackendName(const ::testing::TestParamInfo<TBackend>& Info);
void PrintTo(TBackend Backend, std::ostream* Out);

// The PostgreSQL server of the tests, named by ZOZEZO_TEST_POSTGRES ("host=<socket folder>
// user=<role> dbname=<database>", as scripts/test.sh sets it). Empty when the tests may use it;
// otherwise why not.
QString PostgresUnavailable();
// True when a missing server fails the tests instead of skipping them (ZOZEZO_REQUIRE_POSTGRES
// set, as in CI).
bool PostgresRequired();

// Skips the test (or fails it, where the server is required) when it runs on PostgreSQL and the
// server is not there. For a fixture's SetUp and for test bodies.
#define SKIP_WITHOUT_SERVER(Backend)                                                               \
    do {                                                                                           \
        if ((Backend) == TBackend::PostgreSQL && !PostgresUnavailable().isEmpty()) {               \
            if (PostgresRequired()) FAIL() << PostgresUnavailable().toStdString();                 \
            GTEST_SKIP() << "PostgreSQL: " << PostgresUnavailable().toStdString();                 \
        }                                                                                          \
    } while (false)

// A schema of its own on the test server, dropped with everything in it at the end, so that
// tests running at the same time never meet.
class TServerSchema {
public:
    TServerSchema();
    ~TServerSchema();
    TServerSchema(const TServerSchema&) = delete;
    TServerSchema& operator=(const TServerSchema&) = delete;

    QString Name() const { return FName; }
    // Adds (and opens) a connection under ConnectionName whose tables are the schema's.
    // Settings adds the server's settings for it ("-clock_timeout=50 -c...").
    QSqlDatabase Open(const QString& ConnectionName, const QString& Settings = {}) const;
    // The same connection as the workbench is given it: a postgresql:// URL, naming the
    // connection ApplicationName on the server.
    QString Url(const QString& ApplicationName = {}) const;
    // Breaks the connections named ApplicationName, as a server that went away does; returns once
    // they are gone.
    void BreakConnections(const QString& ApplicationName) const;

private:
    QString FName;
    QString FAdmin; // the connection that made the schema
};
