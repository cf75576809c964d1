#pragma once

#include <QFrame>

namespace zoZezo {

// The separator line above the memo's status line: a sunken horizontal line 2 pixels high.
class TBevel : public QFrame {
    Q_OBJECT

public:
    explicit TBevel(QWidget* Parent) : QFrame(Parent) {
        setFrameShape(QFrame::HLine);
        setFrameShadow(QFrame::Sunken);
        setFixedHeight(2);
    }
};

} // namespace zoZezo
