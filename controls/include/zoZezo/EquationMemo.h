#pragma once

#include "zoZezo/CustomEquationMemo.h"

namespace zoZezo {

// The equation memo whose text lives in the control: it hosts a QPlainTextEdit.
class TovEquationMemo : public TCustomovEquationMemo {
    Q_OBJECT
    Q_PROPERTY(bool PlainText READ GetPlainText WRITE SetPlainText)

public:
    // The memo of TCustomovEquationMemo with an empty editor in colouring mode.
    explicit TovEquationMemo(QWidget* Parent = nullptr);

    const char* ClassName() const override { return "TovEquationMemo"; }

    bool GetPlainText() const { return PlainText(); }
    // Records Value and switches the editor: true shows the text without colours.
    void SetPlainText(bool Value) override;
};

} // namespace zoZezo
