#pragma once

#include "zoZezo/zeRuzeD5.h"

#include <mutex>

namespace zoZezo {

// Runs a unit table's start and end work across the loads of its package: the first Load
// starts the units in table order, the Unload that undoes the last Load ends them in reverse
// order, so each start and each end runs once however many loads overlap.
//
// Each loader (the exported entry points, each plugin collection object) counts its own loads,
// and an Unload undoes only a load that the same loader made: a loader that unloads more often
// than it loaded ends nothing that another loader still holds. Safe to call from several
// threads.
class TUnitLifecycle {
public:
    // The loads one loader has made and not yet undone.
    struct TLoader {
        int Loads = 0;
    };

    explicit TUnitLifecycle(const TPackageInfoTable& Table) : FTable(Table) {}

    void Load(TLoader& By);
    void Unload(TLoader& By);

    // Loads not yet undone, of all loaders.
    int Loads() const;

private:
    const TPackageInfoTable& FTable;
    mutable std::mutex FMutex;
    int FLoads = 0;
};

} // namespace zoZezo
