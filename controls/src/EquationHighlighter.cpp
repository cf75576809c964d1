#include "EquationHighlighter.h"

#include "LineClasses.h"

namespace zoZezo {

TEquationHighlighter::TEquationHighlighter(QObject* Parent, const TFormats& Formats)
    : QSyntaxHighlighter(Parent), FFormats(Formats) {}

void TEquationHighlighter::highlightBlock(const QString& Text) {
    const auto* Classes = static_cast<const TLineClasses*>(currentBlockUserData());
    if (!Classes) return;
    const auto& Digits = Classes->Digits;
    const int End = std::min<int>(Digits.size(), Text.size());
    for (int Start = 0; Start < End;) {
        int Stop = Start + 1;
        while (Stop < End && Digits[Stop] == Digits[Start])
            ++Stop;
        const int Class = Digits[Start] - '0';
        if (Class >= 0 && Class < static_cast<int>(FFormats.size()))
            setFormat(Start, Stop - Start, FFormats[static_cast<std::size_t>(Class)]);
        Start = Stop;
    }
}

} // namespace zoZezo
