#include "NameCompletion.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStringListModel>
#include <QTextBlock>

namespace workbench {
namespace {

bool NamePart(QChar C) {
    return C.isLetterOrNumber() || C == '_' || C == '.';
}

} // namespace

TNameCompletion::TNameCompletion(QPlainTextEdit* Editor)
    : QObject(Editor), FEditor(Editor), FCompleter(new QCompleter(this)),
      FNames(new QStringListModel(this)) {
    FCompleter->setModel(FNames);
    FCompleter->setCaseSensitivity(Qt::CaseInsensitive);
    FCompleter->setModelSorting(QCompleter::CaseInsensitivelySortedModel);
    FCompleter->setWidget(Editor);
    // The completer hands Return and Tab on to the editor as well, past any event filter of
    // the editor's: this filter, on the list itself, takes them first.
    FCompleter->popup()->installEventFilter(this);
    connect(FCompleter, qOverload<const QString&>(&QCompleter::activated), this,
            &TNameCompletion::Insert);
    connect(Editor->document(), &QTextDocument::contentsChange, this, &TNameCompletion::Typed);
}

void TNameCompletion::SetNames(QStringList Names, const QStringList& Functions,
                               QChar OpenParenthesis, QChar OpenComment, QChar CloseComment) {
    Names.removeDuplicates();
    Names.sort(Qt::CaseInsensitive);
    FNames->setStringList(Names);
    FFunctions.clear();
    for (const QString& Name : Functions)
        FFunctions.insert(Name.toLower());
    FOpenParenthesis = OpenParenthesis;
    FOpenComment = OpenComment;
    FCloseComment = CloseComment;
    if (FCompleter->popup()->isVisible()) Offer(0); // the list as it is now
}

void TNameCompletion::Complete() {
    Offer(0);
}

// A character typed at the caret goes on with the name there, or ends it.
void TNameCompletion::Typed(int Position, int Removed, int Added) {
    const QTextCursor Caret = FEditor->textCursor();
    if (!FEditor->hasFocus() || Removed > 1 || Added > 1 || Caret.position() != Position + Added) {
        FCompleter->popup()->hide();
        return;
    }
    Offer(2);
}

// The name before the caret, when it is at least Least characters long and no comment holds it.
void TNameCompletion::Offer(int Least) {
    const QString Name = TypedName();
    const QString Line =
        FEditor->textCursor().block().text().left(FEditor->textCursor().positionInBlock());
    const bool InComment = Line.count(FOpenComment) > Line.count(FCloseComment);
    if (Name.size() < Least || InComment ||
        (!Name.isEmpty() && !(Name[0].isLetter() || Name[0] == '_'))) {
        FCompleter->popup()->hide();
        return;
    }
    FCompleter->setCompletionPrefix(Name);
    const bool Done = FCompleter->completionCount() == 1 &&
                      FCompleter->currentCompletion().compare(Name, Qt::CaseInsensitive) == 0;
    if (FCompleter->completionCount() == 0 || Done) {
        FCompleter->popup()->hide();
        return;
    }
    QAbstractItemModel* Offered = FCompleter->completionModel();
    int Widest = 0;
    for (int Row = 0; Row < Offered->rowCount(); ++Row)
        Widest = std::max(Widest, FEditor->fontMetrics().horizontalAdvance(
                                      Offered->index(Row, 0).data().toString()));
    QRect Place = FEditor->cursorRect();
    Place.setWidth(Widest + FEditor->fontMetrics().averageCharWidth() * 2 +
                   FCompleter->popup()->verticalScrollBar()->sizeHint().width());
    FCompleter->complete(Place);
    FCompleter->popup()->setCurrentIndex(Offered->index(0, 0)); // Return takes the first
}

QString TNameCompletion::TypedName() const {
    const QTextCursor Caret = FEditor->textCursor();
    const QString Line = Caret.block().text();
    int Start = Caret.positionInBlock();
    while (Start > 0 && NamePart(Line[Start - 1]))
        --Start;
    return Line.mid(Start, Caret.positionInBlock() - Start);
}

void TNameCompletion::Insert(const QString& Name) {
    QTextCursor Caret = FEditor->textCursor();
    Caret.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor,
                       static_cast<int>(TypedName().size()));
    Caret.insertText(FFunctions.contains(Name.toLower()) ? Name + FOpenParenthesis : Name);
    FEditor->setTextCursor(Caret);
    FCompleter->popup()->hide();
}

bool TNameCompletion::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched != FCompleter->popup() || Event->type() != QEvent::KeyPress)
        return QObject::eventFilter(Watched, Event);
    switch (static_cast<QKeyEvent*>(Event)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
        if (const QModelIndex Current = FCompleter->popup()->currentIndex(); Current.isValid())
            Insert(Current.data().toString());
        else
            FCompleter->popup()->hide();
        return true;
    case Qt::Key_Escape: FCompleter->popup()->hide(); return true;
    default: return false;
    }
}

} // namespace workbench
