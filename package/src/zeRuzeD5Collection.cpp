#include "zeRuzeD5Collection.h"

#include "PackageUnits.h"

namespace zoZezo {

TzeRuzeD5::TzeRuzeD5(QObject* Parent) : QObject(Parent) {
    PackageUnits().Load(FUnits);
    Register(FPalette);
}

TzeRuzeD5::~TzeRuzeD5() {
    PackageUnits().Unload(FUnits);
}

QList<QDesignerCustomWidgetInterface*> TzeRuzeD5::customWidgets() const {
    return FPalette.Entries;
}

} // namespace zoZezo
