#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QTextBlockUserData>
#include <QTextDocument>
#include <string_view>
#include <vector>

namespace zoZezo {

// The class digits of one editor line from the last rebuild that coloured it, one per UTF-16
// unit of the line. Kept in the line's block, so that it moves with the line when lines above
// are inserted or deleted. A digit outside '0' to '3' (a blank) marks a unit without class.
class TLineClasses : public QTextBlockUserData {
public:
    explicit TLineClasses(QByteArray Digits) : Digits(std::move(Digits)) {}

    QByteArray Digits;
};

// The class digits of the lines one rebuild compiled, line after line, taken from each
// equation as soon as it compiled: what host code does to the equations afterwards cannot reach
// the colours. One buffer for all lines, kept from one rebuild to the next.
class TRebuildClasses {
public:
    void Clear();
    // Adds the next line: the equation's text and its per-byte classes.
    void Append(std::string_view Text, std::string_view ByteClasses);
    int Count() const { return static_cast<int>(FEnds.size()); }
    // The digits of line I, one per UTF-16 unit, valid until the next Append or Clear.
    QByteArrayView Line(int I) const;

private:
    QByteArray FDigits;
    std::vector<qsizetype> FEnds;
};

// Keeps the class digits with their characters through edits of the text, so that between
// rebuilds every character keeps the class it had, new text has none, and a line moved by an
// edit (a line break typed at its start, say) keeps its own colours. Qt keeps a block's user
// data with the block object, which an edit may hand to other text; this mends that.
class TLineClassesTracker {
public:
    explicit TLineClassesTracker(const QTextDocument& Document) : FLines(Document.blockCount()) {}

    // Call for every contentsChange of Document that changed its text, before the highlighter
    // repaints the lines.
    void FollowEdit(QTextDocument& Document, int Position, int Removed, int Added);

private:
    int FLines;
};

} // namespace zoZezo
