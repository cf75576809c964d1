#pragma once

// Memory that holds machine code the process generated: written once, then made executable and
// never writable again. The one place that asks the operating system for it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace zoZezo {

class TExecutableMemory {
public:
    // Copies Code into fresh pages and makes them executable; null when the system refuses or
    // has no such memory (then there is no native code).
    static std::unique_ptr<TExecutableMemory> Create(std::span<const std::uint8_t> Code);
    ~TExecutableMemory();
    TExecutableMemory(const TExecutableMemory&) = delete;
    TExecutableMemory& operator=(const TExecutableMemory&) = delete;

    const void* Start() const { return FStart; }
    std::size_t Size() const { return FSize; }

private:
    TExecutableMemory(void* Start, std::size_t Size) : FStart(Start), FSize(Size) {}
    void* FStart;
    std::size_t FSize;
};

} // namespace zoZezo
