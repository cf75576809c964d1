// What a new memo looks like, and its properties as a form designer sees them.
#include "MemoFixture.h"

#include <QGuiApplication>
#include <QMetaProperty>
#include <QTest>

namespace zoZezo::test {
namespace {

QVariant PropertyOf(const QObject& Object, const char* Name) {
    const int Index = Object.metaObject()->indexOfProperty(Name);
    EXPECT_GE(Index, 0) << Name;
    return Object.metaObject()->property(Index).read(&Object);
}

TEST(Properties, NewMemoHasTheDeclaredDefaults) {
    TovEquationMemo Memo;
    EXPECT_EQ(Memo.RefreshDelay(), 500);
    EXPECT_FALSE(Memo.GetPlainText());
    EXPECT_EQ(Memo.zoZezoEvaluator(), nullptr);
    EXPECT_TRUE(Memo.Equations().isEmpty());
    EXPECT_EQ(Memo.size(), QSize(240, 80));
    EXPECT_EQ(Memo.font().family(), QStringLiteral("Courier New"));
    EXPECT_FALSE(Memo.RefreshPending());
    EXPECT_EQ(Memo.ErrorLine() + Memo.ErrorColumn() + Memo.ErrorCode(), 0);
    EXPECT_EQ(Memo.Editor()->font().pointSize(), Memo.FontOfSymbols().Size)
        << "uncoloured text in the size it keeps when coloured";
    Memo.show();
    EXPECT_EQ(Memo.size(), QSize(240, 80)) << "as shown, too";
}

TEST(Properties, ClassFontsStartFromOneFontWithTheirOwnColours) {
    TovEquationMemo Memo;
    const TFont Symbols{QStringLiteral("Courier New"), 8, 0, clBlack};
    EXPECT_EQ(Memo.FontOfSymbols(), Symbols);
    EXPECT_EQ(Memo.FontOfIds(), (TFont{Symbols.Name, 8, fsBold, clNavy}));
    EXPECT_EQ(Memo.FontOfNumbers(), (TFont{Symbols.Name, 8, 0, clRed}));
    EXPECT_EQ(Memo.FontOfRemarks(), (TFont{Symbols.Name, 8, 0, clOlive}));
}

TEST(Properties, FontsAreEditableAsFontAndColour) {
    TovEquationMemo Memo;
    EXPECT_EQ(PropertyOf(Memo, "FontOfIdsColor").value<QColor>(), QColor(0, 0, 128));
    EXPECT_TRUE(PropertyOf(Memo, "FontOfIds").value<QFont>().bold());
    QFont Italic = PropertyOf(Memo, "FontOfRemarks").value<QFont>();
    Italic.setItalic(true);
    Italic.setPointSize(11);
    ASSERT_TRUE(Memo.setProperty("FontOfRemarks", Italic));
    ASSERT_TRUE(Memo.setProperty("FontOfRemarksColor", QColor(1, 2, 3)));
    EXPECT_EQ(Memo.FontOfRemarks(),
              (TFont{QStringLiteral("Courier New"), 11, fsItalic, TColor{0x030201}}));
    ASSERT_TRUE(Memo.setProperty("RefreshDelay", 20));
    EXPECT_EQ(Memo.RefreshDelay(), 20);
    ASSERT_TRUE(Memo.setProperty("PlainText", true));
    EXPECT_TRUE(Memo.PlainText());
}

TEST(Properties, NegativeRefreshDelayMeansNoPause) {
    TovEquationMemo Memo;
    Memo.SetRefreshDelay(-5);
    EXPECT_EQ(Memo.RefreshDelay(), 0);
}

TEST(Properties, TColorMapsRgbAndSystemColours) {
    EXPECT_EQ(ToQColor(clMaroon), QColor(128, 0, 0));
    EXPECT_EQ(FromQColor(QColor(0, 0, 128)), clNavy);
    EXPECT_EQ(ToQColor(clBtnFace), QGuiApplication::palette().color(QPalette::Button));
}

TEST(Properties, LoadedFiresOnCreateWithTheMemo) {
    TovEquationMemo Memo;
    QSignalSpy Created(&Memo, &TCustomovEquationMemo::OnCreate);
    Memo.Loaded();
    ASSERT_EQ(Created.count(), 1);
    EXPECT_EQ(Created.first().first().value<TCustomovEquationMemo*>(), &Memo);
}

TEST(Properties, SetFocusFocusesTheEditor) {
    TovEquationMemo Memo;
    Memo.show();
    Memo.activateWindow();
    Memo.SetFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Memo.Editor()->hasFocus(); }, 1000));
}

} // namespace
} // namespace zoZezo::test
