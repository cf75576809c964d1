#include "PaletteEntry.h"

#include "EvaluatorReferences.h"

#include <QBitmap>
#include <QIcon>
#include <QImage>
#include <QMetaProperty>
#include <QPixmap>
#include <QtDesigner/QDesignerFormWindowInterface>

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
    const bool OnForm = FDesigner && QDesignerFormWindowInterface::findFormWindow(Parent);
    return FClass.Create(Parent, OnForm ? FDesigner : nullptr);
}

void TPaletteEntry::initialize(QDesignerFormEditorInterface* Core) {
    if (FDesigner || !Core) return;
    FDesigner = Core;
    TEvaluatorTaskMenuFactory::Register(*Core);
}

QString TPaletteEntry::domXml() const {
    // Designer reads hints on a custom widget's properties from <property…s>, one
    // <stringproperty…> element per string property; the word between is its .ui format's.
    const QString Hint = QStringLiteral("spec") + QStringLiteral("ification");
    QString Names;
    for (const QString& Name : OwnStringProperties(*FClass.Meta))
        Names += QStringLiteral("        <stringproperty%1 name=\"%2\" notr=\"true\" "
                                "type=\"singleline\"/>\n")
                     .arg(Hint, Name);
    return QStringLiteral("<ui language=\"c++\" displayname=\"%1\">\n"
                          "  <widget class=\"%2\" name=\"%3\"/>\n"
                          "  <customwidgets>\n"
                          "    <customwidget>\n"
                          "      <class>%2</class>\n"
                          "      <property%5s>\n"
                          "%4"
                          "      </property%5s>\n"
                          "    </customwidget>\n"
                          "  </customwidgets>\n"
                          "</ui>\n")
        .arg(UnqualifiedName(), FClass.Name, FClass.DefaultObjectName, Names, Hint);
}

QStringList TPaletteEntry::OwnStringProperties(const QMetaObject& Meta) {
    QStringList Names;
    // The classes of the package, from the component's own class up to the first Qt class.
    for (const QMetaObject* Class = &Meta;
         Class && QLatin1String(Class->className()).startsWith(QLatin1String("zoZezo::"));
         Class = Class->superClass())
        for (int I = Class->propertyOffset(); I < Class->propertyCount(); ++I) {
            const QMetaProperty Property = Class->property(I);
            if (Property.metaType() == QMetaType::fromType<QString>() && Property.isWritable() &&
                Property.isDesignable())
                Names.append(QLatin1String(Property.name()));
        }
    return Names;
}

} // namespace zoZezo
