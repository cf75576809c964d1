#include "PlotRange.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace workbench {
namespace {

// The bulk: the values between these fractions of the sorted values.
constexpr double BulkLow = 0.05;
constexpr double BulkHigh = 0.95;
// How far beyond the bulk, in widths of the bulk, a value may lie and still be shown.
constexpr double Reach = 3;
// The space left above and below what is shown, as a fraction of it.
constexpr double Margin = 0.05;

// The value at fraction Where of the values, placing it where a sort would.
double Quantile(std::vector<double>& Values, double Where) {
    const auto At = Values.begin() + static_cast<std::ptrdiff_t>(Where * (Values.size() - 1));
    std::nth_element(Values.begin(), At, Values.end());
    return *At;
}

} // namespace

TValueRange ReadableRange(std::vector<double> Values) {
    if (Values.empty()) return {0, 1};
    const auto [Least, Most] = std::minmax_element(Values.begin(), Values.end());
    TValueRange Shown{*Least, *Most};
    const double Bottom = Quantile(Values, BulkLow);
    const double Top = Quantile(Values, BulkHigh);
    const double Bulk = Top - Bottom;
    if (Bulk > 0) {
        Shown.Low = std::max(Shown.Low, Bottom - Reach * Bulk);
        Shown.High = std::min(Shown.High, Top + Reach * Bulk);
    }
    if (Shown.High == Shown.Low) {
        const double Around = Shown.Low == 0 ? 1 : std::fabs(Shown.Low) * 0.1;
        return {Shown.Low - Around, Shown.High + Around};
    }
    const double Space = Shown.Span() * Margin;
    return {Shown.Low - Space, Shown.High + Space};
}

std::vector<double> ColumnExtremes(const std::vector<QPointF>& Points, int Columns) {
    if (Points.empty() || Columns < 1) return {};
    const auto [Left, Right] =
        std::minmax_element(Points.begin(), Points.end(),
                            [](const QPointF& A, const QPointF& B) { return A.x() < B.x(); });
    const double From = Left->x(), Width = Right->x() - Left->x();
    std::vector<std::pair<double, double>> Extremes(
        static_cast<std::size_t>(Columns),
        {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()});
    for (const QPointF& Point : Points) {
        const double Place = Width > 0 ? (Point.x() - From) / Width * (Columns - 1) : 0;
        auto& [Low, High] = Extremes[static_cast<std::size_t>(Place)];
        Low = std::min(Low, Point.y());
        High = std::max(High, Point.y());
    }
    std::vector<double> Values;
    for (const auto& [Low, High] : Extremes)
        if (Low <= High) Values.insert(Values.end(), {Low, High});
    return Values;
}

} // namespace workbench
