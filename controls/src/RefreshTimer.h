#pragma once

#include <QTimer>

namespace zoZezo {

// The memo's refresh timer: idle or counting down once. Restart begins the count from zero
// whether or not one is running; Stop makes it idle.
class TRefreshTimer : public QTimer {
    Q_OBJECT

public:
    explicit TRefreshTimer(QObject* Parent) : QTimer(Parent) { setSingleShot(true); }

    void Restart() { start(); }
    void Stop() { stop(); }
    bool Armed() const { return isActive(); }
};

} // namespace zoZezo
