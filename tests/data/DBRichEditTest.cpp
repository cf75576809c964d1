#include "DataTyping.h"
#include "TestDatabase.h"

#include <QSignalSpy>
#include <QSqlTableModel>
#include <QSyntaxHighlighter>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>
#include <zoZezo/DBRichEdit.h>
#include <zoZezo/DataSource.h>

using zoZezo::TDataSetState;
using zoZezo::TDataSource;
using zoZezo::TDBRichEdit;

namespace {

class DBRichEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        First = Db.Insert(QStringLiteral("first"), QStringLiteral("a: 1"));
        Second = Db.Insert(QStringLiteral("second"), QStringLiteral("b: 2"));
        Bind(Db.Main());
    }

    void Bind(const QSqlDatabase& Connection) {
        Editor.SetDataSource(nullptr);
        Source.SetModel(nullptr);
        Model = std::make_unique<QSqlTableModel>(nullptr, Connection);
        Model->setTable(QStringLiteral("docs"));
        ASSERT_TRUE(Model->select());
        ASSERT_TRUE(Source.SetModel(Model.get()));
        ASSERT_TRUE(Editor.SetDataSource(&Source));
        ASSERT_TRUE(Editor.SetDataField(QStringLiteral("body")));
    }

    TTestDatabase Db;
    int First = 0;
    int Second = 0;
    std::unique_ptr<QSqlTableModel> Model;
    TDataSource Source;
    TDBRichEdit Editor;
};

// Loading

TEST_F(DBRichEditTest, ShowsTextWrittenElsewhereExactly) {
    const QString Stored = QStringLiteral("  y:\t1 < 2 & 3  \n\n\tz: y&lt;1\u00a0{ nbsp }\n");
    Db.Exec(QStringLiteral("UPDATE docs SET body = '%1' WHERE id = %2").arg(Stored).arg(First));
    ASSERT_TRUE(Model->select());
    EXPECT_EQ(Editor.Text(), Stored);
    EXPECT_EQ(Editor.document()->blockCount(), 4);
    EXPECT_FALSE(Editor.Modified());
    EXPECT_EQ(Source.State(), TDataSetState::dsBrowse);
}

TEST_F(DBRichEditTest, NullShowsAsEmptyText) {
    Db.Exec(QStringLiteral("UPDATE docs SET body = NULL WHERE id = %1").arg(First));
    ASSERT_TRUE(Model->select());
    EXPECT_EQ(Editor.Text(), QString());
    EXPECT_FALSE(Editor.isReadOnly());
}

TEST_F(DBRichEditTest, RecolouringIsNoEdit) {
    struct TBold : QSyntaxHighlighter {
        using QSyntaxHighlighter::QSyntaxHighlighter;
        void highlightBlock(const QString& Text) override {
            QTextCharFormat Format;
            Format.setFontWeight(QFont::Bold);
            setFormat(0, static_cast<int>(Text.size()), Format);
        }
    } Highlighter(Editor.document());
    Highlighter.rehighlight();
    EXPECT_FALSE(Editor.Modified());
    EXPECT_EQ(Source.State(), TDataSetState::dsBrowse);
}

// Writing

TEST_F(DBRichEditTest, StoresExactlyWhatWasTyped) {
    const QString Texts[] = {
        QStringLiteral("x: 1\n\n\ny: x*2\n"),
        QStringLiteral("{ Größe \u03c9 }\tw: 2*pi\u00a0*f"),
        QString::fromUcs4(U"p: 1 { \U0001D70B }"),
        QString(100000, u'7'),
        QStringLiteral("<b>&amp;</b>"),
    };
    for (const QString& Text : Texts) {
        TypeOver(Editor, Text);
        ASSERT_TRUE(Editor.Modified());
        ASSERT_TRUE(Editor.SaveEdits());
        EXPECT_EQ(Db.Body(First).toString(), Text) << Text.left(40).toStdString();
        EXPECT_FALSE(Editor.Modified());
        EXPECT_EQ(Editor.Text(), Text);
    }
}

TEST_F(DBRichEditTest, SavingKeepsTheCaretAndTheUndoSteps) {
    Editor.moveCursor(QTextCursor::End);
    TypeInto(Editor, QStringLiteral("+1"));
    const int Caret = Editor.textCursor().position();
    ASSERT_TRUE(Editor.SaveEdits());
    EXPECT_EQ(Editor.textCursor().position(), Caret);
    EXPECT_TRUE(Editor.document()->isUndoAvailable());
}

TEST_F(DBRichEditTest, UndoNeverReachesIntoAnotherRecord) {
    Db.Exec(QStringLiteral("UPDATE docs SET body = 'a: 12' WHERE id = %1").arg(Second));
    ASSERT_TRUE(Model->select());
    Editor.moveCursor(QTextCursor::End);
    TypeInto(Editor, QStringLiteral("2"));
    ASSERT_TRUE(Source.Next());
    EXPECT_EQ(Db.Body(First).toString(), QStringLiteral("a: 12"));
    EXPECT_FALSE(Editor.document()->isUndoAvailable()) << "the same text, another record";
    Editor.undo();
    ASSERT_TRUE(Source.Prior());
    EXPECT_EQ(Db.Body(Second).toString(), QStringLiteral("a: 12"));
}

TEST_F(DBRichEditTest, MovingToAnotherRecordWritesTheEditsFirst) {
    TypeOver(Editor, QStringLiteral("a: 11"));
    ASSERT_TRUE(Source.Next());
    EXPECT_EQ(Db.Body(First).toString(), QStringLiteral("a: 11"));
    EXPECT_EQ(Editor.Text(), QStringLiteral("b: 2"));
    ASSERT_TRUE(Source.Prior());
    EXPECT_EQ(Editor.Text(), QStringLiteral("a: 11"));
}

TEST_F(DBRichEditTest, LosingTheFocusWritesTheEdits) {
    QWidget Window;
    auto* Layout = new QVBoxLayout(&Window);
    auto* Other = new QPlainTextEdit;
    Editor.setParent(&Window);
    Layout->addWidget(&Editor);
    Layout->addWidget(Other);
    Window.show();
    Window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    Editor.setFocus();
    TypeOver(Editor, QStringLiteral("a: 12"));
    Other->setFocus();
    EXPECT_EQ(Db.Body(First).toString(), QStringLiteral("a: 12"));
    Editor.setParent(nullptr);
}

TEST_F(DBRichEditTest, SwitchingTheFieldWritesTheEditsFirst) {
    TypeOver(Editor, QStringLiteral("a: 13"));
    ASSERT_TRUE(Editor.SetDataField(QStringLiteral("title")));
    EXPECT_EQ(Db.Body(First).toString(), QStringLiteral("a: 13"));
    EXPECT_EQ(Editor.Text(), QStringLiteral("first"));
}

TEST_F(DBRichEditTest, CancelShowsTheStoredTextAgain) {
    TypeOver(Editor, QStringLiteral("scrap"));
    Source.Cancel();
    EXPECT_FALSE(Editor.Modified());
    EXPECT_EQ(Editor.Text(), QStringLiteral("a: 1"));
}

// Failed writes: the text stays in the editor and a later post writes it.

class DBRichEditFailureTest : public DBRichEditTest {
protected:
    // Types Text, expects the write to fail with a message naming Cause, and the text kept.
    void ExpectRefused(const QString& Text, const QString& Cause) {
        QSignalSpy Errors(&Editor, &TDBRichEdit::DataError);
        TypeOver(Editor, Text);
        EXPECT_FALSE(Editor.SaveEdits());
        ASSERT_GE(Errors.count(), 1);
        const QString Message = Errors.last()[0].toString();
        EXPECT_TRUE(Message.contains(Cause, Qt::CaseInsensitive)) << Message.toStdString();
        EXPECT_EQ(Editor.Text(), Text);
        EXPECT_TRUE(Editor.Modified());
        EXPECT_FALSE(Source.Next()); // no move away from unsaved text
        EXPECT_EQ(Source.CurrentRow(), 0);
        EXPECT_EQ(Editor.Text(), Text);
    }

    void ExpectSavedLater(const QString& Text) {
        EXPECT_TRUE(Editor.SaveEdits()) << Source.LastError().toStdString();
        EXPECT_EQ(Db.Body(First).toString(), Text);
        EXPECT_FALSE(Editor.Modified());
    }
};

TEST_F(DBRichEditFailureTest, LockedDatabase) {
    Db.Exec(QStringLiteral("BEGIN IMMEDIATE"));
    Db.Exec(QStringLiteral("UPDATE docs SET title = 'busy' WHERE id = %1").arg(Second));
    ExpectRefused(QStringLiteral("a: 2"), QStringLiteral("database is locked"));
    Db.Exec(QStringLiteral("COMMIT"));
    ExpectSavedLater(QStringLiteral("a: 2"));
}

TEST_F(DBRichEditFailureTest, ReadOnlyDatabase) {
    Bind(Db.ReadOnly());
    ExpectRefused(QStringLiteral("a: 3"), QStringLiteral("readonly"));
    // The host opens the file for writing again; the kept text goes in.
    QSqlDatabase Connection = Db.ReadOnly();
    Connection.close();
    Connection.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
    ASSERT_TRUE(Connection.open());
    ExpectSavedLater(QStringLiteral("a: 3"));
}

TEST_F(DBRichEditFailureTest, RecordDeletedElsewhere) {
    Db.Exec(QStringLiteral("DELETE FROM docs WHERE id = %1").arg(First));
    ExpectRefused(QStringLiteral("a: 4"), QStringLiteral("deleted"));
    Db.Exec(QStringLiteral("INSERT INTO docs (id, title) VALUES (%1, 'restored')").arg(First));
    ExpectSavedLater(QStringLiteral("a: 4"));
}

TEST_F(DBRichEditFailureTest, ConstraintViolated) {
    ExpectRefused(QStringLiteral("a: 5 #reject#"), QStringLiteral("constraint"));
    Editor.moveCursor(QTextCursor::End);
    for (int I = 0; I < 8; ++I)
        Editor.textCursor().deletePreviousChar();
    ExpectSavedLater(QStringLiteral("a: 5 "));
}

TEST_F(DBRichEditFailureTest, ClosingTheWindowWaitsForTheWrite) {
    QWidget Window;
    Editor.setParent(&Window);
    Window.show();
    Db.Exec(QStringLiteral("BEGIN IMMEDIATE"));
    ExpectRefused(QStringLiteral("a: 6"), QStringLiteral("locked"));
    EXPECT_FALSE(Window.close());
    EXPECT_TRUE(Window.isVisible());
    Db.Exec(QStringLiteral("ROLLBACK"));
    EXPECT_TRUE(Window.close());
    EXPECT_EQ(Db.Body(First).toString(), QStringLiteral("a: 6"));
    Editor.setParent(nullptr);
}

TEST_F(DBRichEditFailureTest, SwitchingTheFieldIsRefused) {
    Db.Exec(QStringLiteral("BEGIN IMMEDIATE"));
    ExpectRefused(QStringLiteral("a: 7"), QStringLiteral("locked"));
    EXPECT_FALSE(Editor.SetDataField(QStringLiteral("title")));
    EXPECT_FALSE(Editor.SetDataSource(nullptr));
    EXPECT_EQ(Editor.DataField(), QStringLiteral("body"));
    EXPECT_EQ(Editor.DataSource(), &Source);
    EXPECT_EQ(Editor.Text(), QStringLiteral("a: 7"));
    Db.Exec(QStringLiteral("ROLLBACK"));
    ExpectSavedLater(QStringLiteral("a: 7"));
}

// Bindings that do not work

TEST_F(DBRichEditTest, AWrongFieldNameIsReported) {
    QSignalSpy Errors(&Editor, &TDBRichEdit::DataError);
    ASSERT_TRUE(Editor.SetDataField(QStringLiteral("bodyy")));
    ASSERT_EQ(Errors.count(), 1);
    EXPECT_EQ(Errors[0][0].toString(), QStringLiteral("The record set has no field \"bodyy\"."));
    EXPECT_EQ(Editor.BindingError(), Errors[0][0].toString());
    EXPECT_EQ(Editor.Text(), QString());
    EXPECT_TRUE(Editor.isReadOnly());
    TypeInto(Editor, QStringLiteral("lost"));
    EXPECT_FALSE(Editor.Modified());
}

TEST_F(DBRichEditTest, ADataSourceWithoutRecordSetIsReported) {
    TDataSource Empty;
    ASSERT_TRUE(Editor.SetDataSource(&Empty));
    EXPECT_EQ(Editor.BindingError(), QStringLiteral("The data source has no record set."));
    EXPECT_TRUE(Editor.isReadOnly());
    ASSERT_TRUE(Editor.SetDataSource(nullptr));
    EXPECT_EQ(Editor.BindingError(), QString());
}

TEST_F(DBRichEditTest, ARecordSetFreedWhileEditingLeavesTheTextInSight) {
    QSignalSpy Errors(&Editor, &TDBRichEdit::DataError);
    TypeOver(Editor, QStringLiteral("a: 9"));
    Model.reset();
    EXPECT_EQ(Editor.Text(), QStringLiteral("a: 9"));
    EXPECT_FALSE(Editor.Modified());
    EXPECT_TRUE(Editor.isReadOnly());
    ASSERT_FALSE(Errors.isEmpty());
    EXPECT_TRUE(Errors.last()[0].toString().contains(QStringLiteral("freed")));
    EXPECT_EQ(Source.State(), TDataSetState::dsInactive);
}

} // namespace
