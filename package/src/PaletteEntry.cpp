#include "PaletteEntry.h"

#include <QBitmap>
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace zoZezo {

TPaletteEntry::TPaletteEntry(QString Page, TComponentClass Class, QObject* Parent)
    : QObject(Parent), FPage(std::move(Page)), FClass(std::move(Class)) {}

QString TPaletteEntry::UnqualifiedName() const {
    return FClass.Name.section(QStringLiteral("::"), -1);
}

QString TPaletteEntry::BitmapPath() const {
    return QStringLiteral(":/zeRuzeD5/palette/") + UnqualifiedName().toUpper();
}

QIcon TPaletteEntry::icon() const {
    const QImage Bitmap(BitmapPath());
    if (Bitmap.isNull()) return {};
    QPixmap Pixmap = QPixmap::fromImage(Bitmap);
    const QColor Transparent = Bitmap.pixelColor(0, Bitmap.height() - 1);
    Pixmap.setMask(
        QBitmap::fromImage(Bitmap.createMaskFromColor(Transparent.rgb(), Qt::MaskInColor)));
    return QIcon(Pixmap);
}

QWidget* TPaletteEntry::createWidget(QWidget* Parent) {
    return FClass.Create(Parent, FDesigner != nullptr);
}

void TPaletteEntry::initialize(QDesignerFormEditorInterface* Core) {
    if (!FDesigner) FDesigner = Core;
}

QString TPaletteEntry::domXml() const {
    return QStringLiteral("<ui language=\"c++\" displayname=\"%1\">\n"
                          "  <widget class=\"%2\" name=\"%3\"/>\n"
                          "</ui>\n")
        .arg(UnqualifiedName(), FClass.Name, FClass.DefaultObjectName);
}

} // namespace zoZezo
