// The package unit: the unit table and the module's exported entry points.

#include "PackageUnits.h"
#include "zoZezo/MathMsg.h"

#include <QLoggingCategory>

namespace zoZezo {
namespace {

// Traces each unit's start and end ("zoZezo.package.units.debug=true" in QT_LOGGING_RULES
// shows them); silent by default.
Q_LOGGING_CATEGORY(lcUnits, "zoZezo.package.units", QtInfoMsg)

void StartzoZezo() {
    qCDebug(lcUnits, "start zoZezo");
}

// The unit's end releases the MathMsg texts. They are string views over literals, compile-time
// constants of the controls library that stay valid for every other user of the evaluator
// while this module comes and goes, so releasing them frees nothing.
void EndzoZezo() {
    qCDebug(lcUnits, "end zoZezo: %zu MathMsg texts released", MathMsg.size());
}

void StartziZereZez() {
    qCDebug(lcUnits, "start ziZereZez");
}

void EndziZereZez() {
    qCDebug(lcUnits, "end ziZereZez");
}

constexpr TUnitInfo Units[] = {
    {"zoZezo", StartzoZezo, EndzoZezo},
    {"ziZereZez", StartziZereZez, EndziZereZez},
};

constexpr TPackageInfoTable Table = {static_cast<int>(std::size(Units)), Units};

} // namespace

TUnitLifecycle& PackageUnits() {
    static TUnitLifecycle Lifecycle(Table);
    return Lifecycle;
}

} // namespace zoZezo

namespace {
// The loads made through the exported entry points: a Finalize undoes only one of these.
zoZezo::TUnitLifecycle::TLoader EntryPoints;
} // namespace

extern "C" {

void Initialize(void) {
    zoZezo::PackageUnits().Load(EntryPoints);
}

void Finalize(void) {
    zoZezo::PackageUnits().Unload(EntryPoints);
}

const TPackageInfoTable* GetPackageInfoTable(void) {
    return &zoZezo::Table;
}
}
