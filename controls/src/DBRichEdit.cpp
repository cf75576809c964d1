#include "zoZezo/DBRichEdit.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QTextDocument>

namespace zoZezo {

TDBRichEdit::TDBRichEdit(QWidget* Parent) : QPlainTextEdit(Parent) {
    FDataLink.SetControl(this);
    connect(&FDataLink, &TFieldDataLink::DataChange, this, &TDBRichEdit::LoadField);
    connect(&FDataLink, &TFieldDataLink::UpdateData, this, &TDBRichEdit::HandInText);
    connect(&FDataLink, &TFieldDataLink::EditingChange, this, &TDBRichEdit::EditingChanged);
    connect(&FDataLink, &TFieldDataLink::Error, this, &TDBRichEdit::DataError);
    connect(this, &QPlainTextEdit::textChanged, this, &TDBRichEdit::TextEdited);
    LoadField();
    WatchWindow();
}

TDBRichEdit::~TDBRichEdit() {
    SaveEdits();
}

bool TDBRichEdit::SetDataSource(TDataSource* Value) {
    if (Value == DataSource()) return true;
    if (!SaveEdits()) return false;
    FDataLink.SetDataSource(Value);
    return true;
}

bool TDBRichEdit::SetDataField(const QString& Value) {
    if (Value == DataField()) return true;
    if (!SaveEdits()) return false;
    FDataLink.SetFieldName(Value);
    return true;
}

QString TDBRichEdit::Text() const {
    // The raw text, not toPlainText(), which turns non-breaking spaces into blanks.
    QString Result = document()->toRawText();
    for (QChar& C : Result)
        if (C == QChar::ParagraphSeparator || C == QChar::LineSeparator) C = u'\n';
    return Result;
}

bool TDBRichEdit::SaveEdits() {
    if (!FModified) return true;
    TDataSource* Source = DataSource();
    return Source && Source->Post();
}

void TDBRichEdit::LoadField() {
    setReadOnly(!FDataLink.CanModify());
    const QString Error = FDataLink.BindingError();
    if (Error != FBindingError) {
        FBindingError = Error;
        if (!Error.isEmpty()) emit DataError(Error);
        emit DataStatusChanged();
    }
    if (FModified && (!DataSource() || !DataSource()->Model())) {
        // The data source or its record set went away and could not take the edits (it said
        // why): the text stays in sight, no longer tied to a record.
        SetModified(false);
        return;
    }
    if (FModified) return; // the user's text stays until it is written or cancelled
    ShowText(FDataLink.Active() ? FDataLink.FieldValue().toString() : QString());
}

void TDBRichEdit::ShowText(const QString& Value) {
    FLoadedText = Value;
    const QPersistentModelIndex Field = FDataLink.FieldCell();
    // The same text again (after a post, say) keeps the caret and the undo steps.
    if (Value != Text()) {
        FLoading = true;
        setPlainText(Value);
        FLoading = false;
    } else if (Field != FShownField) {
        // Another record with the same text: what could be undone belongs to the last one.
        document()->clearUndoRedoStacks();
    }
    FShownField = Field;
    document()->setModified(false);
}

void TDBRichEdit::TextEdited() {
    if (FLoading || FModified || !FDataLink.CanModify()) return;
    // Recolouring also signals a change: only a different text counts as an edit.
    if (!document()->isModified() && Text() == FLoadedText) return;
    SetModified(true);
    FDataLink.Edit();
}

void TDBRichEdit::SetModified(bool Value) {
    if (Value == FModified) return;
    FModified = Value;
    emit DataStatusChanged();
}

void TDBRichEdit::HandInText() {
    if (FModified) FDataLink.SetFieldValue(Text());
}

void TDBRichEdit::EditingChanged() {
    const TDataSource* Source = DataSource();
    if (Source && Source->State() != TDataSetState::dsEdit) SetModified(false);
}

void TDBRichEdit::WatchWindow() {
    QWidget* Window = isWindow() ? nullptr : window();
    if (Window == FWatchedWindow) return;
    if (FWatchedWindow) FWatchedWindow->removeEventFilter(this);
    FWatchedWindow = Window;
    if (Window) Window->installEventFilter(this);
}

bool TDBRichEdit::event(QEvent* Event) {
    if (Event->type() == QEvent::ParentChange || Event->type() == QEvent::Show) WatchWindow();
    return QPlainTextEdit::event(Event);
}

bool TDBRichEdit::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == FWatchedWindow && Event->type() == QEvent::Close && !SaveEdits()) {
        Event->ignore();
        return true;
    }
    return QPlainTextEdit::eventFilter(Watched, Event);
}

void TDBRichEdit::focusOutEvent(QFocusEvent* Event) {
    QPlainTextEdit::focusOutEvent(Event);
    if (Event->reason() != Qt::PopupFocusReason) SaveEdits();
}

void TDBRichEdit::closeEvent(QCloseEvent* Event) {
    if (SaveEdits())
        QPlainTextEdit::closeEvent(Event);
    else
        Event->ignore();
}

} // namespace zoZezo
