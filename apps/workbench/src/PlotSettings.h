#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>

namespace workbench {

// A range of values on an axis, Low below High.
struct TValueRange {
    double Low = 0;
    double High = 1;

    double Span() const { return High - Low; }
    friend bool operator==(const TValueRange&, const TValueRange&) = default;
};

enum class TAxisScale { Linear, Logarithmic };

// What a plot draws of a complex value; a plot draws any combination.
enum TPlotPart : unsigned {
    ppReal = 1,
    ppImaginary = 2,
    ppMagnitude = 4,
    ppDecibels = 8, // the magnitude as 20·log10
    ppPhase = 16,   // in degrees, (-180, 180]
};
inline constexpr TPlotPart PlotParts[] = {ppReal, ppImaginary, ppMagnitude, ppDecibels, ppPhase};

// Everything a plot panel is set to, as the user left it: what is swept (the range as typed,
// also when it does not read as numbers yet), how the axes are scaled and what is drawn. A
// document keeps one, so its plot comes back as it was.
struct TPlotSettings {
    QStringList Equations;
    QString Variable;
    QString From = "0";
    QString To = "10";
    QString Step = "0.1";
    TAxisScale XScale = TAxisScale::Linear;
    TAxisScale YScale = TAxisScale::Linear;
    std::optional<TValueRange> YRange; // set by the user; automatic when empty
    unsigned Parts = ppReal | ppImaginary;

    // As a JSON object, and back: missing or unusable members take their defaults.
    QJsonObject ToJson() const;
    static TPlotSettings FromJson(const QJsonObject& Object);

    friend bool operator==(const TPlotSettings&, const TPlotSettings&) = default;
};

} // namespace workbench
