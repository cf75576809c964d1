#include "SyntaxCharacters.h"

#include "SettingsDialog.h"

#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using workbench::TSyntaxCharacters;

namespace {

TEST(SyntaxCharactersTest, TheDefaultsAreTheEvaluators) {
    zoZezo::TzoZezoEvaluator Evaluator;
    EXPECT_EQ(TSyntaxCharacters::Of(Evaluator), TSyntaxCharacters());
    EXPECT_TRUE(TSyntaxCharacters().Problem().isEmpty());
}

TEST(SyntaxCharactersTest, ACommaAsDecimalPointWorksInTheEvaluator) {
    TSyntaxCharacters Syntax;
    Syntax.DecimalPoint = ',';
    Syntax.Separator = '|';
    ASSERT_TRUE(Syntax.Problem().isEmpty());
    zoZezo::TzoZezoEvaluator Evaluator;
    Syntax.ApplyTo(Evaluator);
    zoZezo::TEquation* Y = Evaluator.Equations().Add("y: If(1|1,5|0)");
    EXPECT_EQ(Y->Compute(), 1.5L);
}

TEST(SyntaxCharactersTest, CharactersThatWouldBreakTheLanguageAreRefused) {
    auto With = [](char TSyntaxCharacters::*Member, char C) {
        TSyntaxCharacters Syntax;
        Syntax.*Member = C;
        return Syntax.Problem();
    };
    EXPECT_FALSE(With(&TSyntaxCharacters::Separator, '.').isEmpty());    // the decimal point
    EXPECT_FALSE(With(&TSyntaxCharacters::Separator, '+').isEmpty());    // an operator
    EXPECT_FALSE(With(&TSyntaxCharacters::OpenComment, 'x').isEmpty());  // a name
    EXPECT_FALSE(With(&TSyntaxCharacters::DecimalPoint, '5').isEmpty()); // a digit
    EXPECT_FALSE(With(&TSyntaxCharacters::DecimalPoint, ' ').isEmpty());
    EXPECT_FALSE(With(&TSyntaxCharacters::Imaginary, 'e').isEmpty()); // the exponent
    EXPECT_FALSE(With(&TSyntaxCharacters::Imaginary, '#').isEmpty());
    EXPECT_TRUE(With(&TSyntaxCharacters::Imaginary, 'i').isEmpty());
}

TEST(SyntaxCharactersTest, SettingsKeepThemAndUnusableOnesGiveTheDefaults) {
    QTemporaryDir Folder;
    QSettings Settings(Folder.filePath("s.ini"), QSettings::IniFormat);
    TSyntaxCharacters Syntax;
    Syntax.Imaginary = 'i';
    Syntax.Save(Settings);
    EXPECT_EQ(TSyntaxCharacters::Load(Settings), Syntax);
    Settings.setValue("syntax/Separator", "(");
    EXPECT_EQ(TSyntaxCharacters::Load(Settings), TSyntaxCharacters());
}

} // namespace

namespace {

TEST(SettingsDialogTest, RefusesCharactersThatCannotWorkAndSaysWhy) {
    workbench::TSettingsDialog Dialog(TSyntaxCharacters{});
    Dialog.Field(4)->setText("."); // the separator as the decimal point
    Dialog.accept();
    EXPECT_NE(Dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(Dialog.Characters().Problem().isEmpty());
    Dialog.Field(0)->setText(",");
    Dialog.Field(4)->setText("|");
    Dialog.accept();
    EXPECT_EQ(Dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Dialog.Characters().DecimalPoint, ',');
    EXPECT_EQ(Dialog.Characters().Separator, '|');
}

} // namespace
