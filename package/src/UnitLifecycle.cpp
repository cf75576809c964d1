#include "UnitLifecycle.h"

namespace zoZezo {

void TUnitLifecycle::Load() {
    std::lock_guard Lock(FMutex);
    if (FLoads++ > 0) return;
    for (int i = 0; i < FTable.UnitCount; ++i)
        FTable.UnitInfo[i].Init();
}

void TUnitLifecycle::Unload() {
    std::lock_guard Lock(FMutex);
    if (FLoads == 0 || --FLoads > 0) return;
    for (int i = FTable.UnitCount - 1; i >= 0; --i)
        FTable.UnitInfo[i].FInit();
}

int TUnitLifecycle::Loads() const {
    std::lock_guard Lock(FMutex);
    return FLoads;
}

} // namespace zoZezo
