#pragma once

#include <QString>
#include <optional>

namespace workbench {

// Reads a number the user typed into a box: blanks around it, an optional sign, digits with an
// optional decimal point (`.` or `,`, whichever the user writes), an optional exponent after
// `e` or `E` (`1e-9`, `2.5E9`). Anything else gives nothing: other characters, infinities, NaN
// and numbers beyond the range of long double. Reads the same under every process locale.
std::optional<long double> ReadNumber(const QString& Text);

} // namespace workbench
