#pragma once

#include <QObject>
#include <QString>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <functional>

namespace zoZezo {

// What the palette needs to know of one component class.
struct TComponentClass {
    // The C++ class name, with its namespace, as a form file records it.
    QString Name;
    // The header a generated form includes.
    QString IncludeFile;
    QString ToolTip;
    QString WhatsThis;
    // The name Designer gives the first component of the class on a form.
    QString DefaultObjectName;
    // The class's meta-object: its own string properties are names, never translated.
    const QMetaObject* Meta;
    // Creates a component under Parent, in design mode when Designer is not null: then it is
    // a component of a form that Designer edits.
    std::function<QWidget*(QWidget* Parent, QDesignerFormEditorInterface* Designer)> Create;
};

// One component on a Qt Designer palette page. Its icon is the palette bitmap named after the
// class without its namespace, in capitals, whose bottom-left pixel gives the transparent
// colour.
//
// A component is made in design mode exactly when it goes onto a form that Qt Designer edits.
// Designer calls initialize() before it creates components, QUiLoader does not: a form loaded
// at run time gets run-time components from the same plugin, and so does Designer's preview
// (Form > Preview), whose components belong to no form being edited.
class TPaletteEntry : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    TPaletteEntry(QString Page, TComponentClass Class, QObject* Parent);

    QString name() const override { return FClass.Name; }
    QString group() const override { return FPage; }
    QString toolTip() const override { return FClass.ToolTip; }
    QString whatsThis() const override { return FClass.WhatsThis; }
    QString includeFile() const override { return FClass.IncludeFile; }
    QIcon icon() const override;
    bool isContainer() const override { return false; }
    QWidget* createWidget(QWidget* Parent) override;
    bool isInitialized() const override { return FDesigner != nullptr; }
    void initialize(QDesignerFormEditorInterface* Core) override;
    // Names the class, the default object name and, for the widget box, the class without
    // its namespace; no property, so that a new component on a form has none marked changed.
    // Declares the class's own string properties untranslatable, so that forms store them as
    // plain names, which uic does not put through translate().
    QString domXml() const override;

    // The class name without its namespace, e.g. "TovEquationMemo".
    QString UnqualifiedName() const;
    // The resource path of the palette bitmap, e.g. ":/zeRuzeD5/palette/TOVEQUATIONMEMO".
    QString BitmapPath() const;
    // The designable string properties that the package's classes add to Meta's class.
    static QStringList OwnStringProperties(const QMetaObject& Meta);

private:
    QString FPage;
    TComponentClass FClass;
    QDesignerFormEditorInterface* FDesigner = nullptr;
};

} // namespace zoZezo
