#include "zoZezo/FormLoaded.h"

#include "zoZezo/CustomEquationMemo.h"

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

} // namespace

void FormLoaded(QWidget* Form) {
    if (!Form) return;
    const auto Memos = ComponentsOf<TCustomovEquationMemo>(Form);
    for (auto* Memo : Memos)
        if (!Memo->zoZezoEvaluatorName().isEmpty() && !Memo->ResolveEvaluatorName())
            qWarning("%s %s: the form holds no evaluator named \"%s\"",
                     Memo->metaObject()->className(), qPrintable(Memo->objectName()),
                     qPrintable(Memo->zoZezoEvaluatorName()));
    for (auto* Memo : Memos)
        Memo->Loaded();
}

} // namespace zoZezo
