#include "PlotRange.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace workbench {
namespace {

// The bulk: the values between these fractions of the values spread along x.
constexpr double BulkLow = 0.05;
constexpr double BulkHigh = 0.95;
// How many stretches of x the values are spread over.
constexpr int Columns = 1000;
// Near a pole, how far beyond the bulk, in heights of the bulk, the range reaches.
constexpr double Reach = 3;
// A value this many heights of the bulk beyond it is taken for a pole: physical peaks stay far
// below, rounding close to a pole (1/(x-1) at x = 1 + 4e-16) goes far beyond.
constexpr double Extreme = 1e10;
// The space left above and below what is shown, as a fraction of it.
constexpr double Margin = 0.05;

// The lowest and the highest y in each of Columns equal stretches of x.
std::vector<double> ColumnExtremes(const std::vector<TRuns>& Curves) {
    double From = std::numeric_limits<double>::infinity(), To = -From;
    for (const TRuns& Runs : Curves)
        for (const QList<QPointF>& Run : Runs)
            for (const QPointF& Point : Run) {
                From = std::min(From, Point.x());
                To = std::max(To, Point.x());
            }
    std::vector<std::pair<double, double>> Extremes(
        Columns,
        {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()});
    for (const TRuns& Runs : Curves)
        for (const QList<QPointF>& Run : Runs)
            for (const QPointF& Point : Run) {
                const double Place =
                    To > From ? (Point.x() - From) / (To - From) * (Columns - 1) : 0;
                auto& [Low, High] = Extremes[static_cast<std::size_t>(Place)];
                Low = std::min(Low, Point.y());
                High = std::max(High, Point.y());
            }
    std::vector<double> Values;
    for (const auto& [Low, High] : Extremes)
        if (Low <= High) Values.insert(Values.end(), {Low, High});
    return Values;
}

// The value at fraction Where of the values, placing it where a sort would.
double Quantile(std::vector<double>& Values, double Where) {
    const auto At = Values.begin() + static_cast<std::ptrdiff_t>(Where * (Values.size() - 1));
    std::nth_element(Values.begin(), At, Values.end());
    return *At;
}

// Whether a curve shows a pole beyond the range Near: neighbours of opposite signs (with or
// without a gap between them) one of which lies outside, or a value outside beside a gap.
bool PassesPole(const std::vector<TRuns>& Curves, const TValueRange& Near) {
    const auto Outside = [&](double Y) { return Y < Near.Low || Y > Near.High; };
    for (const TRuns& Runs : Curves) {
        std::optional<double> Before; // the last value, and whether a gap followed it
        bool Gap = false;
        for (const QList<QPointF>& Run : Runs) {
            for (const QPointF& Point : Run) {
                const double Y = Point.y();
                if (Before && (Outside(*Before) || Outside(Y)) &&
                    (Gap || (*Before < 0 && Y > 0) || (*Before > 0 && Y < 0)))
                    return true;
                Before = Y;
                Gap = false;
            }
            Gap = true;
        }
    }
    return false;
}

} // namespace

TValueRange ReadableRange(const std::vector<TRuns>& Curves) {
    std::vector<double> Values = ColumnExtremes(Curves);
    if (Values.empty()) return {0, 1};
    const auto [Least, Most] = std::minmax_element(Values.begin(), Values.end());
    TValueRange Shown{*Least, *Most};
    const double Bottom = Quantile(Values, BulkLow);
    const double Top = Quantile(Values, BulkHigh);
    const double Bulk = Top - Bottom;
    const TValueRange Near{Bottom - Reach * Bulk, Top + Reach * Bulk};
    if (Bulk > 0 && (Shown.Low < Bottom - Extreme * Bulk || Shown.High > Top + Extreme * Bulk ||
                     PassesPole(Curves, Near))) {
        Shown.Low = std::max(Shown.Low, Near.Low);
        Shown.High = std::min(Shown.High, Near.High);
    }
    if (Shown.High == Shown.Low) {
        const double Around = Shown.Low == 0 ? 1 : std::fabs(Shown.Low) * 0.1;
        return {Shown.Low - Around, Shown.High + Around};
    }
    const double Space = Shown.Span() * Margin;
    return {Shown.Low - Space, Shown.High + Space};
}

} // namespace workbench
