#include "zoZezo/Color.h"

#include <QGuiApplication>
#include <QPalette>

namespace zoZezo {
namespace {

constexpr TColor SystemColorFlag = 0x80000000;
constexpr TColor ColorBtnFace = 15;
constexpr TColor ColorGrayText = 17;

QColor SystemColor(TColor Index) {
    const QPalette Palette = QGuiApplication::palette();
    switch (Index) {
    case ColorBtnFace: return Palette.color(QPalette::Button);
    case ColorGrayText: return Palette.color(QPalette::Disabled, QPalette::WindowText);
    default: return Palette.color(QPalette::WindowText);
    }
}

} // namespace

QColor ToQColor(TColor Color) {
    if (Color & SystemColorFlag) return SystemColor(Color & ~SystemColorFlag);
    return QColor(static_cast<int>(Color & 0xFF), static_cast<int>((Color >> 8) & 0xFF),
                  static_cast<int>((Color >> 16) & 0xFF));
}

TColor FromQColor(const QColor& Color) {
    const QColor Rgb = Color.toRgb();
    return static_cast<TColor>(Rgb.red()) | static_cast<TColor>(Rgb.green()) << 8 |
           static_cast<TColor>(Rgb.blue()) << 16;
}

} // namespace zoZezo
