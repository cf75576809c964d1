#include "FindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

namespace workbench {

TFindBar::TFindBar(QPlainTextEdit* Editor, QWidget* Parent)
    : QWidget(Parent), FEditor(Editor), FField(new QLineEdit(this)), FNotFound(new QLabel(this)) {
    auto* Label = new QLabel(tr("Find:"), this);
    auto* Close = new QToolButton(this);
    Close->setText(tr("Close"));
    Close->setAutoRaise(true);
    FField->setPlaceholderText(tr("Return: next, Shift+Return: before"));
    FField->setClearButtonEnabled(true);
    FNotFound->setStyleSheet("color: #800000");
    auto* Layout = new QHBoxLayout(this);
    Layout->setContentsMargins(0, 2, 0, 2);
    Layout->addWidget(Label);
    Layout->addWidget(FField, 1);
    Layout->addWidget(FNotFound);
    Layout->addWidget(Close);
    FField->installEventFilter(this);
    connect(FField, &QLineEdit::textEdited, FNotFound, &QLabel::clear);
    connect(Close, &QToolButton::clicked, this, &TFindBar::Close);
    hide();
}

void TFindBar::Close() {
    hide();
    FEditor->setFocus();
}

void TFindBar::Open() {
    if (const QString Selected = FEditor->textCursor().selectedText(); !Selected.isEmpty())
        FField->setText(Selected);
    FNotFound->clear();
    show();
    FField->setFocus();
    FField->selectAll();
}

bool TFindBar::Find(bool Backwards) {
    const QString Text = FField->text();
    if (Text.isEmpty()) return false;
    const QTextDocument::FindFlags Flags =
        Backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    bool Found = FEditor->find(Text, Flags);
    if (!Found) { // once round from the other end
        const QTextCursor Kept = FEditor->textCursor();
        FEditor->moveCursor(Backwards ? QTextCursor::End : QTextCursor::Start);
        Found = FEditor->find(Text, Flags);
        if (!Found) FEditor->setTextCursor(Kept);
    }
    FNotFound->setText(Found ? QString() : tr("Not found"));
    return Found;
}

bool TFindBar::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == FField && Event->type() == QEvent::KeyPress) {
        const auto* Key = static_cast<QKeyEvent*>(Event);
        if (Key->key() == Qt::Key_Return || Key->key() == Qt::Key_Enter) {
            Find(Key->modifiers() & Qt::ShiftModifier);
            return true;
        }
        if (Key->key() == Qt::Key_Escape) {
            Close();
            return true;
        }
    }
    return QWidget::eventFilter(Watched, Event);
}

} // namespace workbench
