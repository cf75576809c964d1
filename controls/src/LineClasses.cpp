#include "LineClasses.h"

#include "TextPosition.h"

#include <QTextBlock>

namespace zoZezo {
namespace {

constexpr char NoClass = ' ';

void SetDigits(QTextBlock Block, const QByteArray& Digits) {
    // An edit that reaches the end of the text finds no block after it; an invalid block would
    // drop the data without owning it.
    if (!Block.isValid()) return;
    Block.setUserData(Digits.isEmpty() ? nullptr : new TLineClasses(Digits));
}

} // namespace

void TRebuildClasses::Clear() {
    FDigits.resize(0);
    FEnds.clear();
}

void TRebuildClasses::Append(std::string_view Text, std::string_view ByteClasses) {
    ClassesPerUtf16Unit(Text, ByteClasses, FDigits);
    FEnds.push_back(FDigits.size());
}

QByteArrayView TRebuildClasses::Line(int I) const {
    const auto Line = static_cast<std::size_t>(I);
    const qsizetype Start = Line == 0 ? 0 : FEnds[Line - 1];
    return QByteArrayView(FDigits).sliced(Start, FEnds[Line] - Start);
}

void TLineClassesTracker::FollowEdit(QTextDocument& Document, int Position, int Removed,
                                     int Added) {
    const int Lines = Document.blockCount();
    const QTextBlock First = Document.findBlock(Position);
    const QTextBlock Last = Document.findBlock(Position + Added);
    const int LinesAdded = Last.blockNumber() - First.blockNumber();
    const int LinesRemoved = FLines - Lines + LinesAdded;
    FLines = Lines;
    const auto* Classes = static_cast<const TLineClasses*>(First.userData());
    if (!Classes) return;
    const int Column = Position - First.position();
    const QByteArray Old = Classes->Digits;
    if (LinesRemoved > 0) {
        // Qt keeps the data of the line after lines removed whole, the first line's data when
        // the removal starts inside it: only the first line's part before the edit is sure.
        if (Column > 0) SetDigits(First, Old.left(Column));
        if (LinesAdded > 0) SetDigits(Last, {});
        return;
    }
    const QByteArray Tail = Old.mid(Column + Removed);
    if (LinesAdded == 0) {
        SetDigits(First, Old.left(Column) + QByteArray(Added, NoClass) + Tail);
        return;
    }
    SetDigits(First, Old.left(Column));
    SetDigits(Last, QByteArray(Position + Added - Last.position(), NoClass) + Tail);
}

} // namespace zoZezo
