#include "zoZezo/EquationMemo.h"

namespace zoZezo {

TovEquationMemo::TovEquationMemo(QWidget* Parent) : TCustomovEquationMemo(Parent) {
    SetUpEditor(new QPlainTextEdit(this));
}

void TovEquationMemo::SetPlainText(bool Value) {
    TCustomovEquationMemo::SetPlainText(Value);
    SetEditorPlainText(Value);
}

} // namespace zoZezo
