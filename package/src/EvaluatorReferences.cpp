#include "EvaluatorReferences.h"

#include "zoZezo/CustomEquationMemo.h"
#include "zoZezo/EvaluatorWidget.h"

#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QDesignerFormWindowCursorInterface>
#include <QtDesigner/QDesignerFormWindowInterface>
#include <QtDesigner/QDesignerPropertyEditorInterface>
#include <QtDesigner/QDesignerPropertySheetExtension>
#include <QtDesigner/QExtensionManager>

namespace zoZezo {
namespace {

const QString ReferenceProperty = QStringLiteral("zoZezoEvaluator");

// The components of class T on Form, in the order of its widget tree.
template <typename T>
QList<T*> OnForm(QDesignerFormWindowInterface& Form) {
    QWidget* Main = Form.mainContainer();
    return Main ? Main->findChildren<T*>() : QList<T*>();
}

// Straight into the memo's property sheet, not as a command of its own: the rename is the one
// undo step, and undoing it comes back here.
void SetReference(QDesignerFormEditorInterface& Core, TCustomovEquationMemo& Memo,
                  const QString& Name) {
    auto* Sheet = qt_extension<QDesignerPropertySheetExtension*>(Core.extensionManager(), &Memo);
    const int Index = Sheet ? Sheet->indexOf(ReferenceProperty) : -1;
    if (Index < 0) return;
    Sheet->setProperty(Index, Name.toUtf8());
    Sheet->setChanged(Index, true);
    if (QDesignerPropertyEditorInterface* Editor = Core.propertyEditor();
        Editor && Editor->object() == &Memo)
        Editor->setPropertyValue(ReferenceProperty, Name.toUtf8(), true);
}

} // namespace

TEvaluatorTaskMenu::TEvaluatorTaskMenu(TCustomovEquationMemo* Memo, QObject* Parent)
    : QObject(Parent), FMemo(Memo), FChoices(std::make_unique<QMenu>()),
      FExclusive(new QActionGroup(FChoices.get())), FChoose(new QAction(tr("Evaluator"), this)) {
    FChoose->setToolTip(tr("The evaluator on this form whose equations the memo rebuilds"));
    FChoose->setMenu(FChoices.get());
    connect(FChoices.get(), &QMenu::aboutToShow, this, &TEvaluatorTaskMenu::FillChoices);
}

TEvaluatorTaskMenu::~TEvaluatorTaskMenu() = default;

QDesignerFormWindowInterface* TEvaluatorTaskMenu::FormWindow() const {
    return FMemo ? QDesignerFormWindowInterface::findFormWindow(FMemo.data()) : nullptr;
}

void TEvaluatorTaskMenu::FillChoices() {
    FChoices->clear();
    QDesignerFormWindowInterface* Form = FormWindow();
    if (!Form) return;
    const QString Current = FMemo->zoZezoEvaluatorName();
    const auto Offer = [&](const QString& Text, const QString& Name) {
        QAction* Choice = FChoices->addAction(Text);
        Choice->setCheckable(true);
        Choice->setChecked(Name == Current);
        FExclusive->addAction(Choice);
        connect(Choice, &QAction::triggered, this, [this, Name] {
            QDesignerFormWindowInterface* Form = FormWindow();
            if (Form && FMemo->zoZezoEvaluatorName() != Name)
                Form->cursor()->setWidgetProperty(FMemo, ReferenceProperty, Name.toUtf8());
        });
    };
    Offer(tr("(none)"), QString());
    for (auto* Evaluator : OnForm<TzoZezoEvaluatorWidget>(*Form))
        Offer(Evaluator->objectName(), Evaluator->objectName());
}

void TEvaluatorTaskMenuFactory::Register(QDesignerFormEditorInterface& Core) {
    QExtensionManager* Manager = Core.extensionManager();
    if (!Manager || Manager->findChild<TEvaluatorTaskMenuFactory*>()) return;
    Manager->registerExtensions(new TEvaluatorTaskMenuFactory(Manager),
                                Q_TYPEID(QDesignerTaskMenuExtension));
}

QObject* TEvaluatorTaskMenuFactory::createExtension(QObject* Object, const QString& Iid,
                                                    QObject* Parent) const {
    auto* Memo = qobject_cast<TCustomovEquationMemo*>(Object);
    if (!Memo || Iid != Q_TYPEID(QDesignerTaskMenuExtension)) return nullptr;
    return new TEvaluatorTaskMenu(Memo, Parent);
}

void FollowRenames(TzoZezoEvaluatorWidget& Evaluator, QDesignerFormEditorInterface& Core) {
    QObject::connect(
        &Evaluator, &QObject::objectNameChanged, &Evaluator,
        [&Evaluator, Core = &Core, Old = Evaluator.objectName()](const QString& New) mutable {
            const QString Was = std::exchange(Old, New);
            QDesignerFormWindowInterface* Form =
                QDesignerFormWindowInterface::findFormWindow(&Evaluator);
            if (Was.isEmpty() || !Form || !Form->isManaged(&Evaluator)) return;
            for (auto* Memo : OnForm<TCustomovEquationMemo>(*Form))
                if (Memo->zoZezoEvaluatorName() == Was) SetReference(*Core, *Memo, New);
        });
}

} // namespace zoZezo
