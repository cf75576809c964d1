#include "FuzzSupport.h"

#include "zoZezo/Evaluator.h"
#include "zoZezo/Platform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace zoZezo::fuzz {

std::uint8_t TFuzzInput::Byte() {
    if (FText.empty()) return 0;
    const auto B = static_cast<std::uint8_t>(FText.front());
    FText.remove_prefix(1);
    return B;
}

std::string TFuzzInput::Text(std::size_t MaxLength) {
    const std::size_t Length = std::min<std::size_t>({Byte(), MaxLength, FText.size()});
    std::string Result(FText.substr(0, Length));
    FText.remove_prefix(Length);
    return Result;
}

void Fail(const std::string& What) {
    std::fprintf(stderr, "fuzz invariant broken: %s\n", What.c_str());
    std::abort();
}

std::array<char*, 7> SyntaxCharacters(TzoZezoEvaluator& Evaluator) {
    return {&Evaluator.DecimalPoint,    &Evaluator.Imaginary, &Evaluator.OpenParentesis,
            &Evaluator.CloseParentesis, &Evaluator.Separator, &Evaluator.OpenComment,
            &Evaluator.CloseComment};
}

void SilenceMessages() {
    SetMessageHandler([](const std::string&) {});
}

} // namespace zoZezo::fuzz
