#pragma once

// Positions in a line of the editor, which counts UTF-16 units, against the evaluator, which
// counts the bytes of the line's UTF-8 text. Every conversion between the two lives here.

#include <QString>
#include <string>
#include <string_view>

namespace zoZezo {

// The UTF-8 text the evaluator compiles for an editor line.
std::string ToEquationText(const QString& Line);

// The UTF-16 offset in Line of the character that starts at byte offset Byte of its UTF-8
// text; a byte inside a character counts as that character. Offsets past the end give the
// line's length.
int Utf16OffsetOfByte(const QString& Line, int Byte);

// How many characters (code points) Line holds before UTF-16 offset Offset.
int CharacterCountBefore(const QString& Line, int Offset);

// The UTF-16 offset in Line of its character number Count (from 0); past the end, the
// line's length.
int Utf16OffsetOfCharacter(const QString& Line, int Count);

// Per-byte class digits of the UTF-8 Text turned into one digit per UTF-16 unit of the same
// text, appended to Digits: each character takes the class of its first byte, on each of its
// units. Stops where ByteClasses or Text ends.
void ClassesPerUtf16Unit(std::string_view Text, std::string_view ByteClasses, QByteArray& Digits);

} // namespace zoZezo
