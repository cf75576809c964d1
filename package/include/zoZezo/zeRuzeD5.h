#pragma once

// The plain C entry points of the package module zeRuzeD5 (libzeRuzeD5.so), for a host in C or
// C++ that loads it with dlopen or QLibrary instead of through Qt's plugin loader:
//
//     QLibrary Package("zeRuzeD5");
//     auto Start = reinterpret_cast<TPackageEntry>(Package.resolve("Initialize"));
//
// The module's units, in start order: zoZezo (the evaluator and the editor widgets, whose
// code lives in the controls library), then ziZereZez (the Qt Designer registration).
// Initialize runs their start work, Finalize their end work in reverse order; each unit's start
// runs on the first Initialize only and its end on the Finalize that undoes the last
// Initialize, so nested loads (a host and Designer, two plugin loaders) start and end each unit
// once.
//
// Qt's plugin loader does the same through the collection object: creating it is one load,
// deleting it (QPluginLoader::unload) the matching unload. A Finalize undoes only an Initialize:
// one without an Initialize of its own left to undo does nothing, however many other loads
// hold the module.

#if defined(__GNUC__)
#define ZERUZED5_ENTRY __attribute__((visibility("default")))
#else
#define ZERUZED5_ENTRY
#endif

#ifdef __cplusplus
extern "C" {
#endif

// A unit's start or end work.
typedef void (*TUnitProc)(void);

// One unit of the package: its name and its start and end work (never null).
typedef struct TUnitInfo {
    const char* Name;
    TUnitProc Init;
    TUnitProc FInit;
} TUnitInfo;

// The package's units in start order.
typedef struct TPackageInfoTable {
    int UnitCount;
    const TUnitInfo* UnitInfo;
} TPackageInfoTable;

typedef void (*TPackageEntry)(void);
typedef const TPackageInfoTable* (*TGetPackageInfoTable)(void);

// Starts the units that are not started yet, in table order.
ZERUZED5_ENTRY void Initialize(void);
// Undoes one Initialize; the last load undone ends the units in reverse table order.
ZERUZED5_ENTRY void Finalize(void);
// The unit table; it lives as long as the module is loaded.
ZERUZED5_ENTRY const TPackageInfoTable* GetPackageInfoTable(void);

#ifdef __cplusplus
}
#endif
