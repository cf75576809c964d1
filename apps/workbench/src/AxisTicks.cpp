#include "AxisTicks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace workbench {
namespace {

// Values this far from 0 or further, or closer than a thousandth, are written with an exponent.
constexpr int LargestPlainPower = 5;
constexpr int SmallestPlainPower = -3;

int PowerOfTen(double Value) {
    return static_cast<int>(std::floor(std::log10(std::fabs(Value))));
}

// "1.50e+09" as "1.5e9": no trailing zeros, no plus sign, no leading zeros in the exponent.
QString ShortExponent(const char* Text) {
    QString Mantissa = QString::fromLatin1(Text);
    const auto Mark = Mantissa.indexOf('e');
    int Exponent = Mantissa.mid(Mark + 1).toInt();
    Mantissa.truncate(Mark);
    if (Mantissa.contains('.')) {
        while (Mantissa.endsWith('0'))
            Mantissa.chop(1);
        if (Mantissa.endsWith('.')) Mantissa.chop(1);
    }
    return QString("%1e%2").arg(Mantissa).arg(Exponent);
}

// Value written down to its digit of the power Lowest: plainly, or with an exponent.
QString Label(double Value, int Lowest, bool Exponent) {
    if (Value == 0) return "0";
    char Text[64];
    if (Exponent) {
        std::snprintf(Text, sizeof Text, "%.*e", std::max(0, PowerOfTen(Value) - Lowest), Value);
        return ShortExponent(Text);
    }
    std::snprintf(Text, sizeof Text, "%.*f", std::max(0, -Lowest), Value);
    return QString::fromLatin1(Text);
}

bool Plain(int Power) {
    return Power >= SmallestPlainPower && Power <= LargestPlainPower;
}

} // namespace

std::vector<TTick> LinearTicks(double Low, double High, int MaxCount) {
    const double Span = High - Low;
    const double Largest = std::max(std::fabs(Low), std::fabs(High));
    if (!(Span > Largest * 1e-13) || !std::isfinite(Span) || MaxCount < 1) return {};
    const double Rough = Span / MaxCount;
    int Power = PowerOfTen(Rough);
    double Step = 0;
    for (const double Multiple : {1.0, 2.0, 5.0, 10.0}) {
        Step = Multiple * std::pow(10.0, Power);
        if (Step >= Rough) break;
    }
    if (Step == 10 * std::pow(10.0, Power)) ++Power;
    const double First = std::ceil(Low / Step);
    const double Last = std::floor(High / Step);
    if (!(Step > 0) || !(Last - First < 2.0 * MaxCount)) return {}; // below the least double
    const bool Exponent = !Plain(PowerOfTen(Largest));
    std::vector<TTick> Ticks;
    for (double K = First; K <= Last; ++K) {
        const double Value = std::fabs(K) < 0.5 ? 0.0 : K * Step; // never -0
        Ticks.push_back({Value, Label(Value, Power, Exponent)});
    }
    return Ticks;
}

std::vector<TTick> LogTicks(double Low, double High, int MaxCount) {
    if (!(Low > 0) || !(High > Low) || !std::isfinite(High) || MaxCount < 1) return {};
    const double From = std::log10(Low), To = std::log10(High);
    if (To - From < 1) return LinearTicks(Low, High, MaxCount);
    const int First = static_cast<int>(std::floor(From));
    const int Last = static_cast<int>(std::ceil(To));
    const int Decades = Last - First;
    const bool Thirds = Decades * 3 <= MaxCount;
    const int Stride = std::max(1, (Decades + MaxCount - 1) / MaxCount);
    std::vector<TTick> Ticks;
    for (int Power = First; Power <= Last; ++Power)
        for (int Multiple = 1; Multiple <= 9; ++Multiple) {
            const double Value = Multiple * std::pow(10.0, Power);
            if (Value < Low * (1 - 1e-12) || Value > High * (1 + 1e-12)) continue;
            const bool Labelled =
                Multiple == 1 ? Power % Stride == 0 : Thirds && (Multiple == 2 || Multiple == 5);
            // Minor marks only where whole decades have labels; otherwise they would crowd.
            if (!Labelled && (Multiple == 1 ? false : Stride > 1)) continue;
            Ticks.push_back({Value, Labelled ? Label(Value, Power, !Plain(Power)) : QString()});
        }
    return Ticks;
}

} // namespace workbench
