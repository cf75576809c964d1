/* The module's entry points as a C program includes them. */
#include "zoZezo/zeRuzeD5.h"

int UnitCountSeenFromC(TGetPackageInfoTable GetTable) {
    const TPackageInfoTable* Table = GetTable();
    const TUnitInfo* First = Table->UnitInfo;
    return First->Init && First->FInit ? Table->UnitCount : -1;
}
