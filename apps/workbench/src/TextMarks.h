#pragma once

#include <QObject>
#include <QString>
#include <QTextCursor>
#include <vector>

class QPlainTextEdit;

namespace workbench {

// A place in the text to point out: an error (underlined in red, its line tinted) or a
// warning (underlined in orange).
struct TTextMark {
    enum TKind { mkError, mkWarning };

    TKind Kind = mkError;
    int Line = 1;   // 1-based
    int Offset = 0; // UTF-16 units from the line's start
    int Length = 1; // UTF-16 units; an error past the end of its line marks the line's last one
    QString Message;
};

// Marks places in an editor's text without changing the text: no edit, no undo step, no
// change signal. The marks move with the text as it is edited, and the message of a mark
// shows as a tooltip over its line.
class TTextMarks : public QObject {
    Q_OBJECT

public:
    explicit TTextMarks(QPlainTextEdit* Editor);

    // Replaces the marks; those on lines the text does not have are left out.
    void SetMarks(const std::vector<TTextMark>& Marks);
    // The message of the marks on the line of Position, one a line.
    QString MessageAt(int Position) const;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    struct TPlaced {
        QTextCursor Cursor; // selects the marked characters
        QString Message;
    };

    QPlainTextEdit* FEditor;
    std::vector<TPlaced> FMarks;
};

} // namespace workbench
