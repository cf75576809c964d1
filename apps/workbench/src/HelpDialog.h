#pragma once

#include "SyntaxCharacters.h"

#include <QDialog>

class QTextBrowser;

namespace workbench {

// Help in a window of its own: the equation language in brief, written in the syntax
// characters the user chose, or the keyboard shortcuts.
class THelpDialog : public QDialog {
    Q_OBJECT

public:
    enum TTopic { htLanguage, htShortcuts };

    THelpDialog(TTopic Topic, const TSyntaxCharacters& Syntax, QWidget* Parent = nullptr);

    // The page shown, as HTML.
    static QString Page(TTopic Topic, const TSyntaxCharacters& Syntax);
};

} // namespace workbench
