#include "SweepWorkers.h"

#include <algorithm>
#include <new>

namespace workbench {
namespace {

// Small enough that every thread gets many chunks and progress moves often, large enough that
// taking one costs nothing beside computing it.
constexpr std::size_t MaxChunkSize = 512;
constexpr std::size_t ChunksPerThread = 8;

} // namespace

TSweepWorkers::TSweepWorkers(const TSweepJob& Job, std::unique_ptr<TSweepEvaluator> First,
                             unsigned Threads)
    : FJob(Job) {
    const std::size_t Count = Job.Range.Count();
    FResult.Variable = Job.Variable;
    FResult.Equations = Job.Equations;
    FResult.X.resize(Count);
    for (std::size_t K = 0; K < Count; ++K)
        FResult.X[K] = Job.Range.At(K);
    FResult.Y.resize(static_cast<std::size_t>(Job.Equations.size()));
    Threads = std::max(1u, Threads);
    FChunkSize = std::clamp<std::size_t>(Count / (Threads * ChunksPerThread), 1, MaxChunkSize);
    FChunks = (Count + FChunkSize - 1) / FChunkSize;
    FChunkDone = std::make_unique<std::atomic<bool>[]>(FChunks);
    Threads =
        static_cast<unsigned>(std::min<std::size_t>(Threads, std::max<std::size_t>(FChunks, 1)));
    FRunning = Threads;
    FThreads.reserve(Threads);
    FThreads.emplace_back(&TSweepWorkers::Work, this, std::move(First));
    for (unsigned K = 1; K < Threads; ++K)
        FThreads.emplace_back(&TSweepWorkers::Work, this, nullptr);
}

TSweepWorkers::~TSweepWorkers() {
    Cancel();
    Wait();
}

void TSweepWorkers::Wait() {
    for (std::thread& Thread : FThreads)
        if (Thread.joinable()) Thread.join();
}

// Sizes the rows the other threads leave, then waits until every row has its size, so that no
// thread writes a value before its row is there. A row that finds no memory cancels the sweep.
void TSweepWorkers::PlaceRows() {
    const std::size_t Rows = FResult.Y.size();
    for (std::size_t Row; (Row = FNextRow.fetch_add(1, std::memory_order_relaxed)) < Rows;) {
        try {
            FResult.Y[Row].resize(Total());
        } catch (const std::bad_alloc&) {
            Cancel();
        }
        FRowsPlaced.fetch_add(1, std::memory_order_release);
        FRowsPlaced.notify_all();
    }
    for (std::size_t Placed; (Placed = FRowsPlaced.load(std::memory_order_acquire)) < Rows;)
        FRowsPlaced.wait(Placed, std::memory_order_acquire);
}

void TSweepWorkers::Work(std::unique_ptr<TSweepEvaluator> Copy) {
    try {
        QString Error;
        if (!Copy && !(Copy = std::make_unique<TSweepEvaluator>())->Build(FJob, Error))
            Copy.reset(); // cannot happen once the first copy was built; the others go on
        PlaceRows();
        const std::size_t Equations = FResult.Y.size();
        while (Copy && !FCancel.load(std::memory_order_relaxed)) {
            const std::size_t Chunk = FNextChunk.fetch_add(1, std::memory_order_relaxed);
            if (Chunk >= FChunks) break;
            const std::size_t Begin = Chunk * FChunkSize;
            const std::size_t End = std::min(Total(), Begin + FChunkSize);
            std::size_t K = Begin;
            for (; K < End && !FCancel.load(std::memory_order_relaxed); ++K)
                for (std::size_t E = 0; E < Equations; ++E)
                    FResult.Y[E][K] = Copy->Compute(E, FResult.X[K]);
            if (K < End) break;
            FChunkDone[Chunk].store(true, std::memory_order_release);
            FDone.fetch_add(End - Begin, std::memory_order_relaxed);
        }
    } catch (...) { // no memory for a copy: the points it would have computed stay missing
    }
    FRunning.fetch_sub(1, std::memory_order_release);
}

std::size_t TSweepWorkers::ComputedInOrder() const {
    std::size_t Chunks = 0;
    while (Chunks < FChunks && ChunkDone(Chunks))
        ++Chunks;
    return std::min(Total(), Chunks * FChunkSize);
}

TSweepResult TSweepWorkers::Result() const {
    const auto Count = static_cast<std::ptrdiff_t>(ComputedInOrder());
    TSweepResult Result;
    Result.Variable = FResult.Variable;
    Result.Equations = FResult.Equations;
    Result.X.assign(FResult.X.begin(), FResult.X.begin() + Count);
    Result.Y.resize(FResult.Y.size());
    if (Count == 0) return Result; // the threads may still be sizing the rows
    for (std::size_t E = 0; E < FResult.Y.size(); ++E)
        Result.Y[E].assign(FResult.Y[E].begin(), FResult.Y[E].begin() + Count);
    return Result;
}

TSweepResult TSweepWorkers::Take() {
    Wait();
    return ComputedInOrder() == Total() ? std::move(FResult) : Result();
}

} // namespace workbench
