#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <array>

namespace zoZezo {

// Paints each editor line from the class digits kept in its block (TLineClasses): digit d
// takes format d of the four it is given; other digits, and the characters past the digits'
// end, stay unformatted. Formats live in the block layouts, never in the text or its undo
// stack.
class TEquationHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    using TFormats = std::array<QTextCharFormat, 4>;

    // Formats must outlive the highlighter.
    TEquationHighlighter(QObject* Parent, const TFormats& Formats);

protected:
    void highlightBlock(const QString& Text) override;

private:
    const TFormats& FFormats;
};

} // namespace zoZezo
