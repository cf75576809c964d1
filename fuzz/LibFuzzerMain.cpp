// The libFuzzer entry point of one fuzz target; ZOZEZO_FUZZ_ENTRY names the target's function.

#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    return zoZezo::fuzz::ZOZEZO_FUZZ_ENTRY(Data, Size);
}
