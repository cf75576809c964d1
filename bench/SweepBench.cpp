// A 100,000-point sweep of examples/circuit.zez over the frequency f as the workbench's plot
// runs it, on one thread and on one thread per core, each with its own copy of the equations:
// of `current` alone (a Bode plot), and of every value equation at every point. Wall-clock time,
// from building the copies to the last point. Its own program, as it links the workbench:
// build/bench/bench/zoZezoSweepBench.

#include "Outcome.h"
#include "SweepEvaluator.h"
#include "SweepWorkers.h"

#include <QFile>
#include <benchmark/benchmark.h>
#include <thread>

namespace {

using workbench::TSweepJob;

constexpr std::size_t Points = 100'000;

// The circuit's current, or every value equation of it, over f from 10 Hz by 1 Hz.
TSweepJob CircuitJob(bool Every) {
    QFile File(EXAMPLES_DIR "/circuit.zez");
    TSweepJob Job;
    if (!File.open(QIODevice::ReadOnly)) return Job;
    Job.Lines = QString::fromUtf8(File.readAll()).split('\n');
    zoZezo::TzoZezoEvaluator Evaluator;
    for (const QString& Line : Job.Lines) {
        zoZezo::TEquation* Equation = Evaluator.Equations().Add(Line.toStdString());
        if (!Equation->Check() || !workbench::IsValueEquation(*Equation)) continue;
        const std::string Name = Equation->FunctionName();
        if (Name != "f" && (Every || Name == "current"))
            Job.Equations << QString::fromStdString(Name);
    }
    Job.Variable = "f";
    Job.Range = {10, 10 + Points - 1, 1};
    return Job;
}

void Sweep(benchmark::State& State) {
    const TSweepJob Job = CircuitJob(State.range(0) != 0);
    const auto Threads = static_cast<unsigned>(State.range(1));
    std::size_t Computed = 0;
    for (auto _ : State) {
        auto First = std::make_unique<workbench::TSweepEvaluator>();
        QString Error;
        if (!First->Build(Job, Error)) {
            State.SkipWithError(Error.toStdString().c_str());
            return;
        }
        workbench::TSweepWorkers Workers(Job, std::move(First), Threads);
        Workers.Wait();
        Computed = Workers.Done();
    }
    if (Computed != Points) State.SkipWithError("not every point was computed");
    State.counters["equations"] = static_cast<double>(Job.Equations.size());
}

BENCHMARK(Sweep)
    ->ArgNames({"every", "threads"})
    ->ArgsProduct({{0, 1}, {1, std::max(1, static_cast<int>(std::thread::hardware_concurrency()))}})
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
