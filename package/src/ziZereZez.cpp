// The unit ziZereZez: the package's registration with Qt Designer.

#include "ziZereZez.h"

#include "zoZezo/DBEquationMemo.h"
#include "zoZezo/EquationMemo.h"
#include "zoZezo/EvaluatorWidget.h"

namespace zoZezo {
namespace {

const QString Page = QStringLiteral("Orvane Math");

// Creates a component of class T, in design mode when Designer hosts it.
template <typename T>
QWidget* Create(QWidget* Parent, bool Designing) {
    auto* Component = new T(Parent);
    Component->SetDesigning(Designing);
    return Component;
}

} // namespace

void RegisterComponents(TPalette& Palette, const QString& Page, TComponentClass Class) {
    Palette.Entries.append(new TPaletteEntry(Page, std::move(Class), Palette.Owner));
}

void Register(TPalette& Palette) {
    RegisterComponents(
        Palette, Page,
        {QStringLiteral("zoZezo::TzoZezoEvaluatorWidget"),
         QStringLiteral("zoZezo/EvaluatorWidget.h"),
         QStringLiteral("Equation evaluator: constants, variables, functions and equations"),
         QStringLiteral("Holds a zoZezo evaluator and its seven syntax characters. Equation "
                        "memos on the form name it in their zoZezoEvaluator property. It shows "
                        "as a small marker while the form is designed and not at all when the "
                        "program runs."),
         QStringLiteral("zoZezoEvaluator"), Create<TzoZezoEvaluatorWidget>});
    RegisterComponents(
        Palette, Page,
        {QStringLiteral("zoZezo::TovEquationMemo"), QStringLiteral("zoZezo/EquationMemo.h"),
         QStringLiteral("Equation editor: one equation a line, checked after each pause"),
         QStringLiteral("An editor in which the user writes one equation a line. After each "
                        "pause in typing it rebuilds the equation list of the evaluator named "
                        "in zoZezoEvaluator, shows the first error in its status line and "
                        "colours the text."),
         QStringLiteral("ovEquationMemo"), Create<TovEquationMemo>});
    RegisterComponents(
        Palette, Page,
        {QStringLiteral("zoZezo::TovDBEquationMemo"), QStringLiteral("zoZezo/DBEquationMemo.h"),
         QStringLiteral("Data-aware equation editor: the equations of a database field"),
         QStringLiteral("The equation editor whose text is a field of the current record of a "
                        "data source (DataSource, DataField)."),
         QStringLiteral("ovDBEquationMemo"), Create<TovDBEquationMemo>});
}

} // namespace zoZezo
