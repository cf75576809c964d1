// Colouring by character class: formats read back from the block layouts, plain-text mode,
// and what recolouring must leave alone (the undo stack, the pause timer, OnChange, the
// colours of lines that move).
#include "MemoFixture.h"

#include <QAbstractTextDocumentLayout>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

namespace zoZezo::test {
namespace {

using Colouring = MemoTest;

QColor ColourAt(QPlainTextEdit& Editor, int Line, int Offset) {
    return FormatAt(Editor, Line, Offset).foreground().color();
}

bool BoldAt(QPlainTextEdit& Editor, int Line, int Offset) {
    return FormatAt(Editor, Line, Offset).fontWeight() >= QFont::Bold;
}

bool HasFormats(QPlainTextEdit& Editor) {
    for (QTextBlock Block = Editor.document()->begin(); Block.isValid(); Block = Block.next())
        if (!Block.layout()->formats().isEmpty()) return true;
    return false;
}

const QColor Navy(0, 0, 128), Red(255, 0, 0), Black(0, 0, 0), Olive(128, 128, 0);

TEST_F(Colouring, EveryClassTakesItsFont) {
    // y: name, ':' symbol, '2' number, '*' symbol, "pi" name, "{c}" remark.
    SetTextAndRebuild(QStringLiteral("y: 2*pi {c}"));
    EXPECT_EQ(ColourAt(Editor(), 0, 0), Navy);
    EXPECT_TRUE(BoldAt(Editor(), 0, 0));
    EXPECT_EQ(ColourAt(Editor(), 0, 1), Black);
    EXPECT_FALSE(BoldAt(Editor(), 0, 1));
    EXPECT_EQ(ColourAt(Editor(), 0, 3), Red);
    EXPECT_EQ(ColourAt(Editor(), 0, 4), Black);
    EXPECT_EQ(ColourAt(Editor(), 0, 5), Navy);
    EXPECT_EQ(ColourAt(Editor(), 0, 6), Navy);
    for (int Offset = 8; Offset < 11; ++Offset)
        EXPECT_EQ(ColourAt(Editor(), 0, Offset), Olive) << Offset;
    EXPECT_EQ(FormatAt(Editor(), 0, 0).fontFamilies().toStringList().value(0),
              QStringLiteral("Courier New"));
}

TEST_F(Colouring, EveryCharacterFollowsTheCompilersClassString) {
    SetTextAndRebuild(QStringLiteral("f(a;b): a*b+1.5e3 {x}\ng: f(2;3)"));
    const QColor ByClass[] = {Olive, Black, Navy, Red};
    for (int Line = 0; Line < 2; ++Line) {
        const std::string& Classes = Evaluator.Equations().GetEquation(Line)->CharClasses();
        ASSERT_FALSE(Classes.empty());
        for (std::size_t I = 0; I < Classes.size(); ++I)
            EXPECT_EQ(ColourAt(Editor(), Line, static_cast<int>(I)), ByClass[Classes[I] - '0'])
                << "line " << Line << " offset " << I;
    }
}

TEST_F(Colouring, NonAsciiCharactersTakeTheClassOfTheirOwnBytes) {
    SetTextAndRebuild(QStringLiteral("y: 1 {é𝑥} + pi"));
    EXPECT_EQ(ColourAt(Editor(), 0, 6), Olive);
    EXPECT_EQ(ColourAt(Editor(), 0, 8), Olive) << "the second unit of the surrogate pair";
    EXPECT_EQ(ColourAt(Editor(), 0, 9), Olive);
    EXPECT_EQ(ColourAt(Editor(), 0, 11), Black);
    EXPECT_EQ(ColourAt(Editor(), 0, 13), Navy);
    EXPECT_EQ(ColourAt(Editor(), 0, 14), Navy);
}

TEST_F(Colouring, RecolouringFiresNoChangeAndStartsNoRebuild) {
    Type(QStringLiteral("y: 1"));
    const auto ChangesTyped = Changes.count();
    Memo.CheckEquations();
    ASSERT_TRUE(HasFormats(Editor()));
    EXPECT_EQ(Changes.count(), ChangesTyped);
    EXPECT_FALSE(Memo.RefreshPending());
    TFont Numbers = Memo.FontOfNumbers();
    Numbers.Color = clNavy;
    Memo.SetFontOfNumbers(Numbers);
    EXPECT_EQ(Changes.count(), ChangesTyped);
    EXPECT_FALSE(Memo.RefreshPending());
    EXPECT_EQ(ColourAt(Editor(), 0, 3), Navy) << "a new font repaints at once";
}

TEST_F(Colouring, RecolouringAddsNoUndoStep) {
    Type(QStringLiteral("y: 1+2"));
    const int Steps = Editor().document()->availableUndoSteps();
    Memo.CheckEquations();
    ASSERT_TRUE(HasFormats(Editor()));
    EXPECT_EQ(Editor().document()->availableUndoSteps(), Steps);
    Editor().undo();
    EXPECT_TRUE(Editor().toPlainText().isEmpty()) << "the typing undone, nothing else";
}

TEST_F(Colouring, SelectionCollapsesToACaretAtItsStart) {
    SetTextAndRebuild(QStringLiteral("a: 1\nbb: 22"));
    QTextCursor Selection(Editor().document());
    Selection.setPosition(7);
    Selection.setPosition(10, QTextCursor::KeepAnchor);
    Editor().setTextCursor(Selection);
    Memo.CheckEquations();
    EXPECT_FALSE(Editor().textCursor().hasSelection());
    EXPECT_EQ(Editor().textCursor().blockNumber(), 1);
    EXPECT_EQ(Editor().textCursor().positionInBlock(), 2);
}

TEST_F(Colouring, ViewStaysWhereTheUserScrolledIt) {
    QStringList Lines;
    for (int I = 0; I < 200; ++I)
        Lines << QStringLiteral("v%1: %1").arg(I);
    Memo.SetEquations(Lines);
    Editor().moveCursor(QTextCursor::Start);
    QScrollBar& Down = *Editor().verticalScrollBar();
    Down.setValue(Down.maximum());
    ASSERT_GT(Down.value(), 0);
    Memo.CheckEquations();
    EXPECT_EQ(Down.value(), Down.maximum());
    EXPECT_EQ(Editor().textCursor().position(), 0);
}

TEST_F(Colouring, LinesKeepTheirColoursWhenLinesAboveComeAndGo) {
    SetTextAndRebuild(QStringLiteral("a: 1\nb: 22"));
    const QString Second = FormatsOf(Editor(), 1);
    QTextCursor Cursor(Editor().document()->findBlockByNumber(1));
    Cursor.insertText(QStringLiteral("{new}\n"));
    EXPECT_EQ(FormatsOf(Editor(), 2), Second);
    Cursor.movePosition(QTextCursor::StartOfBlock);
    Cursor.movePosition(QTextCursor::PreviousBlock, QTextCursor::KeepAnchor);
    Cursor.removeSelectedText();
    EXPECT_EQ(FormatsOf(Editor(), 1), Second) << Editor().toPlainText().toStdString();
}

QStringList NumberedLines(int Count) {
    QStringList Lines;
    for (int I = 0; I < Count; ++I)
        Lines << QStringLiteral("v%1: %1").arg(I);
    return Lines;
}

qreal HeightOf(QPlainTextEdit& Editor, int Line) {
    const QTextBlock Block = Editor.document()->findBlockByNumber(Line);
    return Editor.document()->documentLayout()->blockBoundingRect(Block).height();
}

TEST_F(Colouring, AFullRecolourLaysLinesOutInTheirFontsInViewAndFarBelowIt) {
    TFont Ids = Memo.FontOfIds();
    Ids.Size = 40;
    Memo.SetFontOfIds(Ids);
    Memo.SetEquations(NumberedLines(300));
    const qreal Plain = HeightOf(Editor(), 0);
    Memo.CheckEquations();
    EXPECT_GT(HeightOf(Editor(), 0), 2 * Plain) << "a line in view";
    EXPECT_GT(HeightOf(Editor(), 299), 2 * Plain) << "the last line";
    EXPECT_EQ(ColourAt(Editor(), 299, 0), Navy);
    EXPECT_EQ(ColourAt(Editor(), 299, 6), Red);
}

TEST_F(Colouring, LinesFarApartAreRecolouredByOneRebuild) {
    Memo.SetEquations(NumberedLines(300));
    Memo.CheckEquations();
    const QString Between = FormatsOf(Editor(), 150);
    for (const int Line : {3, 290}) {
        QTextCursor Cursor(Editor().document()->findBlockByNumber(Line));
        Cursor.movePosition(QTextCursor::EndOfBlock);
        Cursor.insertText(QStringLiteral("+pi"));
    }
    QAbstractTextDocumentLayout* Layout = Editor().document()->documentLayout();
    QSignalSpy Repaints(Layout, &QAbstractTextDocumentLayout::update);
    QSignalSpy LineRepaints(Layout, &QAbstractTextDocumentLayout::updateBlock);
    Memo.CheckEquations();
    EXPECT_GE(Repaints.count() + LineRepaints.count(), 2) << "the views asked to repaint both";
    EXPECT_EQ(ColourAt(Editor(), 3, 6), Navy);
    EXPECT_EQ(ColourAt(Editor(), 290, 10), Navy);
    EXPECT_EQ(ColourAt(Editor(), 290, 0), Navy);
    EXPECT_EQ(FormatsOf(Editor(), 150), Between);
}

TEST_F(Colouring, ALongLineIsColouredWhereverTheViewIsScrolled) {
    QString Line = QStringLiteral("y: 1");
    while (Line.size() < 5000)
        Line += QStringLiteral("+pi");
    SetTextAndRebuild(Line);
    EXPECT_EQ(ColourAt(Editor(), 0, 3), Red);
    QScrollBar& Across = *Editor().horizontalScrollBar();
    Across.setValue(Across.maximum());
    EXPECT_EQ(ColourAt(Editor(), 0, static_cast<int>(Line.size()) - 1), Navy) << "the last pi";
    Editor().moveCursor(QTextCursor::End);
    Type(QStringLiteral("+2"));
    EXPECT_EQ(ColourAt(Editor(), 0, static_cast<int>(Line.size()) - 1), Navy) << "after a key";
}

TEST_F(Colouring, ALineBeingComposedKeepsItsColoursBesideTheComposedText) {
    Editor().setPlainText(QStringLiteral("y: 1"));
    QInputMethodEvent Compose(QStringLiteral("zz"), {});
    QCoreApplication::sendEvent(&Editor(), &Compose);
    ASSERT_EQ(Editor().textCursor().block().layout()->preeditAreaText(), QStringLiteral("zz"));
    Memo.CheckEquations();
    EXPECT_EQ(ColourAt(Editor(), 0, 2), Navy) << "the name after the composed text";
    EXPECT_EQ(ColourAt(Editor(), 0, 5), Red);
}

bool Unformatted(QPlainTextEdit& Editor, int Line, int Offset) {
    return !FormatAt(Editor, Line, Offset).hasProperty(QTextFormat::ForegroundBrush);
}

TEST_F(Colouring, EditedLineKeepsTheColoursOfItsCharactersUntilTheNextRebuild) {
    SetTextAndRebuild(QStringLiteral("y: 1"));
    Editor().moveCursor(QTextCursor::End);
    Type(QStringLiteral("+x"));
    EXPECT_EQ(ColourAt(Editor(), 0, 0), Navy);
    EXPECT_EQ(ColourAt(Editor(), 0, 3), Red);
    EXPECT_TRUE(Unformatted(Editor(), 0, 5)) << "new text has no class yet";
    Editor().moveCursor(QTextCursor::Left);
    Editor().moveCursor(QTextCursor::Left);
    Editor().moveCursor(QTextCursor::Left);
    Type(QStringLiteral("9"));
    EXPECT_TRUE(Unformatted(Editor(), 0, 3));
    EXPECT_EQ(ColourAt(Editor(), 0, 4), Red) << "the 1 moved right with its colour";
    Editor().moveCursor(QTextCursor::StartOfLine);
    QTest::keyClick(&Editor(), Qt::Key_Delete);
    EXPECT_EQ(ColourAt(Editor(), 0, 0), Black) << "the colon moved left with its colour";
}

TEST_F(Colouring, LineBreakTypedAtALineStartMovesTheLineWithItsColours) {
    SetTextAndRebuild(QStringLiteral("a: 1\nbb: 22"));
    const QString Second = FormatsOf(Editor(), 1);
    Editor().setTextCursor(QTextCursor(Editor().document()->findBlockByNumber(1)));
    QTest::keyClick(&Editor(), Qt::Key_Return);
    EXPECT_TRUE(FormatsOf(Editor(), 1).isEmpty()) << "the new empty line takes no colours";
    EXPECT_EQ(FormatsOf(Editor(), 2), Second);
    Type(QStringLiteral("zzzz"));
    EXPECT_TRUE(Unformatted(Editor(), 1, 0));
    QTest::keyClick(&Editor(), Qt::Key_Return);
    EXPECT_EQ(FormatsOf(Editor(), 3), Second) << "split at the line's end";
}

TEST_F(Colouring, PlainTextModeShowsNoColours) {
    SetTextAndRebuild(QStringLiteral("y: 1 {c}"));
    ASSERT_TRUE(HasFormats(Editor()));
    const auto ChangesBefore = Changes.count();
    Memo.SetPlainText(true);
    EXPECT_TRUE(Memo.GetPlainText());
    Editor().moveCursor(QTextCursor::End);
    EXPECT_FALSE(HasFormats(Editor()));
    EXPECT_EQ(Changes.count(), ChangesBefore);
    Type(QStringLiteral("+2"));
    Memo.CheckEquations();
    EXPECT_FALSE(HasFormats(Editor()));
    EXPECT_TRUE(Memo.StatusText().isEmpty());
    Memo.SetPlainText(false);
    EXPECT_FALSE(HasFormats(Editor())) << "colours come back with the next rebuild";
    Memo.CheckEquations();
    EXPECT_EQ(ColourAt(Editor(), 0, 0), Navy);
    QCoreApplication::processEvents();
    EXPECT_EQ(Changes.count(), ChangesBefore + 2);
}

} // namespace
} // namespace zoZezo::test
