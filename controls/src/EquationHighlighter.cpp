#include "EquationHighlighter.h"

#include "LineClasses.h"

#include <QTextDocument>

namespace zoZezo {
namespace {

// True when Block holds a unit of one of Classes, bit c for class c.
bool HasClassOf(const QTextBlock& Block, unsigned Classes) {
    const auto* Line = static_cast<const TLineClasses*>(Block.userData());
    for (int Class = 0; Line && Classes >> Class != 0; ++Class)
        if ((Classes >> Class & 1U) != 0 && Line->Digits.contains(static_cast<char>('0' + Class)))
            return true;
    return false;
}

} // namespace

TEquationHighlighter::TEquationHighlighter(QObject* Parent, const TFormats& Formats)
    : QSyntaxHighlighter(Parent), FFormats(Formats) {}

void TEquationHighlighter::highlightBlock(const QString& Text) {
    const auto* Classes = static_cast<const TLineClasses*>(currentBlockUserData());
    if (!Classes) return;
    TRanges Ranges;
    const auto [Begin, End] = PaintedUnits(static_cast<int>(Text.size()));
    ClassRanges(Classes->Digits, Begin, End, FFormats, FormatOfDigit(FFormats), Ranges);
    for (const auto& Range : Ranges)
        setFormat(Range.start, Range.length, Range.format);
}

TEquationHighlighter::TFormatOfDigit TEquationHighlighter::FormatOfDigit(const TFormats& Formats) {
    TFormatOfDigit Of;
    Of.fill(-1);
    for (std::size_t Class = 0; Class < Formats.size(); ++Class) {
        const auto First = std::find(Formats.begin(), Formats.end(), Formats[Class]);
        Of['0' + Class] = static_cast<signed char>(First - Formats.begin());
    }
    return Of;
}

std::pair<int, int> TEquationHighlighter::PaintedUnits(int Length) const {
    if (Length <= LongLine) return {0, Length};
    return {std::min(FWindow.first, Length), std::min(FWindow.second, Length)};
}

void TEquationHighlighter::ClassRanges(const QByteArray& Digits, int Begin, int End,
                                       const TFormats& Formats, const TFormatOfDigit& Of,
                                       TRanges& Ranges) {
    End = std::min(static_cast<int>(Digits.size()), End);
    const auto FormatAt = [&](int I) { return Of[static_cast<unsigned char>(Digits[I])]; };
    // The ranges Ranges holds are overwritten in place, which spares destroying their formats
    // and copying the same ones in again.
    qsizetype Count = 0;
    for (int Start = Begin; Start < End;) {
        const int Format = FormatAt(Start);
        int Stop = Start + 1;
        while (Stop < End && FormatAt(Stop) == Format)
            ++Stop;
        if (Format >= 0) {
            const QTextLayout::FormatRange Range{Start, Stop - Start, Formats[Format]};
            if (Count < Ranges.size())
                Ranges[Count] = Range;
            else
                Ranges.append(Range);
            ++Count;
        }
        Start = Stop;
    }
    Ranges.resize(Count);
}

bool TEquationHighlighter::Paint(const QTextBlock& Block) {
    QTextLayout* Layout = Block.layout();
    // Text an input method is composing shifts the formats; the highlighter's pass knows how.
    if (!Layout->preeditAreaText().isEmpty()) {
        rehighlightBlock(Block);
        return false;
    }
    const auto* Classes = static_cast<const TLineClasses*>(Block.userData());
    if (Classes) {
        const auto [Begin, End] = PaintedUnits(Block.length() - 1);
        ClassRanges(Classes->Digits, Begin, End, FStored, FStoredOfDigit, FRanges);
    } else {
        FRanges.clear();
    }
    if (Layout->formats() == FRanges) return false;
    Layout->setFormats(FRanges);
    return true;
}

unsigned TEquationHighlighter::FindStoredFormats() {
    const QList<QTextFormat> Stored = document()->allFormats();
    unsigned Missing = 0;
    for (std::size_t Class = 0; Class < FFormats.size(); ++Class) {
        const auto Found = std::find(Stored.begin(), Stored.end(), FFormats[Class]);
        if (Found == Stored.end()) Missing |= 1U << Class;
        FStored[Class] = Found != Stored.end() ? Found->toCharFormat() : FFormats[Class];
    }
    FStoredOfDigit = FormatOfDigit(FStored);
    return Missing;
}

void TEquationHighlighter::PaintBlocks(const std::vector<QTextBlock>& Blocks) {
    QTextDocument* Document = document();
    if (!Document) return;
    unsigned Missing = FindStoredFormats();
    // The run of neighbouring blocks painted since the document was last marked dirty.
    QTextBlock First, Last;
    const auto MarkDirty = [&] {
        if (!First.isValid()) return;
        Document->markContentsDirty(First.position(),
                                    Last.position() + Last.length() - First.position());
        First = QTextBlock();
    };
    for (const QTextBlock& Block : Blocks) {
        if (!Paint(Block)) continue;
        // The document stores a format it lacked once a layout has taken it.
        if (Missing != 0 && HasClassOf(Block, Missing)) Missing = FindStoredFormats();
        if (First.isValid() && Last.next() != Block) MarkDirty();
        if (!First.isValid()) First = Block;
        Last = Block;
    }
    MarkDirty();
}

void TEquationHighlighter::SetColumnsInView(int First, int Last) {
    if (First >= FWindow.first && Last <= FWindow.second) return;
    FWindow = {std::max(First - Margin, 0), Last + Margin};
    if (!document()) return;
    std::vector<QTextBlock> Long;
    for (QTextBlock Block = document()->begin(); Block.isValid(); Block = Block.next())
        if (Block.length() - 1 > LongLine) Long.push_back(Block);
    PaintBlocks(Long);
}

void TEquationHighlighter::PaintAll() {
    if (!document()) return;
    std::vector<QTextBlock> Blocks;
    Blocks.reserve(static_cast<std::size_t>(document()->blockCount()));
    for (QTextBlock Block = document()->begin(); Block.isValid(); Block = Block.next())
        Blocks.push_back(Block);
    PaintBlocks(Blocks);
}

} // namespace zoZezo
