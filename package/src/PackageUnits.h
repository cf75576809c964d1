#pragma once

#include "UnitLifecycle.h"

namespace zoZezo {

// The lifecycle of the module's unit table. The collection object loads and unloads through
// it directly rather than through the exported Initialize and Finalize, whose plain names
// another library of the process could also define.
TUnitLifecycle& PackageUnits();

} // namespace zoZezo
