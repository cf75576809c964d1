#pragma once

#include <QByteArray>
#include <QTextBlockUserData>

namespace zoZezo {

// The class digits of one editor line from the last rebuild that coloured it, one per UTF-16
// unit of the line as it was then. Kept in the line's block, so that it moves with the line
// when lines above are inserted or deleted.
class TLineClasses : public QTextBlockUserData {
public:
    explicit TLineClasses(QByteArray Digits) : Digits(std::move(Digits)) {}

    QByteArray Digits;
};

} // namespace zoZezo
