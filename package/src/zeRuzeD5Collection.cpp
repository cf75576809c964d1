#include "zeRuzeD5Collection.h"

#include "PackageUnits.h"

namespace zoZezo {

TzeRuzeD5::TzeRuzeD5(QObject* Parent) : QObject(Parent) {
    PackageUnits().Load();
    Register(FPalette);
}

TzeRuzeD5::~TzeRuzeD5() {
    PackageUnits().Unload();
}

QList<QDesignerCustomWidgetInterface*> TzeRuzeD5::customWidgets() const {
    return FPalette.Entries;
}

} // namespace zoZezo
