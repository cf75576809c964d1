#pragma once

// Benchmark names are "section/row/column"; the table at the end of a run is built from them.

#include <benchmark/benchmark.h>
#include <string>
#include <utility>

namespace bench {

inline constexpr const char* ZezoColumn = "zoZezo";
inline constexpr const char* InterpretedColumn = "interpreted"; // zoZezo without native code
inline constexpr const char* MuParserColumn = "muparser";
inline constexpr const char* MuParserXColumn = "muparserx";
inline constexpr const char* DoubleColumn = "double";
inline constexpr const char* LongDoubleColumn = "long double";
inline constexpr const char* FormulasColumn = "formulas"; // long double, the language's formulas

template <class... Args>
benchmark::internal::Benchmark* Register(const std::string& Name, Args&&... Arguments) {
    return benchmark::RegisterBenchmark(Name.c_str(), std::forward<Args>(Arguments)...);
}

void RegisterEvaluation();
void RegisterCompilation();
void RegisterChains();
void RegisterNativeMemory();

} // namespace bench
