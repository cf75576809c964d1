#pragma once

#include "zoZezo/CustomEquationMemo.h"
#include "zoZezo/DBRichEdit.h"
#include "zoZezo/DataSource.h"
#include "zoZezo/FieldDataLink.h"

#include <QString>
#include <memory>

namespace zoZezo {

// The equation memo whose text lives in one text field of a data source's current record. It
// hosts a TDBRichEdit, which loads the field's text (a change of the text like any other, so
// the rebuild follows after the pause) and writes the user's edits back.
//
// When edits reach the database: when the data source posts (TDataSource::Post(), moving to
// another record, SaveEdits()), when the editor loses the focus, before DataSource or DataField
// change, when the memo's window is asked to close, and when the memo or the data source is
// freed. See TDBRichEdit for the details.
//
// Errors: a write that fails keeps the text in the editor, unsaved, so that a later post writes
// it; the database's message goes to OnDataError and to the status line. A wrong field name or a
// data source without a record set is reported the same way, and leaves the editor empty and
// read-only. A compile error of the equations takes the status line on the next rebuild; the
// data error comes back when the equations compile and it still holds. The error clears once
// the edits are written (or cancelled) and the binding works.
class TovDBEquationMemo : public TCustomovEquationMemo {
    Q_OBJECT
    Q_PROPERTY(QString DataField READ GetDataField WRITE SetDataField)
    // Set from code: a form designer has no data source to offer.
    Q_PROPERTY(zoZezo::TDataSource* DataSource READ GetDataSource WRITE SetDataSource
                   DESIGNABLE false STORED false)
    Q_PROPERTY(bool PlainText READ GetPlainText WRITE SetPlainText)
    Q_PROPERTY(QString DataError READ DataError DESIGNABLE false STORED false)

public:
    // The memo of TCustomovEquationMemo with its data link, then a data-aware editor in
    // colouring mode, bound to nothing (empty and read-only).
    explicit TovDBEquationMemo(QWidget* Parent = nullptr);
    // Writes unsaved edits first (a failure goes to OnDataError), then frees the data link and
    // the editor, in this order.
    ~TovDBEquationMemo() override;

    const char* ClassName() const override { return "TovDBEquationMemo"; }

    // The binding, kept in the memo's link and handed to the editor. Both setters write unsaved
    // edits first; when that fails they change nothing and return false (the reason went to
    // OnDataError).
    TDataSource* GetDataSource() const { return FDataLink->DataSource(); }
    bool SetDataSource(TDataSource* Value);
    QString GetDataField() const { return FDataLink->FieldName(); }
    bool SetDataField(const QString& Value);

    bool GetPlainText() const { return PlainText(); }
    // Records Value and switches the editor: true shows the text without colours.
    void SetPlainText(bool Value) override;

    // Writes unsaved edits now; true when nothing is left unwritten.
    bool SaveEdits() { return FDBEditor->SaveEdits(); }
    // True while the editor holds edits that are not yet written.
    bool Modified() const { return FDBEditor->Modified(); }
    // The data error that still holds (a failed write or a broken binding), or empty.
    QString DataError() const { return FDataError; }
    // The hosted data-aware editor.
    TDBRichEdit* DBEditor() const { return FDBEditor; }

Q_SIGNALS:
    // A write failed, or the binding does not work; Message says why in the database's words.
    void OnDataError(zoZezo::TCustomovEquationMemo* Sender, const QString& Message);

protected:
    // The link's data-change handler: the editor does the work, so this does nothing.
    void DataChange() {}

private:
    void ReportDataError(const QString& Message);
    void DataStatusChanged();
    void KeepDataErrorInSight();

    std::unique_ptr<TFieldDataLink> FDataLink;
    TDBRichEdit* FDBEditor;
    QString FDataError;
};

} // namespace zoZezo
