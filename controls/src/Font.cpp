#include "zoZezo/Font.h"

namespace zoZezo {

QFont TFont::ToQFont() const {
    QFont Font(Name);
    Font.setPointSize(Size);
    Font.setBold(Style & fsBold);
    Font.setItalic(Style & fsItalic);
    Font.setUnderline(Style & fsUnderline);
    Font.setStrikeOut(Style & fsStrikeOut);
    return Font;
}

void TFont::SetFromQFont(const QFont& Font) {
    Name = Font.family();
    if (Font.pointSize() > 0) Size = Font.pointSize();
    Style = (Font.bold() ? fsBold : 0u) | (Font.italic() ? fsItalic : 0u) |
            (Font.underline() ? fsUnderline : 0u) | (Font.strikeOut() ? fsStrikeOut : 0u);
}

QTextCharFormat TFont::ToCharFormat() const {
    QTextCharFormat Format;
    Format.setFont(ToQFont(), QTextCharFormat::FontPropertiesSpecifiedOnly);
    Format.setForeground(ToQColor(Color));
    return Format;
}

} // namespace zoZezo
