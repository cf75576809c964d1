#pragma once

#include <QLabel>

namespace zoZezo {

// The memo's status line: one left-justified line of text, 15 pixels high, bold, that reports
// a click.
class TStatusLine : public QLabel {
    Q_OBJECT

public:
    explicit TStatusLine(QWidget* Parent);

    // Paints the text in Color from now on.
    void SetTextColor(const QColor& Color);

Q_SIGNALS:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* Event) override;
};

} // namespace zoZezo
