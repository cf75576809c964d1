#pragma once

#include "zoZezo/DataSource.h"
#include "zoZezo/FieldDataLink.h"

#include <QPersistentModelIndex>
#include <QPlainTextEdit>
#include <QPointer>
#include <QString>

namespace zoZezo {

// A plain-text editor that shows one text field of a data source's current record and writes
// the user's edits back to it.
//
// What is stored is exactly the editor's text: its lines joined by "\n", every other character
// (tabs, blanks, non-breaking spaces, '<', '&') as typed; NULL shows as empty text. No HTML is
// ever involved.
//
// When edits reach the database: the first change of the text starts editing the record; the
// text is written when the data source posts, which happens on TDataSource::Post(), on moving
// to another record, on SaveEdits(), when the editor loses the focus (except to a popup menu),
// before DataSource or DataField change, when its window is asked to close, and when the
// editor or the data source is freed. (So a button meant to cancel the edits should not take
// the focus: give it Qt::NoFocus.)
//
// Each record shown starts with an empty undo history, so that an undo never reaches into
// another record's text.
//
// When a write fails, the text stays in the editor exactly as it is and stays marked as
// modified, so a later post writes it; DataError carries the database's message. A close of
// the window is refused then, a switch of DataSource or DataField is refused, and a move to
// another record stays on the record. Only TDataSource::Cancel() drops the edits.
//
// Without a record to edit (no data source, no record set, no such field, no current record,
// or a record set that cannot change) the editor is read-only; BindingError() and DataError
// tell a wrong field name or a data source without a record set.
class TDBRichEdit : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(zoZezo::TDataSource* DataSource READ DataSource WRITE SetDataSource)
    Q_PROPERTY(QString DataField READ DataField WRITE SetDataField)

public:
    explicit TDBRichEdit(QWidget* Parent = nullptr);
    // Writes unsaved edits first (a failure is reported through DataError).
    ~TDBRichEdit() override;

    TDataSource* DataSource() const { return FDataLink.DataSource(); }
    // Both setters write unsaved edits first and keep the old binding, returning false, when
    // that fails.
    bool SetDataSource(TDataSource* Value);
    QString DataField() const { return FDataLink.FieldName(); }
    bool SetDataField(const QString& Value);

    // The editor's text as it is stored.
    QString Text() const;
    // True while the text holds edits that are not yet written.
    bool Modified() const { return FModified; }
    // Writes unsaved edits; true when nothing is left unwritten.
    bool SaveEdits();
    // Why the binding shows nothing (see TFieldDataLink::BindingError); empty when it works.
    QString BindingError() const { return FDataLink.BindingError(); }

signals:
    // A write failed, or the binding names a field or record set that is not there.
    void DataError(const QString& Message);
    // Modified() or BindingError() changed.
    void DataStatusChanged();

protected:
    bool event(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    void LoadField();
    void SetModified(bool Value);
    void ShowText(const QString& Value);
    void TextEdited();
    void HandInText();
    void EditingChanged();
    void WatchWindow();

    TFieldDataLink FDataLink;
    QString FLoadedText;               // the field's text as last shown
    QPersistentModelIndex FShownField; // the record's field it came from
    QString FBindingError;             // the binding error last reported
    bool FLoading = false;
    bool FModified = false;
    QPointer<QWidget> FWatchedWindow; // the window whose closing writes the edits first
};

} // namespace zoZezo
