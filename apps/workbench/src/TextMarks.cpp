#include "TextMarks.h"

#include <QHelpEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QToolTip>
#include <algorithm>

namespace workbench {

TTextMarks::TTextMarks(QPlainTextEdit* Editor) : QObject(Editor), FEditor(Editor) {
    Editor->viewport()->installEventFilter(this);
}

void TTextMarks::SetMarks(const std::vector<TTextMark>& Marks) {
    FMarks.clear();
    QList<QTextEdit::ExtraSelection> Selections;
    for (const TTextMark& Mark : Marks) {
        const QTextBlock Block = FEditor->document()->findBlockByNumber(Mark.Line - 1);
        if (!Block.isValid()) continue;
        const int Last = std::max(Block.length() - 2, 0); // the last character before the break
        const int Start = std::clamp(Mark.Offset, 0, Last);
        QTextCursor Cursor(Block);
        Cursor.setPosition(Block.position() + Start);
        Cursor.setPosition(Block.position() + std::clamp(Start + Mark.Length, Start, Last + 1),
                           QTextCursor::KeepAnchor);
        const bool Error = Mark.Kind == TTextMark::mkError;
        QTextEdit::ExtraSelection Underline;
        Underline.cursor = Cursor;
        Underline.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        Underline.format.setUnderlineColor(Error ? QColor(204, 0, 0) : QColor(230, 140, 0));
        if (Error) {
            QTextEdit::ExtraSelection Line;
            Line.cursor = QTextCursor(Block);
            Line.format.setBackground(QColor(255, 236, 236));
            Line.format.setProperty(QTextFormat::FullWidthSelection, true);
            Selections.prepend(Line); // under every underline
        }
        Selections.append(Underline);
        FMarks.push_back({Cursor, Mark.Message});
    }
    FEditor->setExtraSelections(Selections);
}

QString TTextMarks::MessageAt(int Position) const {
    const QTextBlock Block = FEditor->document()->findBlock(Position);
    QStringList Messages;
    for (const TPlaced& Mark : FMarks)
        if (FEditor->document()->findBlock(Mark.Cursor.selectionStart()) == Block &&
            !Messages.contains(Mark.Message))
            Messages << Mark.Message;
    return Messages.join('\n');
}

bool TTextMarks::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::ToolTip && Watched == FEditor->viewport()) {
        const auto* Help = static_cast<QHelpEvent*>(Event);
        const QString Text = MessageAt(FEditor->cursorForPosition(Help->pos()).position());
        if (Text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(Help->globalPos(), Text, FEditor->viewport());
        return true;
    }
    return QObject::eventFilter(Watched, Event);
}

} // namespace workbench
