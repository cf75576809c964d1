#include "TestDatabase.h"

#include <QSignalSpy>
#include <QSqlTableModel>
#include <QStandardItemModel>
#include <gtest/gtest.h>
#include <memory>
#include <zoZezo/DataSource.h>

using zoZezo::TDataSetState;
using zoZezo::TDataSource;

namespace {

class DataSourceTest : public ::testing::TestWithParam<TBackend> {
protected:
    void SetUp() override {
        SKIP_WITHOUT_SERVER(GetParam());
        for (int I = 1; I <= 3; ++I)
            Db.Insert(QStringLiteral("doc %1").arg(I), QStringLiteral("x%1: %1").arg(I));
        Model = std::make_unique<QSqlTableModel>(nullptr, Db.Main());
        Model->setTable(QStringLiteral("docs"));
        ASSERT_TRUE(Model->select());
        ASSERT_TRUE(Source.SetModel(Model.get()));
        Body = Source.FieldIndex(QStringLiteral("body"));
    }

    QString CurrentBody() const { return Source.FieldValue(Body).toString(); }

    TTestDatabase Db{GetParam()};
    std::unique_ptr<QSqlTableModel> Model;
    TDataSource Source;
    int Body = -1;
};

TEST_P(DataSourceTest, NavigationStopsAtBothEnds) {
    QSignalSpy Moves(&Source, &TDataSource::CurrentRowChanged);
    EXPECT_TRUE(Source.Next());
    EXPECT_TRUE(Source.Last());
    EXPECT_EQ(CurrentBody(), QStringLiteral("x3: 3"));
    EXPECT_FALSE(Source.Next());
    EXPECT_EQ(Source.CurrentRow(), 2);
    EXPECT_TRUE(Source.Prior());
    EXPECT_TRUE(Source.First());
    EXPECT_FALSE(Source.Prior());
    EXPECT_FALSE(Source.MoveTo(17));
    EXPECT_EQ(Source.CurrentRow(), 0);
    EXPECT_EQ(Moves.count(), 4);
}

TEST_P(DataSourceTest, FieldNamesIgnoreLetterCase) {
    EXPECT_EQ(Source.FieldIndex(QStringLiteral("BODY")), Body);
    EXPECT_EQ(Source.FieldIndex(QStringLiteral("nosuchfield")), -1);
    EXPECT_EQ(Source.FieldIndex(QString()), -1);
    EXPECT_FALSE(Source.FieldValue(-1).isValid());
    EXPECT_FALSE(Source.CanModify(99));
}

TEST_P(DataSourceTest, PostWritesTheChangedFieldOnly) {
    Db.Exec(QStringLiteral("UPDATE docs SET title = 'renamed elsewhere' WHERE id = 1"));
    ASSERT_TRUE(Source.SetFieldValue(Body, QStringLiteral("y: 2")));
    EXPECT_EQ(Source.State(), TDataSetState::dsEdit);
    EXPECT_EQ(CurrentBody(), QStringLiteral("y: 2"));
    EXPECT_TRUE(Source.Post());
    EXPECT_EQ(Source.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Db.Body(1).toString(), QStringLiteral("y: 2"));
    EXPECT_EQ(Source.FieldValue(Source.FieldIndex(QStringLiteral("title"))).toString(),
              QStringLiteral("renamed elsewhere"));
}

TEST_P(DataSourceTest, ChangesOutliveTheirRecordLeavingTheModel) {
    ASSERT_TRUE(Source.Edit());
    Db.Exec(QStringLiteral("DELETE FROM docs"));
    ASSERT_TRUE(Model->select());
    EXPECT_EQ(Source.CurrentRow(), -1);
    EXPECT_EQ(Source.State(), TDataSetState::dsEdit);
    EXPECT_TRUE(Source.SetFieldValue(Body, QStringLiteral("homeless")));
    EXPECT_FALSE(Source.Post());
    EXPECT_TRUE(Source.LastError().contains(QStringLiteral("deleted")));
    Source.Cancel();
    EXPECT_EQ(Source.State(), TDataSetState::dsInactive);
}

TEST_P(DataSourceTest, ATableWithoutKeyIsMatchedByAllItsValues) {
    Db.Exec(QStringLiteral("CREATE TABLE notes (body TEXT, extra TEXT)"));
    Db.Exec(QStringLiteral("INSERT INTO notes VALUES ('a', NULL), ('b', 'x'), ('b', 'x')"));
    QSqlTableModel Notes(nullptr, Db.Main());
    Notes.setTable(QStringLiteral("notes"));
    ASSERT_TRUE(Notes.select());
    ASSERT_TRUE(Source.SetModel(&Notes));
    ASSERT_TRUE(Source.SetFieldValue(0, QStringLiteral("changed")));
    EXPECT_TRUE(Source.Post()); // the NULL of "extra" matches through IS NULL
    EXPECT_EQ(Source.FieldValue(0).toString(), QStringLiteral("changed"));

    // Two identical rows: an update would change both, so nothing is changed. (The server may
    // return the rows in any order.)
    ASSERT_TRUE(Source.MoveTo(Source.CurrentRow() == 0 ? 1 : 0));
    ASSERT_EQ(Source.FieldValue(0).toString(), QStringLiteral("b"));
    ASSERT_TRUE(Source.SetFieldValue(0, QStringLiteral("twice")));
    EXPECT_FALSE(Source.Post());
    EXPECT_TRUE(Source.LastError().contains(QStringLiteral("2 records")));
    Source.Cancel();
    ASSERT_TRUE(Source.SetModel(nullptr));
}

TEST_P(DataSourceTest, RemovedAndInsertedRowsKeepTheCurrentRecord) {
    ASSERT_TRUE(Source.MoveTo(1));
    QStandardItemModel Plain;
    for (const char* Text : {"a", "b", "c"})
        Plain.appendRow(new QStandardItem(QString::fromLatin1(Text)));
    ASSERT_TRUE(Source.SetModel(&Plain));
    ASSERT_TRUE(Source.MoveTo(1));
    Plain.insertRow(0, new QStandardItem(QStringLiteral("new")));
    EXPECT_EQ(Source.CurrentRow(), 2);
    EXPECT_EQ(Source.FieldValue(0).toString(), QStringLiteral("b"));
    Plain.removeRow(2);
    EXPECT_EQ(Source.FieldValue(0).toString(), QStringLiteral("c"));
    ASSERT_TRUE(Source.SetModel(nullptr));
}

TEST_P(DataSourceTest, AnItemModelIsWrittenThroughSetData) {
    QStandardItemModel Plain(1, 1);
    Plain.setHorizontalHeaderLabels({QStringLiteral("Text")});
    Plain.setItem(0, 0, new QStandardItem(QStringLiteral("old")));
    ASSERT_TRUE(Source.SetModel(&Plain));
    const int Text = Source.FieldIndex(QStringLiteral("text"));
    ASSERT_EQ(Text, 0);
    ASSERT_TRUE(Source.SetFieldValue(Text, QStringLiteral("new")));
    EXPECT_TRUE(Source.Post());
    EXPECT_EQ(Plain.item(0, 0)->text(), QStringLiteral("new"));

    // A row removed while it was edited: the changes stay, with a clear error.
    ASSERT_TRUE(Source.SetFieldValue(Text, QStringLiteral("lost?")));
    Plain.removeRow(0);
    EXPECT_EQ(Source.State(), TDataSetState::dsEdit);
    EXPECT_FALSE(Source.Post());
    EXPECT_TRUE(Source.LastError().contains(QStringLiteral("removed")));
    Source.Cancel();
    ASSERT_TRUE(Source.SetModel(nullptr));
}

TEST_P(DataSourceTest, AModelFreedFirstLeavesNoRecord) {
    QSignalSpy Changes(&Source, &TDataSource::DataChanged);
    Model.reset();
    EXPECT_EQ(Source.Model(), nullptr);
    EXPECT_EQ(Source.CurrentRow(), -1);
    EXPECT_EQ(Source.State(), TDataSetState::dsInactive);
    EXPECT_GE(Changes.count(), 1);
    EXPECT_FALSE(Source.Next());
    EXPECT_FALSE(Source.Edit());
    EXPECT_FALSE(Source.LastError().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Backends, DataSourceTest,
                         ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL), BackendName);

} // namespace
