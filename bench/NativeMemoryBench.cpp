// The executable memory of native code: 20,000 small equations translated, in a sweep over
// the document (every equation computed once per step, as the workbench computes) and one
// equation after another (each computed in a row until it runs natively). The figures are the
// process's own: the resident memory of its anonymous executable mappings, and their count,
// from /proc/self/smaps.

#include "Registry.h"
#include "Zezo.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace bench {
namespace {

constexpr int Equations = 20000;

struct TExecutable {
    double KiB = 0;
    int Mappings = 0;
};

// Anonymous mappings that are executable: the code the process generated.
TExecutable ExecutableMemory() {
    std::ifstream Maps("/proc/self/smaps");
    TExecutable Total;
    bool Counting = false;
    for (std::string Line; std::getline(Maps, Line);) {
        std::istringstream In(Line);
        std::string First, Permissions, Offset, Device, Inode, Path;
        In >> First >> Permissions >> Offset >> Device >> Inode >> Path;
        if (First.find('-') != std::string::npos && Device.find(':') != std::string::npos) {
            Counting =
                Permissions.size() == 4 && Permissions[2] == 'x' && Inode == "0" && Path.empty();
            Total.Mappings += Counting;
        } else if (Counting && First == "Rss:") {
            Total.KiB += std::stod(Permissions);
        }
    }
    return Total;
}

// Computes eK: x*K+1 for K below Equations, translating each; reports what was added.
void Translated(benchmark::State& State, bool Sweep) {
    for (auto _ : State) {
        const TExecutable Before = ExecutableMemory();
        TZezo Zezo;
        std::vector<zoZezo::TEquation*> List;
        std::string Error;
        for (int K = 0; K < Equations; ++K) {
            const std::string Number = std::to_string(K);
            std::string Text = "e";
            Text.append(Number).append(": x*").append(Number).append("+1");
            List.push_back(Zezo.Add(Text, Error));
        }
        constexpr int Runs = 66; // translated at the 64th computation, run natively after
        if (Sweep)
            for (int Run = 0; Run < Runs; ++Run)
                for (zoZezo::TEquation* Equation : List)
                    benchmark::DoNotOptimize(Equation->Compute());
        else
            for (zoZezo::TEquation* Equation : List)
                for (int Run = 0; Run < Runs; ++Run)
                    benchmark::DoNotOptimize(Equation->Compute());
        int Native = 0;
        for (const zoZezo::TEquation* Equation : List)
            Native += Equation->HasNativeCode();
        const TExecutable After = ExecutableMemory();
        State.counters["translated"] = Native;
        State.counters["exec KiB"] = After.KiB - Before.KiB;
        State.counters["mappings"] = After.Mappings - Before.Mappings;
    }
}

} // namespace

void RegisterNativeMemory() {
    for (const bool Sweep : {true, false})
        Register(std::string("memory/20000 equations ") + (Sweep ? "in sweeps" : "one by one") +
                     "/" + ZezoColumn,
                 Translated, Sweep)
            ->Iterations(1)
            ->Repetitions(1)
            ->Unit(benchmark::kMillisecond);
}

} // namespace bench
