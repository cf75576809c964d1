#pragma once

#include "SyntaxCharacters.h"

#include <QString>

namespace workbench {

// Rewrites equation text written with the syntax characters From for the characters To: each
// character that plays one of the seven parts under From (a decimal point in a number, the
// suffix of an imaginary number, a parenthesis, a separator, a comment mark) becomes To's
// character for that part. Names, operators and the text of comments stay as they are. Each
// line is read on its own, as the editor compiles it. Changed counts the characters rewritten.
QString ConvertSyntax(const QString& Text, const TSyntaxCharacters& From,
                      const TSyntaxCharacters& To, int& Changed);

} // namespace workbench
