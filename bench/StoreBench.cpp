// Shared documents on the local PostgreSQL server: 8 writers, each on its own connection with
// its own data source, post edits to the same 4 documents for a few seconds. Each edit appends a
// token of its own to the document's text, built on the version just read; a save that meets a
// newer version is a conflict, and the writer takes the stored version and tries again. At the
// end every token whose save succeeded must be in its document: a missing one is a lost update.
//
// Its own program, as it needs a server: scripts/store-bench.sh starts one and runs it (it reads
// the server from ZOZEZO_TEST_POSTGRES, "host=... user=... dbname=..."). ZOZEZO_STORE_SECONDS
// sets the time (5 s by default).

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QStringList>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <random>
#include <thread>
#include <vector>
#include <zoZezo/DataSource.h>

namespace {

constexpr int Writers = 8;
constexpr int Documents = 4;

// A connection to the server named by ZOZEZO_TEST_POSTGRES, in the calling thread.
QSqlDatabase Connect(const QString& Name) {
    QSqlDatabase Db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), Name);
    for (const QString& Pair :
         qEnvironmentVariable("ZOZEZO_TEST_POSTGRES").split(' ', Qt::SkipEmptyParts)) {
        const QString Key = Pair.section('=', 0, 0), Value = Pair.section('=', 1);
        if (Key == QLatin1String("host")) Db.setHostName(Value);
        if (Key == QLatin1String("user")) Db.setUserName(Value);
        if (Key == QLatin1String("dbname")) Db.setDatabaseName(Value);
    }
    Db.setConnectOptions(QStringLiteral("options='-cclient_min_messages=warning'"));
    Db.open();
    return Db;
}

// What one writer did.
struct TWriterResult {
    long Saves = 0;
    long Conflicts = 0;
    long Failures = 0;
    QStringList Saved[Documents]; // the tokens of its successful saves, by document
};

void Write(int Writer, std::chrono::steady_clock::time_point End, TWriterResult& Result) {
    const QString Name = QStringLiteral("writer-%1").arg(Writer);
    {
        QSqlDatabase Db = Connect(Name);
        QSqlTableModel Model(nullptr, Db);
        Model.setTable(QStringLiteral("shared_documents"));
        Model.setSort(0, Qt::AscendingOrder);
        Model.select();
        zoZezo::TDataSource Source;
        Source.SetRevisionField(QStringLiteral("revision"));
        Source.SetModel(&Model);
        const int Body = Source.FieldIndex(QStringLiteral("body"));
        std::minstd_rand Random(static_cast<unsigned>(Writer) + 1);
        for (long Edit = 0; std::chrono::steady_clock::now() < End;) {
            const int Document = static_cast<int>(Random() % Documents);
            const QString Token = QStringLiteral("w%1-%2").arg(Writer).arg(Edit);
            Source.MoveTo(Document);
            Source.Refresh(); // the version to build on, as a user's editor loads it
            Source.SetFieldValue(Body, Source.FieldValue(Body).toString() + ' ' + Token);
            if (Source.Post()) {
                ++Result.Saves;
                Result.Saved[Document] << Token;
                ++Edit;
            } else {
                ++(Source.InConflict() ? Result.Conflicts : Result.Failures);
                Source.Cancel(); // take theirs; the next round builds on it
            }
        }
        Source.SetModel(nullptr);
    }
    QSqlDatabase::removeDatabase(Name);
}

void WritersOnFourDocuments(benchmark::State& State) {
    if (qEnvironmentVariableIsEmpty("ZOZEZO_TEST_POSTGRES")) {
        State.SkipWithError("no server: ZOZEZO_TEST_POSTGRES is not set "
                            "(scripts/store-bench.sh starts one)");
        return;
    }
    const int Seconds = qEnvironmentVariableIntValue("ZOZEZO_STORE_SECONDS");
    const auto Duration = std::chrono::seconds(Seconds > 0 ? Seconds : 5);
    QSqlDatabase Admin = Connect(QStringLiteral("admin"));
    QSqlQuery Setup(Admin);
    for (const char* Sql :
         {"DROP TABLE IF EXISTS shared_documents",
          "CREATE TABLE shared_documents (id INTEGER PRIMARY KEY, body TEXT NOT NULL, "
          "revision BIGINT NOT NULL DEFAULT 1)",
          "INSERT INTO shared_documents (id, body) VALUES (1, ''), (2, ''), (3, ''), (4, '')"})
        if (!Setup.exec(QLatin1String(Sql))) {
            State.SkipWithError(Setup.lastError().text().toStdString().c_str());
            return;
        }
    std::vector<TWriterResult> Results(Writers);
    double Elapsed = 0;
    for (auto _ : State) {
        const auto Start = std::chrono::steady_clock::now();
        std::vector<std::thread> Threads;
        for (int Writer = 0; Writer < Writers; ++Writer)
            Threads.emplace_back(Write, Writer, Start + Duration, std::ref(Results[Writer]));
        for (std::thread& Thread : Threads)
            Thread.join();
        Elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    }

    long Saves = 0, Conflicts = 0, Failures = 0, Lost = 0;
    QSqlQuery Read(Admin);
    Read.exec(QStringLiteral("SELECT body FROM shared_documents ORDER BY id"));
    for (int Document = 0; Document < Documents && Read.next(); ++Document) {
        const QStringList Stored = Read.value(0).toString().split(' ', Qt::SkipEmptyParts);
        for (const TWriterResult& Result : Results)
            for (const QString& Token : Result.Saved[Document])
                Lost += Stored.contains(Token) ? 0 : 1;
    }
    for (const TWriterResult& Result : Results) {
        Saves += Result.Saves;
        Conflicts += Result.Conflicts;
        Failures += Result.Failures;
    }
    State.counters["saves"] = static_cast<double>(Saves);
    State.counters["conflicts"] = static_cast<double>(Conflicts);
    State.counters["failures"] = static_cast<double>(Failures);
    State.counters["lost"] = static_cast<double>(Lost);
    State.counters["saves/s"] = static_cast<double>(Saves) / Elapsed;
    if (Lost > 0) State.SkipWithError("updates were lost");
    QSqlQuery(Admin).exec(QStringLiteral("DROP TABLE shared_documents"));
}

BENCHMARK(WritersOnFourDocuments)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication Application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    QSqlDatabase::database(QStringLiteral("admin"), false).close();
    return 0;
}
