#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace workbench {

// A bar that finds text in an editor, letter case aside, going round at the end: Return
// finds the next place, Shift+Return the one before, Escape closes the bar and gives the
// editor the focus back.
class TFindBar : public QWidget {
    Q_OBJECT

public:
    TFindBar(QPlainTextEdit* Editor, QWidget* Parent = nullptr);

    // Shows the bar with the editor's selection (or what was sought last) as the text to find.
    void Open();
    // Selects the next place (or the one before) that holds the text; false when none does.
    bool Find(bool Backwards = false);
    QLineEdit* Field() const { return FField; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Close();

    QPlainTextEdit* FEditor;
    QLineEdit* FField;
    QLabel* FNotFound;
};

} // namespace workbench
