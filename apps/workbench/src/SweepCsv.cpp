#include "SweepCsv.h"

#include "NumberFormat.h"

#include <QRegularExpression>
#include <QStringList>

namespace workbench {
namespace {

constexpr int Digits = 15;

QString Cell(const QString& Text) {
    if (!Text.contains(QRegularExpression("[,\"\r\n]"))) return Text;
    return '"' + QString(Text).replace("\"", "\"\"") + '"';
}

QString Number(long double Value) {
    return QString::fromStdString(zezo::FormatReal(Value, Digits));
}

} // namespace

QString SweepCsv(const TSweepResult& Sweep) {
    std::vector<bool> Complex;
    QStringList Header{Cell(Sweep.Variable)};
    for (std::size_t E = 0; E < Sweep.Y.size(); ++E) {
        Complex.push_back(Sweep.Complex(E));
        const QString Name = Sweep.Equations.value(static_cast<int>(E));
        if (Complex.back())
            Header << Cell("Re(" + Name + ")") << Cell("Im(" + Name + ")");
        else
            Header << Cell(Name);
    }
    QString Text = Header.join(',') + "\r\n";
    for (std::size_t K = 0; K < Sweep.Count(); ++K) {
        QStringList Row{Number(Sweep.X[K])};
        for (std::size_t E = 0; E < Sweep.Y.size(); ++E) {
            const auto& Value = Sweep.Y[E][K];
            Row << (Value ? Number(Value->Re) : QString());
            if (Complex[E]) Row << (Value ? Number(Value->Im) : QString());
        }
        Text += Row.join(',') + "\r\n";
    }
    return Text;
}

} // namespace workbench
