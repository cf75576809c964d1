#include "NumberText.h"

#include <QRegularExpression>
#include <cmath>
#include <zoZezo/Platform.h>

namespace workbench {

std::optional<long double> ReadNumber(const QString& Text) {
    static const QRegularExpression Number(
        R"(^[+-]?([0-9]+([.,][0-9]*)?|[.,][0-9]+)([eE][+-]?[0-9]+)?$)");
    QString Trimmed = Text.trimmed();
    if (!Number.match(Trimmed).hasMatch()) return std::nullopt;
    Trimmed.replace(',', '.');
    const long double Value = zoZezo::ValExt(Trimmed.toStdString());
    if (!std::isfinite(Value)) return std::nullopt;
    return Value;
}

} // namespace workbench
