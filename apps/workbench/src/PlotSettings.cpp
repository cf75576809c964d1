#include "PlotSettings.h"

#include <QJsonArray>
#include <cmath>

namespace workbench {
namespace {

// The parts' names in the JSON object, in the order of PlotParts.
const char* const PartNames[] = {"re", "im", "abs", "dB", "phase"};

QString ScaleName(TAxisScale Scale) {
    return Scale == TAxisScale::Logarithmic ? "log" : "linear";
}

TAxisScale ScaleNamed(const QJsonValue& Value) {
    return Value.toString() == "log" ? TAxisScale::Logarithmic : TAxisScale::Linear;
}

} // namespace

QJsonObject TPlotSettings::ToJson() const {
    QJsonArray PartList;
    for (std::size_t K = 0; K < std::size(PlotParts); ++K)
        if (Parts & PlotParts[K]) PartList.append(PartNames[K]);
    QJsonObject Object{{"equations", QJsonArray::fromStringList(Equations)},
                       {"variable", Variable},
                       {"from", From},
                       {"to", To},
                       {"step", Step},
                       {"xScale", ScaleName(XScale)},
                       {"yScale", ScaleName(YScale)},
                       {"parts", PartList}};
    if (YRange) Object["yRange"] = QJsonArray{YRange->Low, YRange->High};
    return Object;
}

TPlotSettings TPlotSettings::FromJson(const QJsonObject& Object) {
    TPlotSettings Settings;
    for (const QJsonValue& Name : Object["equations"].toArray())
        if (Name.isString()) Settings.Equations << Name.toString();
    Settings.Variable = Object["variable"].toString();
    for (auto [Key, Text] :
         {std::pair{"from", &Settings.From}, {"to", &Settings.To}, {"step", &Settings.Step}})
        if (Object[Key].isString()) *Text = Object[Key].toString();
    Settings.XScale = ScaleNamed(Object["xScale"]);
    Settings.YScale = ScaleNamed(Object["yScale"]);
    if (const QJsonArray Range = Object["yRange"].toArray(); Range.size() == 2) {
        const TValueRange Y{Range[0].toDouble(NAN), Range[1].toDouble(NAN)};
        if (std::isfinite(Y.Low) && std::isfinite(Y.High) && Y.Low < Y.High) Settings.YRange = Y;
    }
    if (Object["parts"].isArray()) {
        Settings.Parts = 0;
        for (const QJsonValue& Name : Object["parts"].toArray())
            for (std::size_t K = 0; K < std::size(PlotParts); ++K)
                if (Name.toString() == PartNames[K]) Settings.Parts |= PlotParts[K];
    }
    return Settings;
}

} // namespace workbench
