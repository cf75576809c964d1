#include "EditorAids.h"

#include "FindBar.h"
#include "NameCompletion.h"
#include "NameWarnings.h"
#include "ReferencePanel.h"
#include "TextMarks.h"

#include <QAction>
#include <QBoxLayout>
#include <QDockWidget>
#include <QInputDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTextBlock>

namespace workbench {

TEditorAids::TEditorAids(QMainWindow& Window, QPlainTextEdit& Editor, QBoxLayout& EditorLayout,
                         const zoZezo::TzoZezoEvaluator& Evaluator)
    : QObject(&Window), FWindow(Window), FEditor(Editor), FEvaluator(Evaluator),
      FMarks(new TTextMarks(&Editor)), FFindBar(new TFindBar(&Editor)),
      FCompletion(new TNameCompletion(&Editor)), FReference(new TReferencePanel) {
    EditorLayout.insertWidget(EditorLayout.indexOf(Editor.parentWidget()) + 1, FFindBar);
    auto* Dock = new QDockWidget(tr("Reference"), &Window);
    Dock->setObjectName("ReferenceDock");
    Dock->setWidget(FReference);
    Dock->hide();
    Window.addDockWidget(Qt::RightDockWidgetArea, Dock);
    Window.resizeDocks({Dock}, {Window.fontMetrics().averageCharWidth() * 48}, Qt::Horizontal);
    FReferenceAction = Dock->toggleViewAction();
    FReferenceAction->setShortcut(QKeySequence(Qt::Key_F4));
    connect(Dock, &QDockWidget::visibilityChanged, this, &TEditorAids::ShowNames);
    connect(FReference, &TReferencePanel::Chosen, this, [this](const QString& Text) {
        FEditor.insertPlainText(Text);
        FEditor.setFocus();
    });
}

void TEditorAids::Show(const TLineResults& Results) {
    FDefinitions = Results.Definitions;
    ShowNames();
    MarkText(Results);
}

// The names the document and the evaluator define, for completion and the reference. Names
// on demand are left out: one being typed becomes a variable at the next pause.
void TEditorAids::ShowNames() {
    const std::vector<TReferenceEntry> Entries = ReferenceEntries(FEvaluator);
    QStringList All, Functions;
    for (const TReferenceEntry& Entry : Entries) {
        if (Entry.Kind != TReferenceEntry::rkOperator) All << Entry.Name;
        if (Entry.Kind == TReferenceEntry::rkFunction) Functions << Entry.Name;
    }
    for (const TDefinition& Definition : FDefinitions) {
        All << Definition.Name;
        if (Definition.Called) Functions << Definition.Name;
    }
    const QChar Open(FEvaluator.OpenParentesis);
    FCompletion->SetNames(All, Functions, Open, QChar(FEvaluator.OpenComment),
                          QChar(FEvaluator.CloseComment));
    if (FReference->isVisible()) FReference->SetEntries(Entries, FDefinitions, Open);
}

// Underlines each faulty line at its error, and each use of a name that may be a typo.
void TEditorAids::MarkText(const TLineResults& Results) {
    std::vector<TTextMark> Marks;
    for (const TResultRow& Row : Results.Rows)
        if (Row.Kind == TResultRow::rkCompileError)
            Marks.push_back({TTextMark::mkError, Row.Line, Row.Offset, 1, Row.Text});
    for (const TNameWarning& Warning : Results.Warnings) {
        const QString Message = tr("Nothing defines %1, so it is a variable: did you mean %2?")
                                    .arg(Warning.Name, Warning.Near);
        int Line = 1;
        for (QTextBlock Block = FEditor.document()->begin(); Block.isValid();
             Block = Block.next(), ++Line)
            for (const int Offset : NameOffsets(Block.text(), Warning.Name))
                Marks.push_back({TTextMark::mkWarning, Line, Offset,
                                 static_cast<int>(Warning.Name.size()), Message});
    }
    FMarks->SetMarks(Marks);
}

void TEditorAids::GoTo(int Line, int Offset) {
    const QTextBlock Block = FEditor.document()->findBlockByNumber(Line - 1);
    if (!Block.isValid()) return;
    QTextCursor Caret(Block);
    Caret.setPosition(Block.position() + std::clamp(Offset, 0, Block.length() - 1));
    FEditor.setTextCursor(Caret);
    FEditor.ensureCursorVisible();
    FEditor.setFocus();
}

void TEditorAids::AskGoToLine() {
    bool Ok = false;
    const int Line = QInputDialog::getInt(&FWindow, tr("Go to line"), tr("Line:"),
                                          FEditor.textCursor().blockNumber() + 1, 1,
                                          FEditor.document()->blockCount(), 1, &Ok);
    if (Ok) GoTo(Line);
}

void TEditorAids::Find() {
    FFindBar->Open();
}

void TEditorAids::FindNext() {
    if (FFindBar->Field()->text().isEmpty())
        FFindBar->Open();
    else
        FFindBar->Find();
}

void TEditorAids::Complete() {
    FCompletion->Complete();
}

void TEditorAids::ShowHelp(THelpDialog::TTopic Topic) {
    auto* Help = new THelpDialog(Topic, TSyntaxCharacters::Of(FEvaluator), &FWindow);
    Help->setAttribute(Qt::WA_DeleteOnClose);
    Help->show();
}

} // namespace workbench
