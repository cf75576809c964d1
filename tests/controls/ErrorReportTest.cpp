// The status line: the first faulty line's error, and the click that puts the caret on it.
#include "MemoFixture.h"

#include <QLabel>
#include <QTest>
#include <QTextBlock>

namespace zoZezo::test {
namespace {

using ErrorReport = MemoTest;

int CaretLine(QPlainTextEdit& Editor) {
    return Editor.textCursor().blockNumber();
}
int CaretColumn(QPlainTextEdit& Editor) {
    return Editor.textCursor().positionInBlock();
}

TEST_F(ErrorReport, FaultInTheSecondOfThreeLinesStopsThereAndLeavesTheColours) {
    SetTextAndRebuild(QStringLiteral("a: 1\nb: a*2\nc: 3"));
    const QString ColoursBefore = FormatsOf(Editor(), 0) + "|" + FormatsOf(Editor(), 2);
    ASSERT_FALSE(ColoursBefore.isEmpty());
    QTextCursor Edit(Editor().document()->findBlockByNumber(1));
    Edit.movePosition(QTextCursor::EndOfBlock);
    Edit.deletePreviousChar();
    Edit.insertText(QStringLiteral(")"));
    Memo.CheckEquations();
    ASSERT_EQ(Evaluator.Equations().Count(), 2);
    const auto& Faulty = *Evaluator.Equations().GetEquation(1);
    EXPECT_EQ(Memo.StatusText(), QStringLiteral("Error: %1 (position:2,%2).")
                                     .arg(QString::fromStdString(Faulty.ErrorMsg()))
                                     .arg(Faulty.ErrorPos()));
    EXPECT_EQ(Memo.ErrorLine(), 2);
    EXPECT_EQ(Memo.ErrorColumn(), Faulty.ErrorPos());
    EXPECT_EQ(Memo.ErrorCode(), Faulty.ErrorCode());
    EXPECT_EQ(Memo.ErrorMessage().toStdString(), Faulty.ErrorMsg());
    EXPECT_EQ(FormatsOf(Editor(), 0) + "|" + FormatsOf(Editor(), 2), ColoursBefore);
}

TEST_F(ErrorReport, ErrorStaysUntilARebuildInWhichEveryLineCompiles) {
    SetTextAndRebuild(QStringLiteral("y: 2 +"));
    const int Code = Memo.ErrorCode();
    ASSERT_NE(Code, 0);
    Memo.SetzoZezoEvaluator(nullptr);
    Memo.Refresh();
    EXPECT_EQ(Memo.ErrorCode(), Code) << "no evaluator: only line and column reset";
    Memo.SetzoZezoEvaluator(&Evaluator);
    SetTextAndRebuild(QStringLiteral("y: 2"));
    EXPECT_EQ(Memo.ErrorCode(), 0);
    EXPECT_TRUE(Memo.ErrorMessage().isEmpty());
    EXPECT_TRUE(Memo.StatusText().isEmpty());
}

TEST_F(ErrorReport, ClickOnTheStatusLinePutsTheCaretBeforeTheFaultyCharacter) {
    SetTextAndRebuild(QStringLiteral("a: 1\nb: a*)\nc: 3"));
    ASSERT_EQ(Memo.ErrorColumn(), 6);
    Editor().moveCursor(QTextCursor::End);
    auto* StatusLine = Memo.findChild<QLabel*>();
    ASSERT_NE(StatusLine, nullptr);
    QTest::mouseClick(StatusLine, Qt::LeftButton);
    EXPECT_EQ(CaretLine(Editor()), 1);
    EXPECT_EQ(CaretColumn(Editor()), 5);
    EXPECT_FALSE(Editor().textCursor().hasSelection());
    EXPECT_TRUE(QTest::qWaitFor([&] { return Editor().hasFocus(); }, 1000));
}

TEST_F(ErrorReport, ErrorPastTheEndOfTheLinePutsTheCaretAtItsEnd) {
    SetTextAndRebuild(QStringLiteral("a: 1\nw: 2 +\nc: 3"));
    ASSERT_EQ(Memo.ErrorColumn(), 7);
    Memo.PositionateEquation();
    EXPECT_EQ(CaretLine(Editor()), 1);
    EXPECT_EQ(CaretColumn(Editor()), 6);
}

TEST_F(ErrorReport, ClickWithoutErrorDoesNothing) {
    SetTextAndRebuild(QStringLiteral("a: 1\nb: 2"));
    QTextCursor Selection(Editor().document());
    Selection.setPosition(1);
    Selection.setPosition(3, QTextCursor::KeepAnchor);
    Editor().setTextCursor(Selection);
    Memo.PositionateEquation();
    EXPECT_EQ(Editor().textCursor().selectionStart(), 1);
    EXPECT_EQ(Editor().textCursor().selectionEnd(), 3);
}

TEST_F(ErrorReport, ColumnCountsCharactersAndTheCaretLandsOnTheFaultyOne) {
    // "é" and "ü" take two bytes each in UTF-8; "𝑥" takes four bytes and two UTF-16 units.
    SetTextAndRebuild(QStringLiteral("a: 1 {é ü 𝑥} + ü"));
    EXPECT_EQ(Memo.ErrorColumn(), 16);
    EXPECT_TRUE(Memo.StatusText().endsWith(QStringLiteral("(position:1,16).")));
    Memo.PositionateEquation();
    const QTextCursor Caret = Editor().textCursor();
    EXPECT_EQ(Caret.positionInBlock(), 16) << "the surrogate pair counts two units";
    EXPECT_EQ(Editor().toPlainText().mid(Caret.position(), 1), QStringLiteral("ü"));
}

} // namespace
} // namespace zoZezo::test
