#pragma once

#include "zoZezo/Color.h"

#include <QFont>
#include <QString>
#include <QTextCharFormat>

namespace zoZezo {

// The styles a font can combine.
enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned; // a set of TFontStyle flags

// A font as the editor's colouring uses it: face, size in points, style and colour (a QFont
// has no colour). A plain value: copying it, or Assign, copies every attribute.
struct TFont {
    QString Name = QStringLiteral("Courier New");
    int Size = 8;
    TFontStyles Style = 0;
    TColor Color = clBlack;

    void Assign(const TFont& Source) { *this = Source; }

    // Face, size and style as a QFont; other QFont attributes keep Qt's defaults.
    QFont ToQFont() const;
    // Takes face, size and style from Font and keeps Color.
    void SetFromQFont(const QFont& Font);
    // The character format that paints text in this font.
    QTextCharFormat ToCharFormat() const;

    friend bool operator==(const TFont&, const TFont&) = default;
};

} // namespace zoZezo
