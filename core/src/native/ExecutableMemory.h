#pragma once

// Memory for the machine code the process generates: the one place that asks the operating
// system for it.
//
// Code is pooled in chunks of pages. A piece of code is copied into the writable pages of the
// chunk being filled, and may run once it is sealed: its pages, and every page written before
// them, are made executable and never writable again, and the next piece starts on the page
// after. Pieces written one after the other before any of them runs share their pages; a piece
// sealed at once takes the rest of its page. No page is ever writable and executable at once.
//
// Freed code is never written over. A sealed page whose pieces are all freed gives its memory
// back to the system (its addresses stay mapped), a chunk whose pieces are all freed is
// unmapped, and the chunks together stay within a bound, past which no more code is made: the
// count of mappings therefore stays bounded, however the pieces are freed. Safe to use from
// any number of threads at once.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace zoZezo {

class TCodePool;

// Why the pool gave no memory for a piece of code.
enum class TCodeRefusal : std::uint8_t {
    None,
    Bound,  // the chunks would exceed the pool's bound
    System, // the system refused pages, or refused to make them executable
};

// One piece of code in the pool, given back to it when destroyed. Used by one thread at a time.
class TExecutableMemory {
public:
    ~TExecutableMemory();
    TExecutableMemory(const TExecutableMemory&) = delete;
    TExecutableMemory& operator=(const TExecutableMemory&) = delete;

    const void* Start() const { return FStart; }
    std::size_t Size() const { return FSize; }

    // Whether the code may run: its pages are executable.
    bool Sealed() const { return FSealed; }
    // Makes the code's pages executable, with the pages written before them, unless they are;
    // false when the system refuses, and then the code can never run.
    bool Seal();

private:
    friend class TCodePool;
    struct TChunk;
    TExecutableMemory(TCodePool& Pool, TChunk& Chunk, std::size_t Offset, std::size_t Size,
                      const void* Start)
        : FPool(Pool), FChunk(Chunk), FOffset(Offset), FSize(Size), FStart(Start) {}

    TCodePool& FPool;
    TChunk& FChunk;
    std::size_t FOffset, FSize;
    const void* FStart;
    bool FSealed = false; // known sealed: the pool need not be asked again
};

// A pool of chunks of executable memory (see above).
class TCodePool {
public:
    // Chunks of ChunkBytes (rounded up to whole pages; a larger piece gets a chunk of its own)
    // mapped together up to MaxBytes.
    TCodePool(std::size_t ChunkBytes, std::size_t MaxBytes);
    // Every piece must have been freed.
    ~TCodePool();
    TCodePool(const TCodePool&) = delete;
    TCodePool& operator=(const TCodePool&) = delete;

    // The pool of the native code of every evaluator: chunks of 256 KiB, 64 MiB in all.
    static TCodePool& Process();

    struct TPiece {
        std::unique_ptr<TExecutableMemory> Memory; // null when refused
        TCodeRefusal Refusal = TCodeRefusal::None;
    };
    // Copies Code into the pool, not yet sealed; where this build has no executable memory,
    // refuses with TCodeRefusal::System.
    TPiece Add(std::span<const std::uint8_t> Code);

    // The bytes mapped for chunks now, and the chunks.
    std::size_t MappedBytes() const;
    std::size_t Chunks() const;

private:
    friend class TExecutableMemory;
    using TChunk = TExecutableMemory::TChunk;

    bool Seal(TExecutableMemory& Piece);
    void Free(const TExecutableMemory& Piece);
    TChunk* ChunkFor(std::size_t Size, TCodeRefusal& Refusal);
    void Unmap(TChunk& Chunk);
    void UnmapUnused();

    const std::size_t FPage, FChunkBytes, FMaxBytes;
    mutable std::mutex FMutex;
    std::vector<std::unique_ptr<TChunk>> FChunks;
    TChunk* FFilling = nullptr; // the chunk new pieces go to
    std::size_t FMapped = 0;
};

} // namespace zoZezo
