// Equations that call equations: the cost of one nested run, and a document of 20,000 lines in
// which every line names the line above, computed line by line the way `zezo eval` does.

#include "Registry.h"
#include "Zezo.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace bench {
namespace {

constexpr int Calls = 32;

// r: f(x;3)+f(x;3)+... with Calls calls of F1's f(a;b): a*b+1; reports the time per call.
void NestedRun(benchmark::State& State, zoZezo::TNativeMode Mode) {
    TZezo Zezo;
    Zezo.Evaluator.SetNativeMode(Mode);
    std::string Text = "r: f(x;3)";
    for (int K = 1; K < Calls; ++K)
        Text += "+f(x;3)";
    std::string Error;
    if (!Zezo.Add("f(a;b): a*b+1", Error)) return State.SkipWithError(Error.c_str());
    zoZezo::TEquation* Equation = Zezo.Add(Text, Error);
    if (!Equation) return State.SkipWithError(Error.c_str());
    Zezo.ComputeEach(State, *Equation);
    State.counters["per run"] = benchmark::Counter(
        Calls + 1, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// e0: 1, eK: e(K-1)+1; every line computed in order, so the last line runs 20,000 equations.
void Chain(benchmark::State& State) {
    constexpr int Lines = 20000;
    TZezo Zezo;
    std::vector<zoZezo::TEquation*> Equations;
    std::string Error;
    for (int K = 0; K < Lines; ++K) {
        std::string Text = "e0: 1";
        if (K > 0) {
            Text = "e";
            Text.append(std::to_string(K)).append(": e").append(std::to_string(K - 1)).append("+1");
        }
        Equations.push_back(Zezo.Add(Text, Error));
        if (!Equations.back()) return State.SkipWithError(Error.c_str());
    }
    for (auto _ : State)
        for (zoZezo::TEquation* Equation : Equations)
            benchmark::DoNotOptimize(Equation->Compute());
    State.counters["per run"] = benchmark::Counter(double(Lines) * (Lines + 1) / 2,
                                                   benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}

} // namespace

void RegisterChains() {
    Register(std::string("nested/f(a;b) called 32 times/") + ZezoColumn, NestedRun,
             zoZezo::TNativeMode::Often);
    Register(std::string("nested/f(a;b) called 32 times/") + InterpretedColumn, NestedRun,
             zoZezo::TNativeMode::Off);
    Register("chain/20000 lines line by line/zoZezo", Chain)
        ->Unit(benchmark::kSecond)
        ->Iterations(1)
        ->MeasureProcessCPUTime();
}

} // namespace bench
