// The unit ziZereZez: the package's registration with Qt Designer.

#include "ziZereZez.h"

#include "EvaluatorReferences.h"
#include "zoZezo/DBEquationMemo.h"
#include "zoZezo/EquationMemo.h"
#include "zoZezo/EvaluatorWidget.h"

namespace zoZezo {
namespace {

const QString Page = QStringLiteral("Orvane Math");

// Creates a component of class T, in design mode when it goes onto a form Designer edits.
template <typename T>
T* Create(QWidget* Parent, QDesignerFormEditorInterface* Designer) {
    auto* Component = new T(Parent);
    Component->SetDesigning(Designer != nullptr);
    return Component;
}

// The evaluator on a form being edited takes the memos that name it along when it is renamed.
QWidget* CreateEvaluator(QWidget* Parent, QDesignerFormEditorInterface* Designer) {
    auto* Evaluator = Create<TzoZezoEvaluatorWidget>(Parent, Designer);
    if (Designer) FollowRenames(*Evaluator, *Designer);
    return Evaluator;
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
         QStringLiteral("zoZezoEvaluator"), &TzoZezoEvaluatorWidget::staticMetaObject,
         CreateEvaluator});
    RegisterComponents(
        Palette, Page,
        {QStringLiteral("zoZezo::TovEquationMemo"), QStringLiteral("zoZezo/EquationMemo.h"),
         QStringLiteral("Equation editor: one equation a line, checked after each pause"),
         QStringLiteral("An editor in which the user writes one equation a line. After each "
                        "pause in typing it rebuilds the equation list of the evaluator named "
                        "in zoZezoEvaluator, shows the first error in its status line and "
                        "colours the text."),
         QStringLiteral("ovEquationMemo"), &TovEquationMemo::staticMetaObject,
         Create<TovEquationMemo>});
    RegisterComponents(
        Palette, Page,
        {QStringLiteral("zoZezo::TovDBEquationMemo"), QStringLiteral("zoZezo/DBEquationMemo.h"),
         QStringLiteral("Data-aware equation editor: the equations of a database field"),
         QStringLiteral("The equation editor whose text is a field of the current record of a "
                        "data source (DataSource, DataField)."),
         QStringLiteral("ovDBEquationMemo"), &TovDBEquationMemo::staticMetaObject,
         Create<TovDBEquationMemo>});
}

} // namespace zoZezo
