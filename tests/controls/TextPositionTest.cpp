// Positions between the evaluator's UTF-8 bytes and the editor's UTF-16 units.
#include "TextPosition.h"

#include <gtest/gtest.h>

namespace zoZezo {
namespace {

// "a" 1 byte, "é" 2 bytes, "€" 3 bytes, "𝑥" 4 bytes and two UTF-16 units, "b" 1 byte.
const QString Mixed = QStringLiteral("aé€𝑥b");

TEST(TextPosition, ByteOffsetsMapToTheUnitOfTheirCharacter) {
    const int Units[] = {0, 1, 1, 2, 2, 2, 3, 3, 3, 3, 5, 6, 6};
    for (int Byte = 0; Byte < 13; ++Byte)
        EXPECT_EQ(Utf16OffsetOfByte(Mixed, Byte), Units[Byte]) << Byte;
}

TEST(TextPosition, CharactersAreCountedOncePerCodePoint) {
    EXPECT_EQ(CharacterCountBefore(Mixed, 0), 0);
    EXPECT_EQ(CharacterCountBefore(Mixed, 3), 3);
    EXPECT_EQ(CharacterCountBefore(Mixed, 5), 4);
    EXPECT_EQ(CharacterCountBefore(Mixed, 99), 5);
    EXPECT_EQ(Utf16OffsetOfCharacter(Mixed, 4), 5);
    EXPECT_EQ(Utf16OffsetOfCharacter(Mixed, 9), 6);
}

QByteArray Classes(const QString& Line, std::string_view ByteClasses) {
    QByteArray Digits("kept");
    ClassesPerUtf16Unit(ToEquationText(Line), ByteClasses, Digits);
    EXPECT_TRUE(Digits.startsWith("kept")) << "appended to what was there";
    return Digits.mid(4);
}

TEST(TextPosition, ByteClassesBecomeOneDigitPerUnit) {
    EXPECT_EQ(Classes(Mixed, "20011122223"), QByteArray("201223"));
    EXPECT_EQ(Classes(Mixed, "20"), QByteArray("20")) << "stops with the digits";
    EXPECT_EQ(Classes(QStringLiteral("ab"), "123"), QByteArray("12"));
    EXPECT_EQ(Classes(QStringLiteral("\U0001D465"), "2"), QByteArray("22"))
        << "a pair's two units from the digit of its first byte alone";
}

TEST(TextPosition, LoneSurrogateCountsAsTheOneByteQtWritesForIt) {
    const QString Broken = QString(QChar(0xD835)) + QLatin1Char('b');
    EXPECT_EQ(ToEquationText(Broken), "?b");
    EXPECT_EQ(Utf16OffsetOfByte(Broken, 1), 1);
    EXPECT_EQ(Classes(Broken, "12"), QByteArray("12"));
}

} // namespace
} // namespace zoZezo
