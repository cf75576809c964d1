#include "TextPosition.h"

#include <algorithm>

namespace zoZezo {
namespace {

// The character that starts at UTF-16 offset I of Line: how many UTF-16 units it takes and
// how many bytes its UTF-8 form takes. Qt writes a lone surrogate as one '?'.
struct TCharacterSize {
    int Units;
    int Bytes;
};

TCharacterSize CharacterAt(const QString& Line, int I) {
    const char16_t Unit = Line[I].unicode();
    if (QChar::isHighSurrogate(Unit) && I + 1 < Line.size() && Line[I + 1].isLowSurrogate())
        return {2, 4};
    if (Unit < 0x80 || QChar::isSurrogate(Unit)) return {1, 1};
    if (Unit < 0x800) return {1, 2};
    return {1, 3};
}

} // namespace

std::string ToEquationText(const QString& Line) {
    // ASCII, the common case, copied without Qt's intermediate UTF-8 array.
    std::string Text(static_cast<std::size_t>(Line.size()), '\0');
    for (qsizetype I = 0; I < Line.size(); ++I) {
        const char16_t Unit = Line[I].unicode();
        if (Unit >= 0x80) return Line.toStdString();
        Text[static_cast<std::size_t>(I)] = static_cast<char>(Unit);
    }
    return Text;
}

int Utf16OffsetOfByte(const QString& Line, int Byte) {
    int I = 0;
    for (int Bytes = 0; I < Line.size();) {
        const auto Size = CharacterAt(Line, I);
        if (Bytes + Size.Bytes > Byte) break;
        Bytes += Size.Bytes;
        I += Size.Units;
    }
    return I;
}

int CharacterCountBefore(const QString& Line, int Offset) {
    int Count = 0;
    for (int I = 0; I < Offset && I < Line.size(); I += CharacterAt(Line, I).Units)
        ++Count;
    return Count;
}

int Utf16OffsetOfCharacter(const QString& Line, int Count) {
    int I = 0;
    for (; Count > 0 && I < Line.size(); --Count)
        I += CharacterAt(Line, I).Units;
    return I;
}

void ClassesPerUtf16Unit(std::string_view Text, std::string_view ByteClasses, QByteArray& Digits) {
    const std::size_t End = std::min(Text.size(), ByteClasses.size());
    const qsizetype Start = Digits.size();
    // A character takes no more units than bytes, but the last one may be cut short by End: one
    // unit more than bytes is room enough.
    Digits.resize(Start + static_cast<qsizetype>(End) + 1);
    char* Out = Digits.data() + Start;
    for (std::size_t Byte = 0; Byte < End;) {
        const auto Lead = static_cast<unsigned char>(Text[Byte]);
        *Out++ = ByteClasses[Byte];
        // A lead byte 11110xxx starts a character outside the BMP: two UTF-16 units.
        if (Lead >= 0xF0) *Out++ = ByteClasses[Byte];
        Byte += Lead < 0x80 ? 1 : Lead < 0xE0 ? 2 : Lead < 0xF0 ? 3 : 4;
    }
    Digits.resize(Out - Digits.constData());
}

} // namespace zoZezo
