#pragma once

#include "HelpDialog.h"
#include "LineResults.h"

#include <QObject>
#include <vector>
#include <zoZezo/zoZezo.h>

class QAction;
class QBoxLayout;
class QMainWindow;
class QPlainTextEdit;

namespace workbench {

class TFindBar;
class TNameCompletion;
class TReferencePanel;
class TTextMarks;

// What helps the user where they type, around the window's equation editor: marks on the
// faulty lines and doubtful names, completion of names, the reference of what the language
// offers (a dock of the window), a find bar (under the editor, in EditorLayout), going to a
// line, and the help pages. The names come from the evaluator's tables, read again at each
// Show, and from the document's last results.
class TEditorAids : public QObject {
    Q_OBJECT

public:
    TEditorAids(QMainWindow& Window, QPlainTextEdit& Editor, QBoxLayout& EditorLayout,
                const zoZezo::TzoZezoEvaluator& Evaluator);

    // Takes in the results of the text as it stands.
    void Show(const TLineResults& Results);

    // Puts the caret on the 1-based line, Offset UTF-16 units into it, and the focus in the
    // editor.
    void GoTo(int Line, int Offset = 0);
    void AskGoToLine();
    void Find();
    void FindNext();
    void Complete();
    void ShowHelp(THelpDialog::TTopic Topic);
    // Shows and hides the reference.
    QAction* ReferenceAction() const { return FReferenceAction; }

private:
    void ShowNames();
    void MarkText(const TLineResults& Results);

    QMainWindow& FWindow;
    QPlainTextEdit& FEditor;
    const zoZezo::TzoZezoEvaluator& FEvaluator;
    TTextMarks* FMarks;
    TFindBar* FFindBar;
    TNameCompletion* FCompletion;
    TReferencePanel* FReference;
    QAction* FReferenceAction;
    std::vector<TDefinition> FDefinitions; // of the last results
};

} // namespace workbench
