#include "TextPosition.h"

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
    return Line.toStdString();
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

QByteArray ClassesPerUtf16Unit(const QString& Line, std::string_view ByteClasses) {
    QByteArray Classes;
    Classes.reserve(Line.size());
    std::size_t Byte = 0;
    for (int I = 0; I < Line.size() && Byte < ByteClasses.size();) {
        const auto Size = CharacterAt(Line, I);
        Classes.append(Size.Units, ByteClasses[Byte]);
        Byte += static_cast<std::size_t>(Size.Bytes);
        I += Size.Units;
    }
    return Classes;
}

} // namespace zoZezo
