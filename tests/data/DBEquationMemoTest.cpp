#include "DataTyping.h"
#include "TestDatabase.h"

#include <QSignalSpy>
#include <QSqlTableModel>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <gtest/gtest.h>
#include <memory>
#include <zoZezo/DBEquationMemo.h>
#include <zoZezo/EquationMemo.h>
#include <zoZezo/Evaluator.h>

using zoZezo::TCustomovEquationMemo;
using zoZezo::TDataSource;
using zoZezo::TovDBEquationMemo;
using zoZezo::TovEquationMemo;

namespace {

// True when some character of the editor carries a colour of the memo.
bool Coloured(const QPlainTextEdit& Editor) {
    for (QTextBlock Block = Editor.document()->begin(); Block.isValid(); Block = Block.next())
        if (!Block.layout()->formats().isEmpty()) return true;
    return false;
}

// Waits for the rebuild after the pause that follows an edit.
bool WaitForRebuild(TCustomovEquationMemo& Memo) {
    return QTest::qWaitFor([&] { return !Memo.RefreshPending(); }, 2000);
}

class DBEquationMemoTest : public ::testing::TestWithParam<TBackend> {
protected:
    void SetUp() override {
        SKIP_WITHOUT_SERVER(GetParam());
        First = Db.Insert(QStringLiteral("first"), QStringLiteral("a: 1\nb: a+1"));
        Second = Db.Insert(QStringLiteral("second"), QStringLiteral("c: 3"));
        Model = std::make_unique<QSqlTableModel>(nullptr, Db.Main());
        Model->setTable(QStringLiteral("docs"));
        ASSERT_TRUE(Model->select());
        ASSERT_TRUE(Source.SetModel(Model.get()));
        Memo = std::make_unique<TovDBEquationMemo>();
        Memo->SetRefreshDelay(1);
        Memo->SetzoZezoEvaluator(&Evaluator);
        ASSERT_TRUE(Memo->SetDataSource(&Source));
        ASSERT_TRUE(Memo->SetDataField(QStringLiteral("body")));
        ASSERT_TRUE(WaitForRebuild(*Memo));
    }

    void TearDown() override { Memo.reset(); }

    QPlainTextEdit& Editor() { return *Memo->DBEditor(); }

    TTestDatabase Db{GetParam()};
    int First = 0;
    int Second = 0;
    std::unique_ptr<QSqlTableModel> Model;
    TDataSource Source;
    zoZezo::TzoZezoEvaluator Evaluator;
    std::unique_ptr<TovDBEquationMemo> Memo;
};

// Construction and properties

TEST(DBEquationMemoNewTest, ANewMemoOfEachKindIsEmptyAndColours) {
    TovEquationMemo Plain;
    TovDBEquationMemo Data;
    for (TCustomovEquationMemo* Memo : {static_cast<TCustomovEquationMemo*>(&Plain),
                                        static_cast<TCustomovEquationMemo*>(&Data)}) {
        EXPECT_FALSE(Memo->PlainText());
        EXPECT_EQ(Memo->property("PlainText"), QVariant(false));
        ASSERT_NE(Memo->Editor(), nullptr);
        EXPECT_TRUE(Memo->Editor()->toPlainText().isEmpty());
    }
    EXPECT_EQ(Data.GetDataSource(), nullptr);
    EXPECT_EQ(Data.GetDataField(), QString());
    EXPECT_TRUE(Data.DataError().isEmpty());
    EXPECT_STREQ(Data.ClassName(), "TovDBEquationMemo");
}

TEST(DBEquationMemoNewTest, TheBindingIsPublishedAheadOfPlainText) {
    const QMetaObject& Meta = TovDBEquationMemo::staticMetaObject;
    const int Field = Meta.indexOfProperty("DataField");
    const int Source = Meta.indexOfProperty("DataSource");
    const int Plain = Meta.indexOfProperty("PlainText");
    ASSERT_GE(Field, Meta.propertyOffset());
    EXPECT_LT(Field, Plain);
    EXPECT_LT(Source, Plain);
}

TEST_P(DBEquationMemoTest, DataFieldAndDataSourceReadBack) {
    EXPECT_EQ(Memo->GetDataField(), QStringLiteral("body"));
    EXPECT_EQ(Memo->property("DataField").toString(), QStringLiteral("body"));
    EXPECT_EQ(Memo->GetDataSource(), &Source);
    EXPECT_EQ(Memo->DBEditor()->DataField(), QStringLiteral("body"));
}

TEST_P(DBEquationMemoTest, DataSourceSetToNoneUnbindsLinkAndEditor) {
    ASSERT_TRUE(Memo->SetDataSource(nullptr));
    EXPECT_EQ(Memo->GetDataSource(), nullptr);
    EXPECT_EQ(Memo->DBEditor()->DataSource(), nullptr);
    EXPECT_TRUE(Editor().toPlainText().isEmpty());
    EXPECT_TRUE(Editor().isReadOnly());
    EXPECT_TRUE(Memo->DataError().isEmpty());
}

// PlainText across rebuilds, for both kinds

void ExpectPlainTextSwitch(TCustomovEquationMemo& Memo, QPlainTextEdit& Editor) {
    Memo.SetPlainText(true);
    EXPECT_FALSE(Coloured(Editor));
    TypeOver(Editor, QStringLiteral("x: 1\ny: x*2"));
    ASSERT_TRUE(WaitForRebuild(Memo));
    EXPECT_TRUE(Memo.StatusText().isEmpty());
    EXPECT_FALSE(Coloured(Editor));
    Memo.SetPlainText(false);
    TypeInto(Editor, QStringLiteral("+1"));
    ASSERT_TRUE(WaitForRebuild(Memo));
    EXPECT_TRUE(Coloured(Editor));
    EXPECT_FALSE(Memo.property("PlainText").toBool());
}

TEST_P(DBEquationMemoTest, PlainTextSwitchesAcrossRebuilds) {
    EXPECT_TRUE(Coloured(Editor())); // the loaded record was coloured
    ExpectPlainTextSwitch(*Memo, Editor());
    ASSERT_TRUE(Memo->SaveEdits());
    EXPECT_EQ(Db.Body(First).toString(), QStringLiteral("x: 1\ny: x*2+1"));
}

TEST(DBEquationMemoNewTest, PlainTextSwitchesAcrossRebuildsInThePlainMemo) {
    zoZezo::TzoZezoEvaluator Evaluator;
    TovEquationMemo Memo;
    Memo.SetRefreshDelay(1);
    Memo.SetzoZezoEvaluator(&Evaluator);
    ExpectPlainTextSwitch(Memo, *Memo.Editor());
}

// Records

TEST_P(DBEquationMemoTest, LoadingARecordRebuildsAfterThePause) {
    ASSERT_EQ(Evaluator.Equations().Count(), 2);
    QSignalSpy Evaluated(Memo.get(), &TCustomovEquationMemo::OnEvaluate);
    ASSERT_TRUE(Source.Next());
    EXPECT_EQ(Editor().toPlainText(), QStringLiteral("c: 3"));
    EXPECT_EQ(Evaluated.count(), 0);
    EXPECT_TRUE(Memo->RefreshPending());
    ASSERT_TRUE(WaitForRebuild(*Memo));
    EXPECT_EQ(Evaluated.count(), 1);
    ASSERT_EQ(Evaluator.Equations().Count(), 1);
    EXPECT_EQ(Evaluator.Equations().GetEquation(0)->Compute(), 3);
    EXPECT_FALSE(Memo->Modified()); // loading is no edit
}

TEST_P(DBEquationMemoTest, EquationsSetByTheHostAreAnEditToo) {
    Memo->SetEquations({QStringLiteral("q: 1"), QStringLiteral("r: q")});
    ASSERT_TRUE(Source.Next());
    EXPECT_EQ(Db.Body(First).toString(), QStringLiteral("q: 1\nr: q"));
}

TEST_P(DBEquationMemoTest, SwitchingTheDataSourceWritesTheEditsFirst) {
    TDataSource Other;
    ASSERT_TRUE(Other.SetModel(Model.get()));
    ASSERT_TRUE(Other.Last());
    TypeOver(Editor(), QStringLiteral("a: 5"));
    ASSERT_TRUE(Memo->SetDataSource(&Other));
    EXPECT_EQ(Db.Body(First).toString(), QStringLiteral("a: 5"));
    EXPECT_EQ(Editor().toPlainText(), QStringLiteral("c: 3"));
    ASSERT_TRUE(Memo->SetDataSource(&Source));
}

TEST_P(DBEquationMemoTest, FreeingTheMemoWritesTheEdits) {
    TypeOver(Editor(), QStringLiteral("a: 7"));
    Memo.reset();
    EXPECT_EQ(Db.Body(First).toString(), QStringLiteral("a: 7"));
}

// Errors

TEST_P(DBEquationMemoTest, AFailedWriteStaysInTheStatusLineUntilTheTextIsSaved) {
    QSignalSpy Errors(Memo.get(), &TovDBEquationMemo::OnDataError);
    Db.Lock();
    TypeOver(Editor(), QStringLiteral("a: 8"));
    EXPECT_FALSE(Memo->SaveEdits());
    ASSERT_EQ(Errors.count(), 1);
    EXPECT_EQ(Errors[0][0].value<TCustomovEquationMemo*>(), Memo.get());
    EXPECT_TRUE(Memo->StatusText().contains(Db.LockedMessage()))
        << Memo->StatusText().toStdString();

    ASSERT_TRUE(WaitForRebuild(*Memo)); // the equations compile; the error stays in sight
    EXPECT_EQ(Memo->StatusText(), Memo->DataError());
    TypeInto(Editor(), QStringLiteral("+"));
    ASSERT_TRUE(WaitForRebuild(*Memo)); // a compile error takes the line meanwhile
    EXPECT_TRUE(Memo->StatusText().startsWith(QStringLiteral("Error: ")));
    Editor().textCursor().deletePreviousChar();
    ASSERT_TRUE(WaitForRebuild(*Memo));
    EXPECT_EQ(Memo->StatusText(), Memo->DataError());
    EXPECT_EQ(Editor().toPlainText(), QStringLiteral("a: 8"));

    Db.Unlock();
    EXPECT_TRUE(Memo->SaveEdits());
    EXPECT_EQ(Db.Body(First).toString(), QStringLiteral("a: 8"));
    EXPECT_TRUE(Memo->StatusText().isEmpty());
    EXPECT_TRUE(Memo->DataError().isEmpty());
}

TEST_P(DBEquationMemoTest, AWrongFieldNameIsShownAndMended) {
    QSignalSpy Errors(Memo.get(), &TovDBEquationMemo::OnDataError);
    ASSERT_TRUE(Memo->SetDataField(QStringLiteral("equations")));
    EXPECT_EQ(Memo->GetDataField(), QStringLiteral("equations"));
    EXPECT_EQ(Memo->StatusText(), QStringLiteral("The record set has no field \"equations\"."));
    EXPECT_EQ(Errors.count(), 1);
    EXPECT_TRUE(Editor().toPlainText().isEmpty());
    ASSERT_TRUE(Memo->SetDataField(QStringLiteral("body")));
    EXPECT_TRUE(Memo->DataError().isEmpty());
    EXPECT_EQ(Editor().toPlainText(), QStringLiteral("a: 1\nb: a+1"));
}

TEST_P(DBEquationMemoTest, TheDataSourceFreedBeforeTheMemo) {
    auto Doomed = std::make_unique<TDataSource>();
    ASSERT_TRUE(Doomed->SetModel(Model.get()));
    ASSERT_TRUE(Memo->SetDataSource(Doomed.get()));
    TypeOver(Editor(), QStringLiteral("a: 9"));
    Doomed.reset();
    EXPECT_EQ(Memo->GetDataSource(), nullptr);
    EXPECT_EQ(Memo->DBEditor()->DataSource(), nullptr);
    EXPECT_EQ(Db.Body(First).toString(), QStringLiteral("a: 9"));
    TypeInto(Editor(), QStringLiteral("ignored"));
    ASSERT_TRUE(WaitForRebuild(*Memo));
    Memo.reset();
}

INSTANTIATE_TEST_SUITE_P(Backends, DBEquationMemoTest,
                         ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL), BackendName);

} // namespace
