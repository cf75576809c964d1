#include "zoZezo/DBEquationMemo.h"

namespace zoZezo {

TovDBEquationMemo::TovDBEquationMemo(QWidget* Parent)
    : TCustomovEquationMemo(Parent), FDataLink(std::make_unique<TFieldDataLink>()) {
    FDataLink->SetControl(this);
    connect(FDataLink.get(), &TFieldDataLink::DataChange, this, &TovDBEquationMemo::DataChange);
    FDBEditor = new TDBRichEdit(this);
    connect(FDBEditor, &TDBRichEdit::DataError, this, &TovDBEquationMemo::ReportDataError);
    connect(FDBEditor, &TDBRichEdit::DataStatusChanged, this,
            &TovDBEquationMemo::DataStatusChanged);
    connect(this, &TCustomovEquationMemo::OnEvaluate, this,
            &TovDBEquationMemo::KeepDataErrorInSight);
    SetUpEditor(FDBEditor);
}

TovDBEquationMemo::~TovDBEquationMemo() {
    FDBEditor->SaveEdits();
    FDataLink.reset();
    disconnect(FDBEditor, nullptr, this, nullptr);
    delete FDBEditor;
}

bool TovDBEquationMemo::SetDataSource(TDataSource* Value) {
    if (Value == GetDataSource()) return true;
    if (!FDBEditor->SaveEdits()) return false;
    FDataLink->SetDataSource(Value);
    return FDBEditor->SetDataSource(Value);
}

bool TovDBEquationMemo::SetDataField(const QString& Value) {
    if (Value == GetDataField()) return true;
    if (!FDBEditor->SaveEdits()) return false;
    FDataLink->SetFieldName(Value);
    return FDBEditor->SetDataField(Value);
}

void TovDBEquationMemo::SetPlainText(bool Value) {
    TCustomovEquationMemo::SetPlainText(Value);
    SetEditorPlainText(Value);
}

void TovDBEquationMemo::ReportDataError(const QString& Message) {
    FDataError = Message;
    SetStatusText(Message);
    emit OnDataError(this, Message);
}

void TovDBEquationMemo::DataStatusChanged() {
    if (FDataError.isEmpty() || FDBEditor->Modified() || !FDBEditor->BindingError().isEmpty())
        return;
    if (StatusText() == FDataError) SetStatusText({});
    FDataError.clear();
}

void TovDBEquationMemo::KeepDataErrorInSight() {
    if (!FDataError.isEmpty() && StatusText().isEmpty()) SetStatusText(FDataError);
}

} // namespace zoZezo
