#pragma once

#include <QList>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextLayout>
#include <array>
#include <utility>
#include <vector>

namespace zoZezo {

// Paints each editor line from the class digits kept in its block (TLineClasses): digit d
// takes format d of the four it is given; other digits, and the characters past the digits'
// end, stay unformatted. Formats live in the block layouts, never in the text or its undo
// stack.
//
// Qt lays a line out in as many pieces as it has format ranges, and lays out the whole line
// again at every keystroke in it. So a line longer than LongLine units is painted only over a
// window of columns around those in view (SetColumnsInView): a keystroke in a line of 100,000
// characters then costs what one in a short line does, plus Qt's own pass over the line.
class TEquationHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    using TFormats = std::array<QTextCharFormat, 4>;
    using TRanges = QList<QTextLayout::FormatRange>;

    // Formats must outlive the highlighter.
    TEquationHighlighter(QObject* Parent, const TFormats& Formats);

    // Paints Blocks, blocks of the highlighter's document in document order, as
    // rehighlightBlock would paint each, but without laying each out again at once: their
    // formats go straight into their layouts, a block whose formats are right already is left
    // alone, and the document is marked dirty once per run of neighbouring blocks painted, so
    // that only the blocks shown are laid out again, when they are shown. Changes neither the
    // text nor the undo stack and emits no contentsChange.
    void PaintBlocks(const std::vector<QTextBlock>& Blocks);
    // PaintBlocks over every block of the document.
    void PaintAll();

    // Lines longer than this many UTF-16 units are painted over the window only.
    static constexpr int LongLine = 1024;
    // The columns in view, [First, Last) in UTF-16 units from a line's start. When they leave
    // the window, the window moves to take them in with Margin columns on either side, and the
    // long lines are painted over it.
    static constexpr int Margin = 512;
    void SetColumnsInView(int First, int Last);

protected:
    void highlightBlock(const QString& Text) override;

private:
    // Which of the four formats each byte of the class digits takes: for digit d the first
    // format equal to format d, so that neighbouring classes of equal fonts make one range as
    // in the highlighter's own pass; -1 for a byte that is no class digit.
    using TFormatOfDigit = std::array<signed char, 256>;
    static TFormatOfDigit FormatOfDigit(const TFormats& Formats);
    // Into Ranges, the format ranges of units [Begin, End) of a line coloured by Digits with
    // Formats: one per run of units of one format, units without class left out. Reuses
    // Ranges' storage.
    static void ClassRanges(const QByteArray& Digits, int Begin, int End, const TFormats& Formats,
                            const TFormatOfDigit& Of, TRanges& Ranges);
    // The units of a line of Length units that are painted: all of a short line, the window's
    // of a long one.
    std::pair<int, int> PaintedUnits(int Length) const;
    // True when Block's layout took new formats; false when its formats were right already.
    bool Paint(const QTextBlock& Block);
    // Fills FStored; returns the classes whose formats the document lacks, bit c for class c.
    unsigned FindStoredFormats();

    const TFormats& FFormats;
    // FFormats as the document stores them where it has them, for one PaintBlocks: the same
    // formats, but sharing the document's copies, which makes comparing them with those of a
    // layout, and the layout's lookup of them, cheap. Equal copies that share nothing would
    // colour the same, only more slowly.
    TFormats FStored;
    TFormatOfDigit FStoredOfDigit;
    // PaintBlocks' ranges of one block, kept to spare an allocation per block.
    TRanges FRanges;
    // The columns painted in long lines, [first, second).
    std::pair<int, int> FWindow{0, LongLine};
};

} // namespace zoZezo
