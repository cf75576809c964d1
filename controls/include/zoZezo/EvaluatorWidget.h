#pragma once

#include "zoZezo/Evaluator.h"

#include <QChar>
#include <QSize>
#include <QWidget>

namespace zoZezo {

// The evaluator as a widget, so that Qt Designer can place one on a form: it owns a
// TzoZezoEvaluator and publishes its seven syntax characters as properties, each with its
// evaluator default (Designer's reset restores it, and a form stores only changed ones).
// The core evaluator's Name follows the widget's objectName, which is the name an equation
// memo's zoZezoEvaluator property refers to.
//
// In design mode (SetDesigning(true), which the Designer plugin does) it shows as an
// icon-sized marker; at run time it is hidden and takes no room in a layout.
class TzoZezoEvaluatorWidget : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QChar DecimalPoint READ DecimalPoint WRITE SetDecimalPoint RESET ResetDecimalPoint)
    Q_PROPERTY(QChar Imaginary READ Imaginary WRITE SetImaginary RESET ResetImaginary)
    Q_PROPERTY(
        QChar OpenParentesis READ OpenParentesis WRITE SetOpenParentesis RESET ResetOpenParentesis)
    Q_PROPERTY(QChar CloseParentesis READ CloseParentesis WRITE SetCloseParentesis RESET
                   ResetCloseParentesis)
    Q_PROPERTY(QChar Separator READ Separator WRITE SetSeparator RESET ResetSeparator)
    Q_PROPERTY(QChar OpenComment READ OpenComment WRITE SetOpenComment RESET ResetOpenComment)
    Q_PROPERTY(QChar CloseComment READ CloseComment WRITE SetCloseComment RESET ResetCloseComment)

public:
    explicit TzoZezoEvaluatorWidget(QWidget* Parent = nullptr);
    ~TzoZezoEvaluatorWidget() override;

    // The evaluator the widget owns; it lives as long as the widget.
    TzoZezoEvaluator& Evaluator() { return FEvaluator; }
    const TzoZezoEvaluator& Evaluator() const { return FEvaluator; }

    // The syntax characters. A setter takes one printable ASCII character (' ' to '~'),
    // since the evaluator reads equation text byte by byte; any other value is refused with a
    // warning and the character stays as it was. Changing one recompiles nothing.
    QChar DecimalPoint() const { return QChar(FEvaluator.DecimalPoint); }
    QChar Imaginary() const { return QChar(FEvaluator.Imaginary); }
    QChar OpenParentesis() const { return QChar(FEvaluator.OpenParentesis); }
    QChar CloseParentesis() const { return QChar(FEvaluator.CloseParentesis); }
    QChar Separator() const { return QChar(FEvaluator.Separator); }
    QChar OpenComment() const { return QChar(FEvaluator.OpenComment); }
    QChar CloseComment() const { return QChar(FEvaluator.CloseComment); }
    void SetDecimalPoint(QChar Value) {
        SetSyntaxChar("DecimalPoint", FEvaluator.DecimalPoint, Value);
    }
    void SetImaginary(QChar Value) { SetSyntaxChar("Imaginary", FEvaluator.Imaginary, Value); }
    void SetOpenParentesis(QChar Value) {
        SetSyntaxChar("OpenParentesis", FEvaluator.OpenParentesis, Value);
    }
    void SetCloseParentesis(QChar Value) {
        SetSyntaxChar("CloseParentesis", FEvaluator.CloseParentesis, Value);
    }
    void SetSeparator(QChar Value) { SetSyntaxChar("Separator", FEvaluator.Separator, Value); }
    void SetOpenComment(QChar Value) {
        SetSyntaxChar("OpenComment", FEvaluator.OpenComment, Value);
    }
    void SetCloseComment(QChar Value) {
        SetSyntaxChar("CloseComment", FEvaluator.CloseComment, Value);
    }
    void ResetDecimalPoint() { FEvaluator.DecimalPoint = TzoZezoEvaluator::DefaultDecimalPoint; }
    void ResetImaginary() { FEvaluator.Imaginary = TzoZezoEvaluator::DefaultImaginary; }
    void ResetOpenParentesis() {
        FEvaluator.OpenParentesis = TzoZezoEvaluator::DefaultOpenParentesis;
    }
    void ResetCloseParentesis() {
        FEvaluator.CloseParentesis = TzoZezoEvaluator::DefaultCloseParentesis;
    }
    void ResetSeparator() { FEvaluator.Separator = TzoZezoEvaluator::DefaultSeparator; }
    void ResetOpenComment() { FEvaluator.OpenComment = TzoZezoEvaluator::DefaultOpenComment; }
    void ResetCloseComment() { FEvaluator.CloseComment = TzoZezoEvaluator::DefaultCloseComment; }

    // Design mode is the evaluator's Designing(): shown as a marker while it is set, hidden
    // otherwise.
    bool Designing() const { return FEvaluator.Designing(); }
    void SetDesigning(bool Value);

    // The marker's size in design mode; nothing at run time.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    void SetSyntaxChar(const char* Property, char& Field, QChar Value);

    TzoZezoEvaluator FEvaluator;
};

} // namespace zoZezo
