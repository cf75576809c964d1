#include "UnitLifecycle.h"

namespace zoZezo {

void TUnitLifecycle::Load(TLoader& By) {
    std::lock_guard Lock(FMutex);
    ++By.Loads;
    if (FLoads++ > 0) return;
    for (int i = 0; i < FTable.UnitCount; ++i)
        FTable.UnitInfo[i].Init();
}

void TUnitLifecycle::Unload(TLoader& By) {
    std::lock_guard Lock(FMutex);
    if (By.Loads == 0) return;
    --By.Loads;
    if (--FLoads > 0) return;
    for (int i = FTable.UnitCount - 1; i >= 0; --i)
        FTable.UnitInfo[i].FInit();
}

int TUnitLifecycle::Loads() const {
    std::lock_guard Lock(FMutex);
    return FLoads;
}

} // namespace zoZezo
