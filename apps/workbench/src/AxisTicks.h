#pragma once

#include <QString>
#include <vector>

namespace workbench {

// A mark on an axis: where it stands, and its label; a minor mark has none.
struct TTick {
    double Value = 0;
    QString Label;
};

// Marks at round values between Low and High: multiples of a step of 1, 2 or 5 times a power
// of ten, the smallest such step that gives at most MaxCount marks. Labels have as many digits
// as tell the marks apart, in exponent notation (`2.5e9`, `1e-6`) for values of a million and
// more or below a thousandth. An empty range, or one too narrow for the precision of double to
// tell its ends apart, gives no marks.
std::vector<TTick> LinearTicks(double Low, double High, int MaxCount);

// Marks for a logarithmic axis between Low and High, both above 0: labelled powers of ten, and
// the multiples 2 to 9 between them as minor marks. With room for three labels a decade, 2 and
// 5 times the powers are labelled too; with too little room for every power, every second (or
// fifth, ...) power is labelled. Within less than a decade the marks are those of LinearTicks.
std::vector<TTick> LogTicks(double Low, double High, int MaxCount);

} // namespace workbench
