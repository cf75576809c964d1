#pragma once

#include "Sweep.h"
#include "SweepEvaluator.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <thread>
#include <vector>

namespace workbench {

// Computes a sweep's points on several threads, each with its own copy of the equations. The
// threads take the points in chunks, in order, from a common counter, so a slow stretch of the
// range (near a pole, say) does not hold up the others. Points are independent of each other,
// so the values are the same, bit for bit, whatever the number of threads. The threads also make
// the room for the values, each equation's row by one of them, so that neither the thread that
// starts them nor a single worker spends its time filling memory.
class TSweepWorkers {
public:
    // Starts Threads threads (at least one) on Job; First, built from Job and checked, serves
    // the first thread, the others build their own copy.
    TSweepWorkers(const TSweepJob& Job, std::unique_ptr<TSweepEvaluator> First, unsigned Threads);
    // Cancels and waits for the threads, each of which ends after the point it computes.
    ~TSweepWorkers();
    TSweepWorkers(const TSweepWorkers&) = delete;
    TSweepWorkers& operator=(const TSweepWorkers&) = delete;

    std::size_t Total() const { return FResult.X.size(); }
    // How many points are computed; safe to ask while the threads run.
    std::size_t Done() const { return FDone.load(std::memory_order_relaxed); }
    // True once every thread has ended: all points are computed, or the sweep was cancelled.
    bool Finished() const { return FRunning.load(std::memory_order_acquire) == 0; }
    // Asks the threads to stop after the point each computes; returns at once.
    void Cancel() { FCancel.store(true, std::memory_order_relaxed); }
    void Wait();

    // The points computed, in order, up to the first one that is not: all of them once
    // finished without a cancel. Safe to ask while the threads run.
    TSweepResult Result() const;
    // The same, once the threads have ended: all the points without copying them when every
    // one is computed.
    TSweepResult Take();

private:
    void Work(std::unique_ptr<TSweepEvaluator> Copy);
    void PlaceRows();
    std::size_t ComputedInOrder() const;
    bool ChunkDone(std::size_t Chunk) const {
        return FChunkDone[Chunk].load(std::memory_order_acquire);
    }

    const TSweepJob FJob;
    TSweepResult FResult; // the points' values; the rows are empty until the threads size them
    std::size_t FChunkSize = 1;
    std::size_t FChunks = 0;
    std::unique_ptr<std::atomic<bool>[]> FChunkDone;
    std::atomic<std::size_t> FNextRow{0};
    std::atomic<std::size_t> FRowsPlaced{0};
    std::atomic<std::size_t> FNextChunk{0};
    std::atomic<std::size_t> FDone{0};
    std::atomic<unsigned> FRunning{0};
    std::atomic<bool> FCancel{false};
    std::vector<std::thread> FThreads;
};

} // namespace workbench
