#include "StatusLine.h"

#include <QMouseEvent>

namespace zoZezo {

TStatusLine::TStatusLine(QWidget* Parent) : QLabel(Parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setFixedHeight(15);
    // A long message (a server's, say) is cut at the edge rather than widening the window.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setFrameShape(QFrame::NoFrame);
    setTextFormat(Qt::PlainText);
    QFont Bold = font();
    Bold.setBold(true);
    setFont(Bold);
}

void TStatusLine::SetTextColor(const QColor& Color) {
    QPalette Colours = palette();
    Colours.setColor(QPalette::WindowText, Color);
    setPalette(Colours);
}

void TStatusLine::mouseReleaseEvent(QMouseEvent* Event) {
    QLabel::mouseReleaseEvent(Event);
    if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()))
        emit Clicked();
}

} // namespace zoZezo
