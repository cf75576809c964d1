#include "zoZezo/FormLoaded.h"

#include "zoZezo/CustomEquationMemo.h"
#include "zoZezo/EvaluatorWidget.h"

#include <QList>
#include <QtDebug>

namespace zoZezo {
namespace {

// Form and its descendants of class T, Form first.
template <typename T>
QList<T*> ComponentsOf(QWidget* Form) {
    QList<T*> Found;
    if (auto* Self = qobject_cast<T*>(Form)) Found.append(Self);
    Found.append(Form->findChildren<T*>());
    return Found;
}

TzoZezoEvaluatorWidget* EvaluatorNamed(const QList<TzoZezoEvaluatorWidget*>& Evaluators,
                                       const QString& Name) {
    for (auto* Evaluator : Evaluators)
        if (Evaluator->objectName() == Name) return Evaluator;
    return nullptr;
}

} // namespace

void FormLoaded(QWidget* Form) {
    if (!Form) return;
    const auto Evaluators = ComponentsOf<TzoZezoEvaluatorWidget>(Form);
    const auto Memos = ComponentsOf<TCustomovEquationMemo>(Form);
    for (auto* Memo : Memos) {
        const QString Name = Memo->zoZezoEvaluatorName();
        if (Name.isEmpty() || Memo->zoZezoEvaluator()) continue;
        if (auto* Evaluator = EvaluatorNamed(Evaluators, Name))
            Memo->SetzoZezoEvaluator(&Evaluator->Evaluator());
        else
            qWarning("%s %s: the form holds no evaluator named \"%s\"",
                     Memo->metaObject()->className(), qPrintable(Memo->objectName()),
                     qPrintable(Name));
    }
    for (auto* Memo : Memos)
        Memo->Loaded();
}

} // namespace zoZezo
