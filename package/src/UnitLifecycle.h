#pragma once

#include "zoZezo/zeRuzeD5.h"

#include <mutex>

namespace zoZezo {

// Runs a unit table's start and end work across the loads of its package: the first Load
// starts the units in table order, the Unload that undoes the last Load ends them in reverse
// order, so each start and each end runs once however many loads overlap. An Unload without
// a Load does nothing. Safe to call from several threads.
class TUnitLifecycle {
public:
    explicit TUnitLifecycle(const TPackageInfoTable& Table) : FTable(Table) {}

    void Load();
    void Unload();

    // Loads not yet undone.
    int Loads() const;

private:
    const TPackageInfoTable& FTable;
    mutable std::mutex FMutex;
    int FLoads = 0;
};

} // namespace zoZezo
