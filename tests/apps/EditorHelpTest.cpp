#include "FindBar.h"
#include "HelpDialog.h"
#include "NameCompletion.h"
#include "Reference.h"
#include "TextMarks.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>
#include <set>

using workbench::TReferenceEntry;

namespace {

zoZezo::TComplex Twice(std::span<const zoZezo::TComplex> Args) {
    return {2 * Args[0].Re, 2 * Args[0].Im};
}

const TReferenceEntry* Entry(const std::vector<TReferenceEntry>& Entries, const QString& Name) {
    for (const TReferenceEntry& Entry : Entries)
        if (Entry.Name == Name) return &Entry;
    return nullptr;
}

// Every built-in name has its own line of help; what a host adds is described by its table.
TEST(ReferenceTest, EveryEntryOfTheTablesHasItsLineOfHelp) {
    zoZezo::TzoZezoEvaluator Evaluator;
    std::set<QString> Lines;
    for (const TReferenceEntry& Entry : workbench::ReferenceEntries(Evaluator)) {
        EXPECT_FALSE(Entry.Help.contains("added by the program")) << Entry.Name.toStdString();
        Lines.insert(Entry.Help);
    }
    EXPECT_EQ(Lines.size(), 27u + 15u + 2u);

    Evaluator.Separator = '|';
    Evaluator.Functions().Add("Gain", 2, Twice);
    Evaluator.Constants().Add("k", 1.5, -2);
    const auto Entries = workbench::ReferenceEntries(Evaluator);
    ASSERT_TRUE(Entry(Entries, "If"));
    EXPECT_EQ(Entry(Entries, "If")->Usage, "If(c| a| b)");
    ASSERT_TRUE(Entry(Entries, "Gain"));
    EXPECT_EQ(Entry(Entries, "Gain")->Usage, "Gain(a| b)");
    EXPECT_EQ(Entry(Entries, "Gain")->Help, "a function of 2 added by the program");
    ASSERT_TRUE(Entry(Entries, "k"));
    EXPECT_EQ(Entry(Entries, "k")->Help, "a constant added by the program, 1.5-2j");
}

class NameCompletionTest : public ::testing::Test {
protected:
    QPlainTextEdit Editor;
    workbench::TNameCompletion Completion{&Editor};

    void SetUp() override {
        Completion.SetNames({"amplitude", "Abs", "angle"}, {"Abs"}, '(', '{', '}');
        Editor.show();
        QApplication::setActiveWindow(&Editor);
        Editor.setFocus();
    }
    bool Offered() const { return Completion.Completer()->popup()->isVisible(); }
};

TEST_F(NameCompletionTest, TwoCharactersOfANameOfferTheNamesThatBeginSo) {
    QTest::keyClicks(&Editor, "y: a");
    EXPECT_FALSE(Offered());
    QTest::keyClicks(&Editor, "m");
    ASSERT_TRUE(Offered());
    QTest::keyClick(Completion.Completer()->popup(), Qt::Key_Return);
    EXPECT_EQ(Editor.toPlainText(), "y: amplitude");
    EXPECT_FALSE(Offered());

    QTest::keyClicks(&Editor, "*ab");
    ASSERT_TRUE(Offered());
    QTest::keyClick(Completion.Completer()->popup(), Qt::Key_Tab);
    EXPECT_EQ(Editor.toPlainText(), "y: amplitude*Abs("); // a function comes with its call
}

TEST_F(NameCompletionTest, NothingIsOfferedInACommentOrAfterANumber) {
    QTest::keyClicks(&Editor, "y: 2 { am");
    EXPECT_FALSE(Offered());
    Editor.clear();
    QTest::keyClicks(&Editor, "y: 2e");
    Completion.Complete();
    EXPECT_FALSE(Offered());
}

TEST(TextMarksTest, AnErrorIsMarkedAtItsCharacterWithItsMessageOverTheLine) {
    QPlainTextEdit Editor;
    Editor.setPlainText("a: 1\nb: (a+\nc: 3");
    workbench::TTextMarks Marks(&Editor);
    Marks.SetMarks({{workbench::TTextMark::mkError, 2, 99, 1, "Error: Incomplete"},
                    {workbench::TTextMark::mkError, 7, 0, 1, "on no line"}});
    const QList<QTextEdit::ExtraSelection> Shown = Editor.extraSelections();
    ASSERT_EQ(Shown.size(), 2); // the line, and the last character of it underlined
    EXPECT_EQ(Shown[1].cursor.selectedText(), "+");
    const int SecondLine = Editor.document()->findBlockByNumber(1).position();
    EXPECT_EQ(Marks.MessageAt(SecondLine), "Error: Incomplete");
    EXPECT_EQ(Marks.MessageAt(0), "");
}

} // namespace

namespace {

TEST(FindBarTest, FindingGoesRoundAndSaysWhenThereIsNothing) {
    QPlainTextEdit Editor;
    Editor.setPlainText("ab: 1\nc: AB*2\nd: ab");
    workbench::TFindBar Bar(&Editor);
    Bar.Field()->setText("ab");
    QTextCursor Caret = Editor.textCursor();
    Caret.setPosition(11); // in the second line, after AB
    Editor.setTextCursor(Caret);
    ASSERT_TRUE(Bar.Find());
    EXPECT_EQ(Editor.textCursor().blockNumber(), 2);
    ASSERT_TRUE(Bar.Find()); // round to the first
    EXPECT_EQ(Editor.textCursor().selectionStart(), 0);
    ASSERT_TRUE(Bar.Find(true)); // and back round to the last
    EXPECT_EQ(Editor.textCursor().blockNumber(), 2);
    Bar.Field()->setText("zz");
    EXPECT_FALSE(Bar.Find());
    EXPECT_EQ(Editor.textCursor().blockNumber(), 2); // the caret stays
}

TEST(HelpDialogTest, TheLanguageIsShownInTheUsersCharacters) {
    workbench::TSyntaxCharacters Syntax;
    Syntax.Separator = '|';
    Syntax.DecimalPoint = ',';
    const QString Page = workbench::THelpDialog::Page(workbench::THelpDialog::htLanguage, Syntax);
    EXPECT_TRUE(Page.contains("If(c| a| b)")) << Page.toStdString();
    EXPECT_TRUE(Page.contains("0,5"));
    EXPECT_FALSE(Page.contains('@'));
}

} // namespace
