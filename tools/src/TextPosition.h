#pragma once

// Where an error stands in a line, as a person reads the line. The compiler counts bytes;
// people count characters. A column here counts UTF-8 characters (code points), and each byte
// that does not belong to a valid UTF-8 sequence counts as one character of its own, shown as
// U+FFFD. Characters that a terminal shows two cells wide are still counted as one.

#include <string>
#include <string_view>

namespace zezo {

// The 1-based character column of the 1-based byte position Pos in Line. Pos may be one past
// the end of the line, where errors about a missing end are reported.
int CharacterColumn(std::string_view Line, int Pos);

// A line fit for a terminal, and below it a caret under the character at byte position Pos.
// Control characters and invalid bytes show as U+FFFD, tabs stay tabs (the caret line repeats
// them to stay aligned), and a long line is cut to a window around the caret, marked "...".
struct TExcerpt {
    std::string Line;
    std::string Caret;
};
TExcerpt PointAt(std::string_view Line, int Pos);

} // namespace zezo
