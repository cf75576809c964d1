#pragma once

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QtDesigner/QDesignerTaskMenuExtension>
#include <QtDesigner/QExtensionFactory>
#include <memory>

class QDesignerFormEditorInterface;
class QDesignerFormWindowInterface;

namespace zoZezo {

class TCustomovEquationMemo;
class TzoZezoEvaluatorWidget;

// In Qt Designer, an equation memo names its evaluator by the objectName of a
// TzoZezoEvaluatorWidget on the same form. These keep that name right for the form builder.

// The memo's task menu (its context menu in the form): "Evaluator", a submenu that offers
// the form's evaluators and none, the one the memo names checked. A choice is one undoable
// change of the memo's zoZezoEvaluator property.
class TEvaluatorTaskMenu : public QObject, public QDesignerTaskMenuExtension {
    Q_OBJECT
    Q_INTERFACES(QDesignerTaskMenuExtension)

public:
    TEvaluatorTaskMenu(TCustomovEquationMemo* Memo, QObject* Parent);
    ~TEvaluatorTaskMenu() override;

    QList<QAction*> taskActions() const override { return {FChoose}; }

private:
    QDesignerFormWindowInterface* FormWindow() const;
    void FillChoices();

    QPointer<TCustomovEquationMemo> FMemo;
    std::unique_ptr<QMenu> FChoices;
    QActionGroup* FExclusive; // the choices, one checked
    QAction* FChoose;
};

// Makes a TEvaluatorTaskMenu for every equation memo.
class TEvaluatorTaskMenuFactory : public QExtensionFactory {
    Q_OBJECT

public:
    using QExtensionFactory::QExtensionFactory;

    // Registers the factory with Core's extension manager, once however often it is called.
    static void Register(QDesignerFormEditorInterface& Core);

protected:
    QObject* createExtension(QObject* Object, const QString& Iid, QObject* Parent) const override;
};

// From now on, when Evaluator, a component of a form being edited, is renamed (in the property
// editor, in the object inspector, or by undoing or redoing a rename), the memos of its form
// that named it by its old name name it by the new one, within the rename's own undo step. The
// renames Designer makes while it pastes or drops a component, before the form manages it, are
// not followed: memos keep naming the evaluator they named.
void FollowRenames(TzoZezoEvaluatorWidget& Evaluator, QDesignerFormEditorInterface& Core);

} // namespace zoZezo
