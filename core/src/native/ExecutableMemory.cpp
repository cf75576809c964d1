#include "native/ExecutableMemory.h"

#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace zoZezo {

#if defined(__linux__)

std::unique_ptr<TExecutableMemory> TExecutableMemory::Create(std::span<const std::uint8_t> Code) {
    const auto Page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t Size = (Code.size() + Page - 1) / Page * Page;
    void* Start = mmap(nullptr, Size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (Start == MAP_FAILED) return nullptr;
    std::memcpy(Start, Code.data(), Code.size());
    if (mprotect(Start, Size, PROT_READ | PROT_EXEC) != 0) {
        munmap(Start, Size);
        return nullptr;
    }
    return std::unique_ptr<TExecutableMemory>(new TExecutableMemory(Start, Size));
}

TExecutableMemory::~TExecutableMemory() {
    munmap(FStart, FSize);
}

#else

std::unique_ptr<TExecutableMemory> TExecutableMemory::Create(std::span<const std::uint8_t>) {
    return nullptr;
}

TExecutableMemory::~TExecutableMemory() = default;

#endif

} // namespace zoZezo
