#pragma once

// What the fuzz targets share: reading the fuzzer's bytes and reporting a broken invariant.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zoZezo {
class TzoZezoEvaluator;
}

namespace zoZezo::fuzz {

// Reads the fuzzer's bytes front to back. Past the end, every read gives 0 or nothing, so a
// target never has to test how much is left.
class TFuzzInput {
public:
    TFuzzInput(const std::uint8_t* Data, std::size_t Size)
        : FText(reinterpret_cast<const char*>(Data), Size) {}

    bool Empty() const { return FText.empty(); }
    std::uint8_t Byte();
    // A text of up to MaxLength bytes, its length given by the byte before it.
    std::string Text(std::size_t MaxLength);
    // Everything not read yet.
    std::string_view Rest() const { return FText; }

private:
    std::string_view FText;
};

// Prints what broke and aborts, so that libFuzzer keeps the input and a test run fails.
[[noreturn]] void Fail(const std::string& What);

inline void Require(bool Holds, const char* What) {
    if (!Holds) Fail(What);
}

// The evaluator's seven syntax characters, in the order DecimalPoint, Imaginary,
// OpenParentesis, CloseParentesis, Separator, OpenComment, CloseComment.
std::array<char*, 7> SyntaxCharacters(TzoZezoEvaluator& Evaluator);

// Routes ShowMessage to nowhere, so that equations with errors compute silently.
void SilenceMessages();

} // namespace zoZezo::fuzz
