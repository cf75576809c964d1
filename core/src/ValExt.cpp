#include "zoZezo/Platform.h"

#include <charconv>
#include <limits>

namespace zoZezo {

long double ValExt(std::string_view Text) {
    bool Negative = false;
    if (!Text.empty() && (Text.front() == '+' || Text.front() == '-')) {
        Negative = Text.front() == '-';
        Text.remove_prefix(1);
    }
    long double Value = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    if (Error == std::errc::result_out_of_range) {
        // Too large or too small for the format: infinity or zero, by the exponent's sign.
        const std::string_view Read(Text.data(), static_cast<std::size_t>(End - Text.data()));
        const auto Mark = Read.find_first_of("eE");
        const bool Tiny =
            Mark != std::string_view::npos && Mark + 1 < Read.size() && Read[Mark + 1] == '-';
        Value = Tiny ? 0.0L : std::numeric_limits<long double>::infinity();
    }
    return Negative ? -Value : Value;
}

} // namespace zoZezo
