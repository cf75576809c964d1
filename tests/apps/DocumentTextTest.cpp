#include "DocumentFiles.h"
#include "SyntaxConversion.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using workbench::TSyntaxCharacters;

namespace {

TEST(DocumentFilesTest, AFileReadsAsTheTextItHoldsOrIsRefusedWithTheReason) {
    QTemporaryDir Folder;
    const struct {
        QByteArray Bytes;
        const char* Text; // null: refused
    } Cases[] = {
        {"a: 1\r\nb: 2\r\n", "a: 1\nb: 2"},
        {"\xef\xbb\xbf"
         "a: 1\n\n",
         "a: 1\n"},
        {"{ \xc3\xa9t\xc3\xa9 }", "{ \xc3\xa9t\xc3\xa9 }"},
        {"{ \xe9t\xe9 }", "{ \xc3\xa9t\xc3\xa9 }"}, // Latin-1, byte for byte
        {QByteArray("a: 1\0", 5), nullptr},
    };
    for (const auto& Case : Cases) {
        const QString Path = Folder.filePath("case.zez");
        QFile File(Path);
        ASSERT_TRUE(File.open(QIODevice::WriteOnly | QIODevice::Truncate));
        File.write(Case.Bytes);
        File.close();
        QString Text, Error;
        EXPECT_EQ(workbench::ReadZezFile(Path, Text, Error), Case.Text != nullptr)
            << Case.Bytes.toStdString();
        if (Case.Text)
            EXPECT_EQ(Text, QString::fromUtf8(Case.Text));
        else
            EXPECT_TRUE(Error.contains("not a text file")) << Error.toStdString();
    }
    QString Text, Error;
    EXPECT_FALSE(workbench::ReadZezFile(Folder.filePath("none.zez"), Text, Error));
    EXPECT_TRUE(Error.startsWith("Cannot read")) << Error.toStdString();
    EXPECT_EQ(workbench::UnusedName({"circuit", "Circuit 2"}, "circuit"), "circuit 3");
    EXPECT_EQ(workbench::WithSuffix("/tmp/a.b/mine", "zez"), "/tmp/a.b/mine.zez");
    EXPECT_EQ(workbench::WithSuffix("mine.txt", "zez"), "mine.txt");
}

// Each character changes only where it plays its part: in a number, as a parenthesis or
// separator, as a comment mark; names and the text of comments keep theirs.
TEST(SyntaxConversionTest, OnlyTheCharactersThatPlayAPartChange) {
    TSyntaxCharacters European;
    European.DecimalPoint = ',';
    European.Separator = '|';
    European.Imaginary = 'i';
    TSyntaxCharacters Brackets;
    Brackets.OpenParentesis = '[';
    Brackets.CloseParentesis = ']';
    Brackets.OpenComment = '"';
    Brackets.CloseComment = '#';
    const struct {
        const char* From;
        TSyntaxCharacters To;
        const char* Expected;
        int Changed;
    } Cases[] = {
        {"y: If(x > 1.5; 2.5e-3j; .5) { a.b; (j) }", European,
         "y: If(x > 1,5| 2,5e-3i| ,5) { a.b; (j) }", 6},
        {"f(a;b): a.1*b + 4j*jx", European, "f(a|b): a.1*b + 4i*jx", 2},
        {"z: f(2) { note { nested } (x) }", Brackets, "z: f[2] \" note \" nested # (x) #", 6},
        {"p: 1\n{ open\nq: (1)", Brackets, "p: 1\n\" open\nq: [1]", 3},
    };
    for (const auto& Case : Cases) {
        int Changed = -1;
        EXPECT_EQ(workbench::ConvertSyntax(Case.From, {}, Case.To, Changed), Case.Expected);
        EXPECT_EQ(Changed, Case.Changed) << Case.From;
    }
    int Changed = -1;
    workbench::ConvertSyntax("y: 1.5", European, European, Changed);
    EXPECT_EQ(Changed, 0);
}

} // namespace
