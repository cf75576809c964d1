#include "Outcome.h"

#include "NumberFormat.h"

#include <cmath>
#include <exception>
#include <utility>
#include <vector>

namespace workbench {
namespace {

// Collects the texts shown through ShowMessage while it lives.
class TMessageCapture {
public:
    TMessageCapture()
        : FPrevious(zoZezo::SetMessageHandler(
              [this](const std::string& Text) { FTexts.push_back(Text); })) {}
    ~TMessageCapture() { zoZezo::SetMessageHandler(std::move(FPrevious)); }
    TMessageCapture(const TMessageCapture&) = delete;
    TMessageCapture& operator=(const TMessageCapture&) = delete;

    const std::vector<std::string>& Texts() const { return FTexts; }

private:
    std::vector<std::string> FTexts;
    zoZezo::TMessageHandler FPrevious;
};

} // namespace

TOutcome ComputeOutcome(zoZezo::TEquation& Equation) {
    TOutcome Outcome;
    QStringList Errors;
    TMessageCapture Messages;
    QString Raised;
    try {
        Outcome.Value = Equation.ComputeC();
    } catch (const std::exception& Error) {
        Raised = QString::fromUtf8(Error.what());
    }
    for (const std::string& Text : Messages.Texts())
        Errors << QString::fromStdString(Text);
    if (!Raised.isEmpty()) Errors << Raised;
    Outcome.Error = Errors.join("; ");
    return Outcome;
}

bool IsValueEquation(const zoZezo::TEquation& Equation) {
    return Equation.Checked() && Equation.ErrorCode() == 0 && !Equation.FunctionName().empty() &&
           Equation.LocalConstants().Count() == 0;
}

QString FormatValue(const zoZezo::TComplex& Value, char Imaginary) {
    return QString::fromStdString(zezo::FormatComplex(Value, 15, Imaginary));
}

QString FormatPart(long double Part) {
    return QString::fromStdString(zezo::FormatReal(Part, 15));
}

} // namespace workbench
