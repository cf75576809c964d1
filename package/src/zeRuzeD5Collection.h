#pragma once

#include "UnitLifecycle.h"
#include "ziZereZez.h"

#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>

namespace zoZezo {

// The module as Qt's plugin loader sees it: the collection of the package's Designer
// components (Qt Designer and QUiLoader both ask it). Creating it is one load of the
// package's units and fills the palette through Register; deleting it, which
// QPluginLoader::unload does, is the matching unload.
class TzeRuzeD5 : public QObject, public QDesignerCustomWidgetCollectionInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QDesignerCustomWidgetCollectionInterface_iid FILE "../zeRuzeD5.json")
    Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)

public:
    explicit TzeRuzeD5(QObject* Parent = nullptr);
    ~TzeRuzeD5() override;

    QList<QDesignerCustomWidgetInterface*> customWidgets() const override;

private:
    TUnitLifecycle::TLoader FUnits; // the one load this object makes
    TPalette FPalette{this, {}};
};

} // namespace zoZezo
