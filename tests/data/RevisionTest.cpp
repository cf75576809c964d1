#include "DataTyping.h"
#include "TestDatabase.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <gtest/gtest.h>
#include <memory>
#include <zoZezo/DBEquationMemo.h>
#include <zoZezo/DataSource.h>

using zoZezo::TCustomovEquationMemo;
using zoZezo::TDataSetState;
using zoZezo::TDataSource;
using zoZezo::TovDBEquationMemo;

namespace {

// What one writer holds: its own connection's record set and data source on the table.
struct TWriter {
    std::unique_ptr<QSqlTableModel> Model;
    TDataSource Source;

    TWriter(const QSqlDatabase& Connection, const QString& Table) {
        Model = std::make_unique<QSqlTableModel>(nullptr, Connection);
        Model->setTable(Table);
        Model->setSort(0, Qt::AscendingOrder);
        EXPECT_TRUE(Model->select());
        Source.SetRevisionField(QStringLiteral("revision"));
        EXPECT_TRUE(Source.SetModel(Model.get()));
    }
    int Column(const char* Name) const { return Source.FieldIndex(QLatin1String(Name)); }
    QString Body() const { return Source.FieldValue(Column("body")).toString(); }
    bool Write(const QString& Body) {
        return Source.SetFieldValue(Column("body"), Body) && Source.Post();
    }
};

// Two writers on two connections sharing a table of documents with revisions.
class RevisionTest : public ::testing::TestWithParam<TBackend> {
protected:
    void SetUp() override {
        SKIP_WITHOUT_SERVER(GetParam());
        Db.Exec(QStringLiteral("CREATE TABLE versioned (id INTEGER PRIMARY KEY, body TEXT, "
                               "revision INTEGER NOT NULL DEFAULT 1)"));
        Db.Exec(QStringLiteral("INSERT INTO versioned (id, body) VALUES (1, 'a: 1'), (2, 'b: 2')"));
        Mine = std::make_unique<TWriter>(Db.Main(), QStringLiteral("versioned"));
        Theirs = std::make_unique<TWriter>(Db.Other(), QStringLiteral("versioned"));
    }

    QVariant Stored(const char* Column) {
        QSqlQuery Query(Db.Other());
        EXPECT_TRUE(Query.exec(
            QStringLiteral("SELECT %1 FROM versioned WHERE id = 1").arg(QLatin1String(Column))));
        return Query.next() ? Query.value(0) : QVariant();
    }

    TTestDatabase Db{GetParam()};
    std::unique_ptr<TWriter> Mine;
    std::unique_ptr<TWriter> Theirs;
};

TEST_P(RevisionTest, EverySecondSaveIsAConflictAndBothTextsSurvive) {
    QSignalSpy Conflicts(&Mine->Source, &TDataSource::ConflictChanged);
    ASSERT_TRUE(Theirs->Write(QStringLiteral("a: 'theirs'")));
    EXPECT_EQ(Stored("revision").toInt(), 2);

    EXPECT_FALSE(Mine->Write(QStringLiteral("a: 'mine'")));
    EXPECT_TRUE(Mine->Source.InConflict());
    EXPECT_EQ(Conflicts.count(), 1);
    EXPECT_EQ(Mine->Source.LastError(),
              QStringLiteral("The record was not saved: someone else saved it meanwhile."));
    EXPECT_EQ(Mine->Source.State(), TDataSetState::dsEdit);
    EXPECT_EQ(Mine->Body(), QStringLiteral("a: 'mine'")); // mine kept...
    EXPECT_EQ(Mine->Source.StoredRecord().value(QStringLiteral("body")).toString(),
              QStringLiteral("a: 'theirs'"));                            // ...theirs beside it...
    EXPECT_EQ(Stored("body").toString(), QStringLiteral("a: 'theirs'")); // ...and unchanged
    EXPECT_FALSE(Mine->Source.Post()); // still the conflict: nothing is written blindly
    EXPECT_FALSE(Mine->Source.Next());

    Mine->Source.AdoptStoredRevision(); // keep mine, knowingly
    EXPECT_FALSE(Mine->Source.InConflict());
    EXPECT_EQ(Conflicts.count(), 2);
    ASSERT_TRUE(Mine->Source.Post()) << Mine->Source.LastError().toStdString();
    EXPECT_EQ(Stored("body").toString(), QStringLiteral("a: 'mine'"));
    EXPECT_EQ(Stored("revision").toInt(), 3);

    // Theirs still builds on revision 2: now theirs is the save that meets the conflict.
    ASSERT_TRUE(Theirs->Source.SetFieldValue(Theirs->Column("body"), QStringLiteral("a: 3")));
    EXPECT_FALSE(Theirs->Source.Post());
    EXPECT_TRUE(Theirs->Source.InConflict());
    EXPECT_EQ(Stored("body").toString(), QStringLiteral("a: 'mine'"));
}

TEST_P(RevisionTest, TakingTheirsShowsTheStoredVersion) {
    ASSERT_TRUE(Theirs->Write(QStringLiteral("a: 'theirs'")));
    EXPECT_FALSE(Mine->Write(QStringLiteral("a: 'mine'")));
    Mine->Source.Cancel();
    EXPECT_FALSE(Mine->Source.InConflict());
    EXPECT_EQ(Mine->Source.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Mine->Body(), QStringLiteral("a: 'theirs'"));
    ASSERT_TRUE(Mine->Write(QStringLiteral("a: 'next'"))); // builds on revision 2 now
    EXPECT_EQ(Stored("revision").toInt(), 3);
}

TEST_P(RevisionTest, RefreshReloadsOrReportsTheNewerVersion) {
    ASSERT_TRUE(Theirs->Write(QStringLiteral("a: 2")));
    EXPECT_TRUE(Mine->Source.Refresh()); // nothing edited here: shows theirs
    EXPECT_EQ(Mine->Body(), QStringLiteral("a: 2"));

    ASSERT_TRUE(Mine->Source.SetFieldValue(Mine->Column("body"), QStringLiteral("a: 'mine'")));
    EXPECT_TRUE(Mine->Source.Refresh()); // nobody saved since: no conflict
    ASSERT_TRUE(Theirs->Write(QStringLiteral("a: 3")));
    EXPECT_FALSE(Mine->Source.Refresh());
    EXPECT_TRUE(Mine->Source.InConflict());
    EXPECT_EQ(Mine->Body(), QStringLiteral("a: 'mine'"));
    EXPECT_EQ(Stored("body").toString(), QStringLiteral("a: 3")); // found, nothing written
}

TEST_P(RevisionTest, TheCurrentRecordStaysCurrentWhenTheRecordSetIsReadAgain) {
    ASSERT_TRUE(Mine->Source.MoveTo(1));
    ASSERT_TRUE(Mine->Source.SetFieldValue(Mine->Column("body"), QStringLiteral("b: 'mine'")));
    Db.Exec(QStringLiteral("DELETE FROM versioned WHERE id = 1"));
    ASSERT_TRUE(Mine->Model->select());
    EXPECT_EQ(Mine->Source.CurrentRow(), 0); // record 2 moved up a row
    EXPECT_EQ(Mine->Source.FieldValue(Mine->Column("id")).toInt(), 2);
    ASSERT_TRUE(Mine->Source.Post());
    EXPECT_EQ(Mine->Body(), QStringLiteral("b: 'mine'"));
}

TEST_P(RevisionTest, ATableWithoutTheRevisionColumnIsWrittenAsBefore) {
    Db.Insert(QStringLiteral("doc"), QStringLiteral("x: 1"));
    TWriter A(Db.Main(), QStringLiteral("docs"));
    TWriter B(Db.Other(), QStringLiteral("docs"));
    ASSERT_TRUE(A.Write(QStringLiteral("x: 2")));
    ASSERT_TRUE(B.Write(QStringLiteral("x: 3")));
    EXPECT_EQ(Db.Body(A.Source.FieldValue(A.Column("id")).toInt()).toString(),
              QStringLiteral("x: 3"));
}

TEST_P(RevisionTest, TheMemoReportsAConflictAndKeepsTheText) {
    zoZezo::TzoZezoEvaluator Evaluator;
    TovDBEquationMemo Memo;
    Memo.SetzoZezoEvaluator(&Evaluator);
    ASSERT_TRUE(Memo.SetDataSource(&Mine->Source));
    ASSERT_TRUE(Memo.SetDataField(QStringLiteral("body")));
    QSignalSpy Errors(&Memo, &TovDBEquationMemo::OnDataError);
    TypeOver(*Memo.DBEditor(), QStringLiteral("a: 'typed here'"));
    ASSERT_TRUE(Theirs->Write(QStringLiteral("a: 'saved there'")));

    EXPECT_FALSE(Memo.SaveEdits());
    ASSERT_EQ(Errors.count(), 1);
    EXPECT_TRUE(Errors[0][1].toString().contains(QStringLiteral("someone else saved it")));
    EXPECT_EQ(Memo.StatusText(), Errors[0][1].toString());
    EXPECT_EQ(Memo.DBEditor()->Text(), QStringLiteral("a: 'typed here'"));
    EXPECT_TRUE(Memo.Modified());

    Mine->Source.AdoptStoredRevision();
    ASSERT_TRUE(Memo.SaveEdits());
    EXPECT_EQ(Stored("body").toString(), QStringLiteral("a: 'typed here'"));
    EXPECT_TRUE(Memo.DataError().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Backends, RevisionTest,
                         ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL), BackendName);

} // namespace
