#include "ResultsText.h"

#include "Outcome.h"

#include <QObject>
#include <QStringList>
#include <functional>

namespace workbench {
namespace {

QString Table(const std::vector<TResultRow>& Rows, QChar Separator,
              const std::function<QString(QString)>& Field) {
    QStringList Lines;
    const QStringList Header{QObject::tr("Line"), QObject::tr("Equation"), QObject::tr("Value"),
                             QObject::tr("Real"), QObject::tr("Imaginary")};
    Lines << Header.join(Separator);
    for (const TResultRow& Row : Rows) {
        const bool Value = Row.Kind == TResultRow::rkValue;
        const QStringList Fields{QString::number(Row.Line), Field(Row.Name), Field(Row.Text),
                                 Value ? FormatPart(Row.Value.Re) : QString(),
                                 Value ? FormatPart(Row.Value.Im) : QString()};
        Lines << Fields.join(Separator);
    }
    return Lines.join('\n') + '\n';
}

} // namespace

QString ResultsAsTabText(const std::vector<TResultRow>& Rows) {
    return Table(Rows, '\t', [](QString Text) {
        for (QChar& C : Text)
            if (C == '\t' || C == '\n' || C == '\r') C = ' ';
        return Text;
    });
}

QString ResultsAsCsv(const std::vector<TResultRow>& Rows) {
    return Table(Rows, ',', [](QString Text) {
        if (!Text.contains(',') && !Text.contains('"') && !Text.contains('\n') &&
            !Text.contains('\r'))
            return Text;
        return '"' + Text.replace('"', "\"\"") + '"';
    });
}

} // namespace workbench
