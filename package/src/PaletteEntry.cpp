#include "PaletteEntry.h"

#include <QBitmap>
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace zoZezo {

TPaletteEntry::TPaletteEntry(QString Page, TComponentClass Class, QObject* Parent)
    : QObject(Parent), FPage(std::move(Page)), FClass(std::move(Class)) {}

QString TPaletteEntry::BitmapPath() const {
    const QString Unqualified = FClass.Name.section(QStringLiteral("::"), -1);
    return QStringLiteral(":/zeRuzeD5/palette/") + Unqualified.toUpper();
}

QIcon TPaletteEntry::icon() const {
    const QImage Bitmap(BitmapPath());
    if (Bitmap.isNull()) return {};
    QPixmap Pixmap = QPixmap::fromImage(Bitmap);
    const QColor Transparent = Bitmap.pixelColor(0, Bitmap.height() - 1);
    Pixmap.setMask(QBitmap::fromImage(Bitmap.createMaskFromColor(Transparent.rgb(), Qt::MaskOutColor)));
    return QIcon(Pixmap);
}

QWidget* TPaletteEntry::createWidget(QWidget* Parent) {
    return FClass.Create(Parent, FDesigner != nullptr);
}

void TPaletteEntry::initialize(QDesignerFormEditorInterface* Core) {
    if (!FDesigner) FDesigner = Core;
}

QString TPaletteEntry::domXml() const {
    return QStringLiteral("<ui language=\"c++\">\n"
                          "  <widget class=\"%1\" name=\"%2\"/>\n"
                          "</ui>\n")
        .arg(FClass.Name, FClass.DefaultObjectName);
}

} // namespace zoZezo
