#include "DocumentStore.h"

#include "StoreOpening.h"
#include "TestServer.h"

#include <QFile>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QTemporaryDir>
#include <QUuid>
#include <gtest/gtest.h>
#include <memory>

using workbench::TDocumentStore;
using workbench::TStoreLocation;
using TOpenResult = workbench::TDocumentStore::TOpenResult;

namespace {

QByteArray ReadAll(const QString& Path) {
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

QString Example(const char* Name) {
    return QString::fromUtf8(ReadAll(QString(EXAMPLES_DIR "/%1.zez").arg(Name)));
}

// A store on each backend: an SQLite file in a folder of its own, or a schema of its own on the
// PostgreSQL test server, given to the store as a connection URL; and a connection of the test's
// own to look at the tables.
class DocumentStoreTest : public ::testing::TestWithParam<TBackend> {
protected:
    void SetUp() override {
        SKIP_WITHOUT_SERVER(GetParam());
        if (GetParam() == TBackend::PostgreSQL) Schema = std::make_unique<TServerSchema>();
    }

    void TearDown() override {
        QSqlDatabase::database(Connection, false).close();
        QSqlDatabase::removeDatabase(Connection);
    }

    QString Location() const { return Schema ? Schema->Url() : Folder.filePath("docs.sqlite"); }

    QSqlDatabase Raw() {
        if (QSqlDatabase::contains(Connection)) return QSqlDatabase::database(Connection);
        if (Schema) return Schema->Open(Connection);
        QSqlDatabase Db = QSqlDatabase::addDatabase("QSQLITE", Connection);
        Db.setDatabaseName(Location());
        EXPECT_TRUE(Db.open());
        return Db;
    }

    void Exec(const QString& Sql) {
        QSqlQuery Query(Raw());
        EXPECT_TRUE(Query.exec(Sql))
            << Sql.toStdString() << ": " << Query.lastError().text().toStdString();
    }

    // The tables of the store, by name, in order: "a,b".
    std::string Tables() {
        QSqlQuery Query(Raw());
        EXPECT_TRUE(Query.exec(Schema ? "SELECT table_name FROM information_schema.tables WHERE "
                                        "table_schema = current_schema() ORDER BY 1"
                                      : "SELECT name FROM sqlite_master WHERE type = 'table' "
                                        "AND name NOT LIKE 'sqlite_%' ORDER BY 1"));
        QStringList Names;
        while (Query.next())
            Names << Query.value(0).toString();
        return Names.join(',').toStdString();
    }

    TDocumentStore::TOpenResult OpenWith(TDocumentStore& Store, bool Consent) {
        TStoreLocation Where;
        QString Error;
        EXPECT_TRUE(TStoreLocation::Parse(Location(), Where, Error));
        TDocumentStore::TOpenOptions Options;
        Options.MaySetUpBeside = Consent;
        return Store.Open(Where, Options);
    }

    QTemporaryDir Folder;
    std::unique_ptr<TServerSchema> Schema;
    QString Connection = QUuid::createUuid().toString();
};

TEST_P(DocumentStoreTest, ANewStoreStartsWithTheExamplesOnce) {
    {
        TDocumentStore Store;
        ASSERT_TRUE(Store.Open(Location())) << Store.ErrorText().toStdString();
        ASSERT_EQ(Store.Count(), 3);
        EXPECT_EQ(Store.Name(0), "circuit");
        EXPECT_EQ(Store.Name(2), "projectile");
        EXPECT_EQ(Store.Body(0), Example("circuit"));
        EXPECT_FALSE(Store.ReadOnly());
        ASSERT_TRUE(Store.Remove(0));
    }
    TDocumentStore Again;
    ASSERT_TRUE(Again.Open(Location()));
    EXPECT_EQ(Again.Count(), 2);
    QSqlQuery Version(Raw());
    ASSERT_TRUE(Version.exec("SELECT version FROM zezo_schema") && Version.next());
    EXPECT_EQ(Version.value(0).toInt(), 2);
}

TEST_P(DocumentStoreTest, CreateRenameRemoveAndBodyReachTheStore) {
    int Row = -1;
    const QString Text = "y: 2*x \t{ <&> \u00e9 \U0001F600 }\n\nz: y";
    {
        TDocumentStore Store;
        ASSERT_TRUE(Store.Open(Location()));
        ASSERT_TRUE(Store.Create(Store.UnusedName(), QString(), Row))
            << Store.ErrorText().toStdString();
        EXPECT_EQ(Store.Body(Row), "");
        EXPECT_EQ(Store.Name(Row), "Untitled");
        EXPECT_EQ(Store.UnusedName(), "Untitled 2");
        ASSERT_TRUE(Store.SetBody(Row, Text));
        ASSERT_TRUE(Store.Rename(Row, "renamed"));
        ASSERT_TRUE(Store.Remove(0));
    }
    TDocumentStore Again;
    ASSERT_TRUE(Again.Open(Location()));
    ASSERT_EQ(Again.Count(), 3);
    EXPECT_EQ(Again.Name(2), "renamed");
    EXPECT_EQ(Again.Body(2), Text);
    EXPECT_EQ(Again.Model()->data(Again.Model()->index(2, TDocumentStore::dcRevision)), 2);
    EXPECT_EQ(Again.RowOfId(Again.IdOfRow(2)), 2);
    EXPECT_EQ(Again.RowOfId(-7), -1);
}

TEST_P(DocumentStoreTest, OtherTablesAreJoinedOnlyWithConsent) {
    Exec("CREATE TABLE invoices (number INTEGER)");
    TDocumentStore Store;
    EXPECT_EQ(OpenWith(Store, false), TOpenResult::orConsentNeeded);
    EXPECT_TRUE(Store.ErrorText().contains("other tables (invoices)"))
        << Store.ErrorText().toStdString();
    EXPECT_EQ(Tables(), "invoices");

    QString Error;
    workbench::TStorePrompts Refuse;
    Refuse.Consent = [](const QString&) { return false; };
    EXPECT_EQ(workbench::OpenStore(Location(), {}, Refuse, Error), nullptr);
    EXPECT_TRUE(Error.contains("nothing was changed")) << Error.toStdString();
    EXPECT_EQ(Tables(), "invoices");

    EXPECT_EQ(OpenWith(Store, true), TOpenResult::orOpened) << Store.ErrorText().toStdString();
    EXPECT_EQ(Store.Count(), 3);
    EXPECT_EQ(Tables(), "document_plots,document_variables,documents,invoices,last_documents,"
                        "zezo_schema");
}

TEST_P(DocumentStoreTest, ANewerStoreIsRefusedAndLeftAlone) {
    {
        TDocumentStore Store;
        ASSERT_TRUE(Store.Open(Location()));
    }
    Exec("UPDATE zezo_schema SET version = 3");
    TDocumentStore Store;
    EXPECT_FALSE(Store.Open(Location()));
    EXPECT_TRUE(Store.ErrorText().contains("was made by a newer workbench (store version 3"))
        << Store.ErrorText().toStdString();
    QSqlQuery Query(Raw());
    ASSERT_TRUE(Query.exec("SELECT COUNT(*) FROM documents") && Query.next());
    EXPECT_EQ(Query.value(0).toInt(), 3);
}

TEST_P(DocumentStoreTest, EachDocumentKeepsItsInputsAndEachUserTheLastDocument) {
    TDocumentStore Store;
    ASSERT_TRUE(Store.Open(Location()));
    const qint64 Circuit = Store.IdOfRow(0), Complex = Store.IdOfRow(1);
    EXPECT_EQ(Store.LastDocument(), -1);
    EXPECT_TRUE(Store.Variables(Circuit).empty());
    EXPECT_FALSE(Store.PlotSettings(Circuit));

    // Values that a double would round: they come back to the last bit.
    ASSERT_TRUE(Store.SetVariables(Circuit, {{"f", 0.1L, -1e-4000L}, {"R", 1.0L / 3, 0}}));
    ASSERT_TRUE(Store.SetVariables(Complex, {{"z", 2, 0}}));
    ASSERT_TRUE(Store.SetVariables(Circuit, {{"R", 4, 5}, {"f", 0.1L, -1e-4000L}}));
    workbench::TPlotSettings Plot;
    Plot.Equations = {"I", "V"};
    Plot.Variable = "f";
    Plot.From = "1e-9";
    Plot.XScale = workbench::TAxisScale::Logarithmic;
    Plot.YRange = workbench::TValueRange{-3, 5};
    Plot.Parts = workbench::ppDecibels | workbench::ppPhase;
    ASSERT_TRUE(Store.SetPlotSettings(Circuit, Plot));
    ASSERT_TRUE(Store.SetLastDocument(Complex));

    TDocumentStore Again;
    ASSERT_TRUE(Again.Open(Location()));
    const auto Cells = Again.Variables(Circuit);
    ASSERT_EQ(Cells.size(), 2u);
    EXPECT_EQ(Cells[0].Name, "R");
    EXPECT_EQ(Cells[0].Im, 5);
    EXPECT_EQ(Cells[1].Re, 0.1L);
    EXPECT_EQ(Cells[1].Im, -1e-4000L);
    EXPECT_EQ(Again.Variables(Complex).size(), 1u);
    ASSERT_TRUE(Again.PlotSettings(Circuit));
    EXPECT_TRUE(*Again.PlotSettings(Circuit) == Plot);
    EXPECT_EQ(Again.LastDocument(), Complex);

    ASSERT_TRUE(Again.Remove(0)); // a document's inputs go with it
    EXPECT_TRUE(Again.Variables(Circuit).empty());
    EXPECT_FALSE(Again.PlotSettings(Circuit));
}

INSTANTIATE_TEST_SUITE_P(Backends, DocumentStoreTest,
                         ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL), BackendName);

// Files

class DocumentFileTest : public ::testing::Test {
protected:
    QTemporaryDir Folder;
    QString Path = Folder.filePath("documents.sqlite");

    // An SQLite file made by another program (or by the first workbench) with these statements.
    void Make(const QStringList& Statements) {
        {
            QSqlDatabase Db = QSqlDatabase::addDatabase("QSQLITE", "maker");
            Db.setDatabaseName(Path);
            ASSERT_TRUE(Db.open());
            for (const QString& Sql : Statements)
                ASSERT_TRUE(QSqlQuery(Db).exec(Sql)) << Sql.toStdString();
            Db.close();
        }
        QSqlDatabase::removeDatabase("maker");
    }
};

TEST_F(DocumentFileTest, AFileThatIsNotADatabaseIsRefusedAndLeftAlone) {
    const QByteArray Content = "y: 2*x\nthis is an equation file, not a database\n";
    {
        QFile File(Path);
        ASSERT_TRUE(File.open(QIODevice::WriteOnly));
        File.write(Content);
    }
    TDocumentStore Store;
    EXPECT_FALSE(Store.Open(Path));
    EXPECT_FALSE(Store.IsOpen());
    EXPECT_TRUE(Store.ErrorText().contains("is not a document database"))
        << Store.ErrorText().toStdString();
    EXPECT_EQ(ReadAll(Path), Content);
    EXPECT_FALSE(Store.Open(Folder.path()));
    EXPECT_TRUE(Store.ErrorText().contains("is not a file"));
}

TEST_F(DocumentFileTest, AnotherProgramsTableOfDocumentsIsRefused) {
    Make({"CREATE TABLE documents (title TEXT)"});
    const QByteArray Before = ReadAll(Path);
    TDocumentStore Store;
    EXPECT_FALSE(Store.Open(Path));
    EXPECT_TRUE(Store.ErrorText().contains("without the column 'id'"))
        << Store.ErrorText().toStdString();
    EXPECT_EQ(ReadAll(Path), Before);
}

TEST_F(DocumentFileTest, TheFirstWorkbenchsFileIsUpgradedWithItsDocuments) {
    const QStringList Version1{
        "CREATE TABLE documents (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL, "
        "body TEXT NOT NULL DEFAULT '')",
        "INSERT INTO documents (name, body) VALUES ('mine', 'a: 1')"};
    Make(Version1);
    {
        // Read-only, it is read as it is.
        ASSERT_TRUE(QFile::setPermissions(Path, QFile::ReadOwner));
        TDocumentStore Store;
        ASSERT_TRUE(Store.Open(Path)) << Store.ErrorText().toStdString();
        EXPECT_TRUE(Store.ReadOnly());
        EXPECT_EQ(Store.Body(0), "a: 1");
        ASSERT_TRUE(QFile::setPermissions(Path, QFile::ReadOwner | QFile::WriteOwner));
    }
    TDocumentStore Store;
    ASSERT_TRUE(Store.Open(Path)) << Store.ErrorText().toStdString();
    ASSERT_EQ(Store.Count(), 1); // no examples added to a store that has documents
    EXPECT_EQ(Store.Body(0), "a: 1");
    EXPECT_EQ(Store.Model()->data(Store.Model()->index(0, TDocumentStore::dcRevision)), 1);
    EXPECT_TRUE(Store.SetVariables(Store.IdOfRow(0), {{"x", 1, 0}}));
}

TEST_F(DocumentFileTest, ANewEmptyStoreNeedsANewFile) {
    TStoreLocation Where;
    QString Error;
    ASSERT_TRUE(TStoreLocation::Parse(Path, Where, Error));
    TDocumentStore::TOpenOptions Empty;
    Empty.Examples = false;
    Empty.MustBeNew = true;
    TDocumentStore Store;
    ASSERT_EQ(Store.Open(Where, Empty), TOpenResult::orOpened);
    EXPECT_EQ(Store.Count(), 0);
    Store.Close();
    EXPECT_EQ(Store.Open(Where, Empty), TOpenResult::orFailed);
    EXPECT_TRUE(Store.ErrorText().contains("exists already"));
}

TEST_F(DocumentFileTest, AReadOnlyFileOpensButRefusesEveryWrite) {
    {
        TDocumentStore Store;
        ASSERT_TRUE(Store.Open(Path));
    }
    ASSERT_TRUE(QFile::setPermissions(Path, QFile::ReadOwner | QFile::ReadUser));
    const QByteArray Before = ReadAll(Path);
    TDocumentStore Store;
    ASSERT_TRUE(Store.Open(Path)) << Store.ErrorText().toStdString();
    EXPECT_TRUE(Store.ReadOnly());
    EXPECT_FALSE(Store.SetBody(0, "changed"));
    EXPECT_TRUE(Store.ErrorText().contains("readonly")) << Store.ErrorText().toStdString();
    EXPECT_EQ(Store.Body(0), Example("circuit"));
    int Row = -1;
    EXPECT_FALSE(Store.Create("new", "", Row));
    EXPECT_EQ(Row, -1);
    EXPECT_FALSE(Store.Rename(1, "other"));
    EXPECT_FALSE(Store.Remove(1));
    EXPECT_EQ(Store.Count(), 3);
    EXPECT_EQ(Store.Name(1), "complex");
    Store.Close();
    EXPECT_EQ(ReadAll(Path), Before);
    QFile::setPermissions(Path, QFile::ReadOwner | QFile::WriteOwner);
}

// Servers

TEST(StoreLocationTest, FilesAndConnectionUrls) {
    struct TCase {
        QString Text;
        QString Host;
        int Port;
        QString Database, User, Password, Display;
    };
    const TCase Cases[] = {
        {"postgresql://ann@db.example:5433/team", "db.example", 5433, "team", "ann", "",
         "'team' on db.example:5433"},
        {"postgres://ann:s3cret@/team?host=/run/pg&sslmode=disable", "/run/pg", -1, "team", "ann",
         "s3cret", "'team' on /run/pg"},
        {"postgresql:///team?user=bob&port=6000", "", 6000, "team", "bob", "",
         "'team' on the local server:6000"},
    };
    for (const TCase& Case : Cases) {
        TStoreLocation Where;
        QString Error;
        ASSERT_TRUE(TStoreLocation::Parse(Case.Text, Where, Error)) << Error.toStdString();
        EXPECT_TRUE(Where.IsServer());
        EXPECT_EQ(Where.Host, Case.Host);
        EXPECT_EQ(Where.Port, Case.Port);
        EXPECT_EQ(Where.Database, Case.Database);
        EXPECT_EQ(Where.User, Case.User);
        EXPECT_EQ(Where.Password, Case.Password);
        EXPECT_EQ(Where.Display(), Case.Display);
        EXPECT_FALSE(Where.Text().contains("s3cret")); // never kept where it could be seen
        TStoreLocation Again;
        ASSERT_TRUE(TStoreLocation::Parse(Where.Text(), Again, Error));
        EXPECT_EQ(Again.Display(), Where.Display());
    }
    TStoreLocation Where;
    QString Error;
    EXPECT_FALSE(TStoreLocation::Parse("postgresql://ann@db:port/x", Where, Error));
    EXPECT_FALSE(Error.isEmpty());
    ASSERT_TRUE(TStoreLocation::Parse("/home/ann/documents.sqlite", Where, Error));
    EXPECT_FALSE(Where.IsServer());
}

// Several connections to one schema of the test server.
class DocumentServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_SERVER(TBackend::PostgreSQL);
        Schema = std::make_unique<TServerSchema>();
        // Named, so that the test can find its connection on the server.
        ASSERT_TRUE(Store.Open(Schema->Url(Schema->Name()))) << Store.ErrorText().toStdString();
    }

    std::unique_ptr<TServerSchema> Schema;
    TDocumentStore Store;
};

TEST_F(DocumentServerTest, OthersChangesAreHeard) {
    TDocumentStore Other;
    ASSERT_TRUE(Other.Open(Schema->Url()));
    QSignalSpy Heard(&Store, &TDocumentStore::DocumentChanged);
    ASSERT_TRUE(Other.SetBody(1, "changed: 1"));
    ASSERT_TRUE(Heard.wait(5000));
    EXPECT_EQ(Heard[0][0].toLongLong(), Other.IdOfRow(1));
    ASSERT_TRUE(Store.SetBody(0, "mine: 1")); // its own saves are no news
    QSignalSpy Own(&Store, &TDocumentStore::DocumentChanged);
    EXPECT_FALSE(Own.wait(300));
}

TEST_F(DocumentServerTest, ABrokenConnectionIsOpenedAgain) {
    Schema->BreakConnections(Schema->Name());
    EXPECT_FALSE(Store.SetBody(0, "lost?"));
    EXPECT_TRUE(Store.ConnectionLost());
    ASSERT_TRUE(Store.Reconnect()) << Store.ErrorText().toStdString();
    EXPECT_FALSE(Store.ConnectionLost());
    ASSERT_TRUE(Store.SetBody(0, "saved"));
    EXPECT_EQ(Store.Body(0), "saved");
}

TEST_F(DocumentServerTest, APasswordComesFromTheEnvironmentOrIsAskedFor) {
    const QString Role = Schema->Name() + "_user";
    QSqlDatabase Admin = Schema->Open("admin-role");
    for (const QString& Sql :
         {QString("CREATE ROLE %1 LOGIN PASSWORD 's3cret'").arg(Role),
          QString("GRANT ALL ON SCHEMA %1 TO %2").arg(Schema->Name(), Role),
          QString("GRANT ALL ON ALL TABLES IN SCHEMA %1 TO %2").arg(Schema->Name(), Role)})
        ASSERT_TRUE(QSqlQuery(Admin).exec(Sql)) << Sql.toStdString();
    QString Url = Schema->Url();
    Url.replace("postgresql://postgres@", "postgresql://" + Role + "@");

    QStringList Asked;
    workbench::TStorePrompts Prompts;
    Prompts.Password = [&](const QString& Question) -> std::optional<QString> {
        Asked << Question;
        return Asked.size() == 1 ? QString("wrong") : QString("s3cret");
    };
    QString Error;
    auto Opened = workbench::OpenStore(Url, {}, Prompts, Error);
    ASSERT_NE(Opened, nullptr) << Error.toStdString();
    ASSERT_EQ(Asked.size(), 2); // none given, then a wrong one
    EXPECT_TRUE(Asked[1].contains("password authentication failed")) << Asked[1].toStdString();
    Opened.reset();

    qputenv("PGPASSWORD", "s3cret");
    TDocumentStore FromEnvironment;
    EXPECT_TRUE(FromEnvironment.Open(Url)) << FromEnvironment.ErrorText().toStdString();
    qunsetenv("PGPASSWORD");
    FromEnvironment.Close();

    workbench::TStorePrompts Cancel;
    Cancel.Password = [](const QString&) { return std::nullopt; };
    EXPECT_EQ(workbench::OpenStore(Url, {}, Cancel, Error), nullptr);
    EXPECT_TRUE(Error.contains("password")) << Error.toStdString();
    QSqlQuery(Admin).exec(QString("DROP OWNED BY %1").arg(Role));
    QSqlQuery(Admin).exec(QString("DROP ROLE %1").arg(Role));
    Admin.close();
}

} // namespace
