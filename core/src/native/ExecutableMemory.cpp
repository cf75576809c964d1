#include "native/ExecutableMemory.h"

#include <algorithm>
#include <cstring>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace zoZezo {

struct TExecutableMemory::TChunk {
    std::uint8_t* Start;
    std::size_t Size;
    std::vector<std::uint16_t> PiecesOnPage;
    std::size_t Sealed = 0;  // the executable bytes from Start: whole pages
    std::size_t Written = 0; // where the next piece may start, Sealed or after it
    std::size_t Pieces = 0;  // pieces not freed
    bool Failed = false;     // the system refused to seal it: it takes no more pieces
};

namespace {

// The system's side: pages mapped writable, made executable, given back, unmapped.
#if defined(__linux__)
std::size_t PageSize() {
    return static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

std::uint8_t* MapWritable(std::size_t Bytes) {
    void* Start = mmap(nullptr, Bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return Start == MAP_FAILED ? nullptr : static_cast<std::uint8_t*>(Start);
}

bool MakeExecutable(std::uint8_t* Start, std::size_t Bytes) {
    return mprotect(Start, Bytes, PROT_READ | PROT_EXEC) == 0;
}

// A refusal leaves the page's memory in use, which costs memory but nothing else.
void GiveBack(std::uint8_t* Start, std::size_t Bytes) {
    (void)madvise(Start, Bytes, MADV_DONTNEED);
}

bool UnmapPages(std::uint8_t* Start, std::size_t Bytes) {
    return munmap(Start, Bytes) == 0;
}
#else
std::size_t PageSize() {
    return 4096;
}
std::uint8_t* MapWritable(std::size_t) {
    return nullptr;
}
bool MakeExecutable(std::uint8_t*, std::size_t) {
    return false;
}
void GiveBack(std::uint8_t*, std::size_t) {}
bool UnmapPages(std::uint8_t*, std::size_t) {
    return false;
}
#endif

constexpr std::size_t PieceAlignment = 16; // the literals after a piece's code are aligned so

std::size_t AlignUp(std::size_t Value, std::size_t Alignment) {
    return (Value + Alignment - 1) / Alignment * Alignment;
}

} // namespace

TExecutableMemory::~TExecutableMemory() {
    FPool.Free(*this);
}

bool TExecutableMemory::Seal() {
    return FSealed || FPool.Seal(*this);
}

TCodePool::TCodePool(std::size_t ChunkBytes, std::size_t MaxBytes)
    : FPage(PageSize()), FChunkBytes(AlignUp(std::max<std::size_t>(ChunkBytes, 1), FPage)),
      FMaxBytes(MaxBytes) {}

TCodePool::~TCodePool() {
    for (const auto& Chunk : FChunks)
        (void)UnmapPages(Chunk->Start, Chunk->Size);
}

TCodePool& TCodePool::Process() {
    // Never destroyed: evaluators that live in static objects free their code after main.
    static TCodePool* const Pool = new TCodePool(256 << 10, 64 << 20);
    return *Pool;
}

TCodePool::TPiece TCodePool::Add(std::span<const std::uint8_t> Code) {
    const std::lock_guard Lock(FMutex);
    const std::size_t Size = std::max<std::size_t>(Code.size(), 1);
    TPiece Result;
    TChunk* Chunk = ChunkFor(Size, Result.Refusal);
    if (!Chunk) return Result;
    const std::size_t Offset = AlignUp(Chunk->Written, PieceAlignment);
    std::memcpy(Chunk->Start + Offset, Code.data(), Code.size());
    Chunk->Written = Offset + Size;
    for (std::size_t Page = Offset / FPage; Page <= (Offset + Size - 1) / FPage; ++Page)
        ++Chunk->PiecesOnPage[Page];
    ++Chunk->Pieces;
    Result.Memory.reset(new TExecutableMemory(*this, *Chunk, Offset, Size, Chunk->Start + Offset));
    return Result;
}

// The chunk being filled when Size more bytes fit there, else a new one. A chunk left behind
// keeps its pieces that are still to be sealed: they are sealed when they first run.
TCodePool::TChunk* TCodePool::ChunkFor(std::size_t Size, TCodeRefusal& Refusal) {
    if (FFilling && !FFilling->Failed &&
        AlignUp(FFilling->Written, PieceAlignment) + Size <= FFilling->Size)
        return FFilling;
    TChunk* Previous = std::exchange(FFilling, nullptr);
    if (Previous && Previous->Pieces == 0) Unmap(*Previous);
    UnmapUnused();
    const std::size_t Bytes = std::max(FChunkBytes, AlignUp(Size, FPage));
    if (FMapped + Bytes > FMaxBytes) {
        Refusal = TCodeRefusal::Bound;
        return nullptr;
    }
    std::uint8_t* Start = MapWritable(Bytes);
    if (!Start) {
        Refusal = TCodeRefusal::System;
        return nullptr;
    }
    FChunks.push_back(std::make_unique<TChunk>(
        TChunk{Start, Bytes, std::vector<std::uint16_t>(Bytes / FPage, 0)}));
    FMapped += Bytes;
    return FFilling = FChunks.back().get();
}

bool TCodePool::Seal(TExecutableMemory& Piece) {
    const std::lock_guard Lock(FMutex);
    TChunk& Chunk = Piece.FChunk;
    if (Piece.FOffset + Piece.FSize > Chunk.Sealed) {
        if (Chunk.Failed) return false;
        const std::size_t End = AlignUp(Chunk.Written, FPage);
        if (!MakeExecutable(Chunk.Start + Chunk.Sealed, End - Chunk.Sealed)) {
            Chunk.Failed = true; // some of its pages may be executable now: none is written again
            if (FFilling == &Chunk) FFilling = nullptr;
            return false;
        }
        Chunk.Sealed = Chunk.Written = End;
    }
    Piece.FSealed = true;
    return true;
}

void TCodePool::Free(const TExecutableMemory& Piece) {
    const std::lock_guard Lock(FMutex);
    TChunk& Chunk = Piece.FChunk;
    --Chunk.Pieces;
    for (std::size_t Page = Piece.FOffset / FPage;
         Page <= (Piece.FOffset + Piece.FSize - 1) / FPage; ++Page)
        if (--Chunk.PiecesOnPage[Page] == 0 && (Page + 1) * FPage <= Chunk.Sealed &&
            Chunk.Pieces > 0)
            GiveBack(Chunk.Start + Page * FPage, FPage);
    if (Chunk.Pieces > 0) return;
    if (&Chunk == FFilling) {
        if (Chunk.Sealed == 0) { // nothing of it ever ran: it is filled again from the start
            Chunk.Written = 0;
            return;
        }
        FFilling = nullptr;
    }
    Unmap(Chunk);
}

// Unmaps a chunk without pieces; one the system refuses to unmap stays counted, and is tried
// again before the next chunk is mapped.
void TCodePool::Unmap(TChunk& Chunk) {
    if (!UnmapPages(Chunk.Start, Chunk.Size)) return;
    FMapped -= Chunk.Size;
    std::erase_if(FChunks, [&](const auto& Each) { return Each.get() == &Chunk; });
}

void TCodePool::UnmapUnused() {
    std::vector<TChunk*> Unused;
    for (const auto& Chunk : FChunks)
        if (Chunk->Pieces == 0 && Chunk.get() != FFilling) Unused.push_back(Chunk.get());
    for (TChunk* Chunk : Unused)
        Unmap(*Chunk);
}

std::size_t TCodePool::MappedBytes() const {
    const std::lock_guard Lock(FMutex);
    return FMapped;
}

std::size_t TCodePool::Chunks() const {
    const std::lock_guard Lock(FMutex);
    return FChunks.size();
}

} // namespace zoZezo
