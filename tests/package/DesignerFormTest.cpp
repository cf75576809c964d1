// Forms as Qt Designer edits them: Designer's own form editor, set up as the designer program
// sets it up, with the module among its plugins.

#include "PluginFixture.h"
#include "zoZezo/Controls.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>
#include <QtDesigner/QDesignerComponents>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QDesignerFormWindowCursorInterface>
#include <QtDesigner/QDesignerFormWindowInterface>
#include <QtDesigner/QDesignerFormWindowManagerInterface>
#include <QtDesigner/QDesignerIntegration>
#include <QtDesigner/QDesignerTaskMenuExtension>
#include <QtDesigner/QExtensionManager>

namespace {

using zoZezo::TCustomovEquationMemo;
using zoZezo::TovDBEquationMemo;
using zoZezo::TovEquationMemo;
using zoZezo::TzoZezoEvaluatorWidget;

class DesignerFormTest : public PluginTest {
protected:
    static QDesignerFormEditorInterface& Core() {
        static QDesignerFormEditorInterface* Editor = [] {
            QCoreApplication::addLibraryPath(QStringLiteral(ZERUZED5_PLUGIN_DIR));
            QDesignerComponents::initializeResources();
            QDesignerFormEditorInterface* Made = QDesignerComponents::createFormEditor(nullptr);
            QDesignerComponents::createTaskMenu(Made, Made);
            QDesignerComponents::initializePlugins(Made);
            new QDesignerIntegration(Made, Made);
            return Made;
        }();
        return *Editor;
    }

    void SetUp() override {
        Form = Core().formWindowManager()->createFormWindow(nullptr);
        Form->setContents(QString::fromUtf8(FormFile()));
        Core().formWindowManager()->setActiveFormWindow(Form);
        Evaluator = Form->mainContainer()->findChild<TzoZezoEvaluatorWidget*>("Evaluator1");
        Memo = Form->mainContainer()->findChild<TovEquationMemo*>("Memo1");
        DBMemo = Form->mainContainer()->findChild<TovDBEquationMemo*>("DBMemo1");
        ASSERT_TRUE(Evaluator && Memo && DBMemo);
    }

    void TearDown() override {
        Core().formWindowManager()->closeAllPreviews();
        delete Form;
    }

    // The memo's "Evaluator" choices as the context menu shows them: text and check mark.
    static QStringList Choices(TCustomovEquationMemo& Target) {
        auto* Menu = qt_extension<QDesignerTaskMenuExtension*>(Core().extensionManager(), &Target);
        if (!Menu || Menu->taskActions().isEmpty() || !Menu->taskActions()[0]->menu()) return {};
        QMenu& Submenu = *Menu->taskActions()[0]->menu();
        emit Submenu.aboutToShow();
        QStringList Texts;
        for (QAction* Choice : Submenu.actions())
            Texts << Choice->text() + (Choice->isChecked() ? "*" : "");
        return Texts;
    }

    static void Choose(TCustomovEquationMemo& Target, const QString& Text) {
        auto* Menu = qt_extension<QDesignerTaskMenuExtension*>(Core().extensionManager(), &Target);
        ASSERT_NE(Menu, nullptr);
        for (QAction* Choice : Menu->taskActions()[0]->menu()->actions())
            if (Choice->text() == Text) Choice->trigger();
    }

    QDesignerFormWindowInterface* Form = nullptr;
    TzoZezoEvaluatorWidget* Evaluator = nullptr;
    TovEquationMemo* Memo = nullptr;
    TovDBEquationMemo* DBMemo = nullptr;
};

TEST_F(DesignerFormTest, OnlyTheFormBeingEditedIsInDesignModeNotItsPreview) {
    EXPECT_TRUE(Memo->Designing());
    EXPECT_TRUE(Evaluator->Designing());
    Core().formWindowManager()->showPreview();
    TovEquationMemo* Shown = nullptr;
    for (QWidget* Window : QApplication::topLevelWidgets())
        if (auto* Found = Window->findChild<TovEquationMemo*>("Memo1"); Found && Found != Memo)
            Shown = Found;
    ASSERT_NE(Shown, nullptr) << "Form > Preview";
    EXPECT_FALSE(Shown->Designing());
    QSignalSpy Evaluated(Shown, &TCustomovEquationMemo::OnEvaluate);
    QTest::keyClicks(Shown->Editor(), QStringLiteral("y: 2*3 [the form's comment]"));
    ASSERT_TRUE(Evaluated.wait(2000)) << "typing rebuilds";
    EXPECT_EQ(Shown->ErrorLine(), 0) << Shown->StatusText().toStdString();
    ASSERT_NE(Shown->zoZezoEvaluator(), nullptr) << "the preview's own evaluator";
    EXPECT_NE(Shown->zoZezoEvaluator(), &Evaluator->Evaluator());
}

TEST_F(DesignerFormTest, EvaluatorsArePickedFromTheFormAndRenamesFollowedUntranslated) {
    EXPECT_EQ(Choices(*DBMemo), (QStringList{"(none)", "Evaluator1*"}));
    Choose(*DBMemo, QStringLiteral("(none)"));
    EXPECT_TRUE(DBMemo->zoZezoEvaluatorName().isEmpty());
    Form->commandHistory()->undo();
    EXPECT_EQ(DBMemo->zoZezoEvaluatorName(), QStringLiteral("Evaluator1")) << "one undo step";
    Form->cursor()->setWidgetProperty(Evaluator, QStringLiteral("objectName"),
                                      QStringLiteral("Calculator"));
    EXPECT_EQ(Memo->zoZezoEvaluatorName(), QStringLiteral("Calculator"));
    EXPECT_EQ(DBMemo->zoZezoEvaluatorName(), QStringLiteral("Calculator"));
    const QString Saved = Form->contents();
    EXPECT_EQ(Saved.count(QStringLiteral("<cstring>Calculator</cstring>")), 2)
        << Saved.toStdString();
    EXPECT_EQ(Saved.count(QStringLiteral("<string notr=\"true\">Equations</string>")), 1);
    Form->commandHistory()->undo();
    EXPECT_EQ(Evaluator->objectName(), QStringLiteral("Evaluator1"));
    EXPECT_EQ(Memo->zoZezoEvaluatorName(), QStringLiteral("Evaluator1")) << "the rename's step";
}

} // namespace
