#include "TextPosition.h"

#include <algorithm>
#include <cstddef>

namespace zezo {
namespace {

constexpr std::string_view Replacement = "\xEF\xBF\xBD";
constexpr std::size_t ExcerptWidth = 100; // characters shown of a long line
constexpr std::string_view Ellipsis = "...";

bool InRange(unsigned char C, unsigned char Low, unsigned char High) {
    return C >= Low && C <= High;
}

// The length of the valid UTF-8 sequence that starts at Text[I], or 0 when none does.
std::size_t SequenceLength(std::string_view Text, std::size_t I) {
    const auto Byte = [&](std::size_t K) {
        return I + K < Text.size() ? static_cast<unsigned char>(Text[I + K]) : 0;
    };
    const unsigned char Lead = Byte(0);
    // The bounds of the second byte exclude overlong forms, surrogates and values past U+10FFFF.
    unsigned char Low = 0x80, High = 0xBF;
    std::size_t Length = 0;
    if (Lead < 0x80) return 1;
    if (InRange(Lead, 0xC2, 0xDF))
        Length = 2;
    else if (InRange(Lead, 0xE0, 0xEF))
        Length = 3;
    else if (InRange(Lead, 0xF0, 0xF4))
        Length = 4;
    else
        return 0;
    if (Lead == 0xE0) Low = 0xA0;
    if (Lead == 0xED) High = 0x9F;
    if (Lead == 0xF0) Low = 0x90;
    if (Lead == 0xF4) High = 0x8F;
    if (!InRange(Byte(1), Low, High)) return 0;
    for (std::size_t K = 2; K < Length; ++K)
        if (!InRange(Byte(K), 0x80, 0xBF)) return 0;
    return Length;
}

// The length of the character at Text[I]: a valid UTF-8 sequence, or else one byte.
std::size_t CharacterLength(std::string_view Text, std::size_t I) {
    return std::max<std::size_t>(SequenceLength(Text, I), 1);
}

// How a terminal should show the character at Line[I].
std::string_view Shown(std::string_view Line, std::size_t I) {
    const std::size_t Length = SequenceLength(Line, I);
    const auto C = static_cast<unsigned char>(Line[I]);
    const bool Printable = Length > 1 || C == '\t' || (C >= 0x20 && C < 0x7F);
    return Printable ? Line.substr(I, Length) : Replacement;
}

// The 0-based index of the character at byte offset Offset (past the end: the count).
std::size_t CharacterIndex(std::string_view Line, std::size_t Offset) {
    std::size_t Count = 0;
    for (std::size_t I = 0; I < Offset; I += CharacterLength(Line, I))
        ++Count;
    return Count;
}

std::size_t ByteOffset(std::string_view Line, int Pos) {
    return std::min(static_cast<std::size_t>(std::max(Pos, 1) - 1), Line.size());
}

} // namespace

int CharacterColumn(std::string_view Line, int Pos) {
    return static_cast<int>(CharacterIndex(Line, ByteOffset(Line, Pos))) + 1;
}

TExcerpt PointAt(std::string_view Line, int Pos) {
    const std::size_t Column = CharacterIndex(Line, ByteOffset(Line, Pos));
    const std::size_t Begin = Column > ExcerptWidth / 2 ? Column - ExcerptWidth / 2 : 0;
    TExcerpt Excerpt;
    if (Begin > 0) {
        Excerpt.Line = Ellipsis;
        Excerpt.Caret.assign(Ellipsis.size(), ' ');
    }
    std::size_t I = 0;
    for (std::size_t K = 0; I < Line.size() && K < Begin + ExcerptWidth; ++K) {
        if (K >= Begin) Excerpt.Line += Shown(Line, I);
        if (K >= Begin && K < Column) Excerpt.Caret += Line[I] == '\t' ? '\t' : ' ';
        I += CharacterLength(Line, I);
    }
    if (I < Line.size()) Excerpt.Line += Ellipsis;
    Excerpt.Caret += '^';
    return Excerpt;
}

} // namespace zezo
