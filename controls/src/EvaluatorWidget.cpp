#include "zoZezo/EvaluatorWidget.h"

#include <QPainter>
#include <QtDebug>

namespace zoZezo {

namespace {
constexpr int MarkerSize = 28;
}

TzoZezoEvaluatorWidget::TzoZezoEvaluatorWidget(QWidget* Parent) : QWidget(Parent) {
    setToolTip(QStringLiteral("zoZezo evaluator"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QObject::objectNameChanged, this,
            [this](const QString& Name) { FEvaluator.Name = Name.toStdString(); });
    SetDesigning(false);
}

TzoZezoEvaluatorWidget::~TzoZezoEvaluatorWidget() = default;

void TzoZezoEvaluatorWidget::SetDesigning(bool Value) {
    FEvaluator.SetDesigning(Value);
    setVisible(Value);
    updateGeometry();
}

QSize TzoZezoEvaluatorWidget::sizeHint() const {
    return Designing() ? QSize(MarkerSize, MarkerSize) : QSize(0, 0);
}

void TzoZezoEvaluatorWidget::SetSyntaxChar(const char* Property, char& Field, QChar Value) {
    const char16_t Code = Value.unicode();
    if (Code < u' ' || Code > u'~') {
        qWarning("TzoZezoEvaluatorWidget %s: %s takes one printable ASCII character, not U+%04X",
                 qPrintable(objectName()), Property, unsigned(Code));
        return;
    }
    Field = static_cast<char>(Code);
}

// A calculator face with "f(x)": what the palette shows for the evaluator.
void TzoZezoEvaluatorWidget::paintEvent(QPaintEvent*) {
    if (!Designing()) return;
    QPainter Painter(this);
    const QRect Body = rect().adjusted(2, 1, -3, -2);
    Painter.setPen(Qt::black);
    Painter.setBrush(QColor(0xC0, 0xC0, 0xC0));
    Painter.drawRect(Body);
    const QRect Display(Body.left() + 2, Body.top() + 2, Body.width() - 4, Body.height() / 2 - 2);
    Painter.setBrush(QColor(0x00, 0xFF, 0x00));
    Painter.drawRect(Display);
    QFont Small = font();
    Small.setPixelSize(qMax(6, Display.height() - 2));
    Painter.setFont(Small);
    Painter.drawText(Display, Qt::AlignCenter, QStringLiteral("f(x)"));
    Painter.setBrush(Qt::white);
    const int Top = Display.bottom() + 3;
    const int Step = (Body.width() - 3) / 3;
    for (int Row = 0; Top + Row * 4 + 2 < Body.bottom(); ++Row)
        for (int Column = 0; Column < 3; ++Column)
            Painter.drawRect(Body.left() + 2 + Column * Step, Top + Row * 4, Step - 2, 2);
}

} // namespace zoZezo
