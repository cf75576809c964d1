#include "DocumentStore.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using workbench::TDocumentStore;

namespace {

QByteArray ReadAll(const QString& Path) {
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

class DocumentStoreTest : public ::testing::Test {
protected:
    QTemporaryDir Folder;
    QString Path = Folder.filePath("documents.sqlite");
};

TEST_F(DocumentStoreTest, NewDatabaseStartsWithTheExamples) {
    TDocumentStore Store;
    ASSERT_TRUE(Store.Open(Path)) << Store.ErrorText().toStdString();
    ASSERT_EQ(Store.Count(), 3);
    EXPECT_EQ(Store.Name(0), "circuit");
    EXPECT_EQ(Store.Name(1), "complex");
    EXPECT_EQ(Store.Name(2), "projectile");
    EXPECT_EQ(Store.Body(0).toUtf8(), ReadAll(EXAMPLES_DIR "/circuit.zez"));
    EXPECT_FALSE(Store.ReadOnly());
}

TEST_F(DocumentStoreTest, ExamplesAreAddedOnceNotOnEveryOpen) {
    {
        TDocumentStore Store;
        ASSERT_TRUE(Store.Open(Path));
        int Row = -1;
        ASSERT_TRUE(Store.Remove(0));
        ASSERT_TRUE(Store.Create("mine", "a: 1", Row));
    }
    TDocumentStore Again;
    ASSERT_TRUE(Again.Open(Path));
    ASSERT_EQ(Again.Count(), 3);
    EXPECT_EQ(Again.Name(2), "mine");
}

TEST_F(DocumentStoreTest, CreateRenameRemoveAndBodyReachTheFile) {
    int Row = -1;
    {
        TDocumentStore Store;
        ASSERT_TRUE(Store.Open(Path));
        ASSERT_TRUE(Store.Create(Store.UnusedName(), QString(), Row))
            << Store.ErrorText().toStdString();
        EXPECT_EQ(Store.Body(Row), "");
        EXPECT_EQ(Store.Name(Row), "Untitled");
        EXPECT_EQ(Store.UnusedName(), "Untitled 2");
        const QString Text = "y: 2*x \t{ <&> \u00e9 \U0001F600 }\n\nz: y";
        ASSERT_TRUE(Store.SetBody(Row, Text));
        ASSERT_TRUE(Store.Rename(Row, "renamed"));
        ASSERT_TRUE(Store.Remove(0));
    }
    TDocumentStore Again;
    ASSERT_TRUE(Again.Open(Path));
    ASSERT_EQ(Again.Count(), 3);
    EXPECT_EQ(Again.Name(2), "renamed");
    EXPECT_EQ(Again.Body(2), "y: 2*x \t{ <&> \u00e9 \U0001F600 }\n\nz: y");
    EXPECT_EQ(Again.RowOfId(Again.IdOfRow(2)), 2);
    EXPECT_EQ(Again.RowOfId(-7), -1);
}

TEST_F(DocumentStoreTest, AFileThatIsNotADatabaseIsRefusedAndLeftAlone) {
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
}

TEST_F(DocumentStoreTest, AFolderIsRefused) {
    TDocumentStore Store;
    EXPECT_FALSE(Store.Open(Folder.path()));
    EXPECT_TRUE(Store.ErrorText().contains("is not a file"));
}

TEST_F(DocumentStoreTest, AReadOnlyFileOpensButRefusesEveryWrite) {
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
    EXPECT_EQ(Store.Body(0).toUtf8(), ReadAll(EXAMPLES_DIR "/circuit.zez"));
    int Row = -1;
    EXPECT_FALSE(Store.Create("new", "", Row));
    EXPECT_EQ(Row, -1);
    EXPECT_EQ(Store.Count(), 3);
    EXPECT_FALSE(Store.Rename(1, "other"));
    EXPECT_EQ(Store.Name(1), "complex");
    EXPECT_FALSE(Store.Remove(1));
    EXPECT_EQ(Store.Count(), 3);
    Store.Close();
    EXPECT_EQ(ReadAll(Path), Before);
    QFile::setPermissions(Path, QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(DocumentStoreTest, AnotherProgramsTableWithoutTheColumnsIsRefused) {
    {
        TDocumentStore Store;
        ASSERT_TRUE(Store.Open(Path));
        QSqlQuery(Store.Model()->database()).exec("ALTER TABLE documents RENAME TO kept");
        QSqlQuery(Store.Model()->database()).exec("CREATE TABLE documents (title TEXT)");
    }
    TDocumentStore Store;
    EXPECT_FALSE(Store.Open(Path));
    EXPECT_TRUE(Store.ErrorText().contains("without the column 'id'"))
        << Store.ErrorText().toStdString();
}

} // namespace
