#include "zoZezo/Platform.h"

#include <mutex>
#include <random>

namespace zoZezo {
namespace {

struct SharedGenerator {
    std::mutex Lock;
    std::mt19937 Engine; // default seed: the sequence is the same in every process until seeded
};

SharedGenerator& Generator() {
    static SharedGenerator Shared;
    return Shared;
}

} // namespace

std::int32_t RandInt(std::int32_t Range) {
    if (Range <= 0) return 0;
    auto& Shared = Generator();
    std::lock_guard Guard(Shared.Lock);
    return std::uniform_int_distribution<std::int32_t>(0, Range - 1)(Shared.Engine);
}

void RandSeed(std::uint32_t Seed) {
    auto& Shared = Generator();
    std::lock_guard Guard(Shared.Lock);
    Shared.Engine.seed(Seed);
}

} // namespace zoZezo
