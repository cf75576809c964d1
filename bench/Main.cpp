// Runs the benchmarks and ends with a table: every zoZezo figure beside muparser and native
// code measured in the same run, with the ratios the speed targets are stated in.

#include "Cases.h"
#include "Registry.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace bench {
namespace {

// Formats like printf into a string.
template <class... Args>
std::string Format(const char* Pattern, Args... Values) {
    char Buffer[256];
    std::snprintf(Buffer, sizeof Buffer, Pattern, Values...);
    return Buffer;
}

// Collects the median (or the only) CPU time of every benchmark, then prints the tables.
class TTableReporter : public benchmark::ConsoleReporter {
public:
    TTableReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& Runs) override {
        ConsoleReporter::ReportRuns(Runs);
        for (const Run& R : Runs) {
            const bool Single = R.run_type == Run::RT_Iteration && R.repetitions <= 1;
            const bool Median = R.run_type == Run::RT_Aggregate && R.aggregate_name == "median";
            if (R.error_occurred || !(Single || Median)) continue;
            const std::string Name = R.run_name.function_name;
            FSeconds[Name] = R.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(R.time_unit);
            FUnits[Name] = R.time_unit;
            for (const auto& [Counter, Value] : R.counters)
                FCounters[Name][Counter] = Value;
            // Rows keep the order in which their first column was registered, also when the
            // repetitions ran interleaved.
            const std::string Row = Name.substr(0, Name.rfind('/'));
            const auto Order = static_cast<std::int64_t>(R.family_index);
            const auto [Entry, New] = FRowOrder.emplace(Row, Order);
            if (!New) Entry->second = std::min(Entry->second, Order);
        }
    }

    void Finalize() override {
        std::string Out = "\n";
#ifndef ZOZEZO_BENCH_MUPARSER
        Out += "muparser was not found when this benchmark was built: its columns are empty.\n\n";
#endif
#ifndef ZOZEZO_BENCH_MUPARSERX
        Out += "muparserx was not found when this benchmark was built: its columns are empty.\n\n";
#endif
        Out += EvaluationTable() + "\n" + FormulasTable() + "\n" + CompilationTable() + "\n" +
               MemoryTable() + "\n" + Targets();
        GetOutputStream() << Out << std::flush;
    }

private:
    std::optional<double> Seconds(const std::string& Row, const char* Column) const {
        const auto Found = FSeconds.find(Row + "/" + Column);
        if (Found == FSeconds.end()) return std::nullopt;
        return Found->second;
    }

    std::optional<double> Ratio(const std::string& Row, const char* Of, const char* To) const {
        const auto A = Seconds(Row, Of), B = Seconds(Row, To);
        if (!A || !B) return std::nullopt;
        return *A / *B;
    }

    static std::string Cell(std::optional<double> Value, double Scale, const char* Pattern) {
        return Value ? Format(Pattern, *Value * Scale) : std::string("–");
    }

    std::string EvaluationTable() const {
        std::string Out =
            "Evaluation, ns per computation (median CPU time); ×mu, ×mx and ×ld are "
            "ratios to muparser, muparserx and native long double; interpreted is "
            "zoZezo without native code\n\n"
            "| case | zoZezo | ×mu | ×mx | ×ld | interpreted | ×mu | ×ld | muparser | "
            "×ld | muparserx | ×ld | double | ×mu | ×ld | long double | ×mu |\n"
            "|---|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|\n";
        for (const std::string& Row : Rows("eval")) {
            Out += "| " + Row.substr(5);
            for (const char* Column : {ZezoColumn, InterpretedColumn, MuParserColumn,
                                       MuParserXColumn, DoubleColumn, LongDoubleColumn}) {
                Out += " | " + Cell(Seconds(Row, Column), 1e9, "%.1f");
                if (Column != MuParserColumn && Column != MuParserXColumn)
                    Out += " | " + Cell(Ratio(Row, Column, MuParserColumn), 1, "%.2f");
                if (Column == ZezoColumn)
                    Out += " | " + Cell(Ratio(Row, Column, MuParserXColumn), 1, "%.2f");
                if (Column != LongDoubleColumn)
                    Out += " | " + Cell(Ratio(Row, Column, LongDoubleColumn), 1, "%.2f");
            }
            Out += " |\n";
        }
        return Out;
    }

    // zoZezo beside the same computation in native long double done by the language's own
    // formulas of complex arithmetic, which the interpreter's bits, and so native code's, follow.
    std::string FormulasTable() const {
        std::string Out = "Beside the language's formulas in long double (median CPU time, ns)\n\n"
                          "| case | zoZezo | formulas | ×fo | long double | formulas ×ld |\n"
                          "|---|--:|--:|--:|--:|--:|\n";
        for (const std::string& Row : Rows("eval")) {
            if (!Seconds(Row, FormulasColumn)) continue;
            Out += "| " + Row.substr(5) + " | " + Cell(Seconds(Row, ZezoColumn), 1e9, "%.1f") +
                   " | " + Cell(Seconds(Row, FormulasColumn), 1e9, "%.1f") + " | " +
                   Cell(Ratio(Row, ZezoColumn, FormulasColumn), 1, "%.2f") + " | " +
                   Cell(Seconds(Row, LongDoubleColumn), 1e9, "%.1f") + " | " +
                   Cell(Ratio(Row, FormulasColumn, LongDoubleColumn), 1, "%.2f") + " |\n";
        }
        return Out;
    }

    std::string MemoryTable() const {
        std::string Out = "Executable memory of native code\n\n"
                          "| case | translated | resident KiB | mappings |\n|---|--:|--:|--:|\n";
        for (const std::string& Row : Rows("memory")) {
            const auto Found = FCounters.find(Row + "/" + ZezoColumn);
            if (Found == FCounters.end()) continue;
            const auto Counter = [&](const char* Name) {
                const auto Value = Found->second.find(Name);
                return Value == Found->second.end() ? 0.0 : Value->second;
            };
            Out += Format("| %s | %.0f | %.0f | %.0f |\n", Row.substr(7).c_str(),
                          Counter("translated"), Counter("exec KiB"), Counter("mappings"));
        }
        return Out;
    }

    std::string CompilationTable() const {
        std::string Out = "Compilation, time per Check (median CPU time)\n\n"
                          "| case | zoZezo | muparser | ×mu |\n|---|--:|--:|--:|\n";
        for (const std::string& Row : Rows("check"))
            Out += "| " + Row.substr(6) + " | " + Timed(Row, ZezoColumn) + " | " +
                   Timed(Row, MuParserColumn) + " | " +
                   Cell(Ratio(Row, ZezoColumn, MuParserColumn), 1, "%.3f") + " |\n";
        return Out;
    }

    // A time in the unit its benchmark reports in, with the unit.
    std::string Timed(const std::string& Row, const char* Column) const {
        const auto Found = FUnits.find(Row + "/" + Column);
        if (Found == FUnits.end()) return "–";
        const double Scale = benchmark::GetTimeUnitMultiplier(Found->second);
        const char* Unit = Found->second == benchmark::kMicrosecond
                               ? "µs"
                               : benchmark::GetTimeUnitString(Found->second);
        return Cell(Seconds(Row, Column), Scale, "%.2f") + " " + Unit;
    }

    // One line per target: the measured figure, the bound, and whether it holds.
    std::string Targets() const {
        std::vector<double> Arithmetic, Checks;
        std::string Out = "Targets\n\n";
        for (const TCase& Case : Cases()) {
            const std::string Row = "eval/" + std::string(Case.Id);
            const auto Ld = Ratio(Row, ZezoColumn, LongDoubleColumn);
            if (Case.Group == TGroup::Arithmetic) {
                Collect(Arithmetic, Ratio(Row, ZezoColumn, MuParserColumn));
                if (Ld) Out += Line(Case.Id, "×ld", *Ld, Case.Id == std::string("E9") ? 3.0 : 1.5);
            }
            if (Case.Group == TGroup::Functions && Ld) Out += Line(Case.Id, "×ld", *Ld, 1.3);
            if (Case.BothParts) {
                if (Ld) Out += Line(Case.Id, "×ld", *Ld, 2.0);
                if (const auto Mx = Ratio(Row, ZezoColumn, MuParserXColumn))
                    Out += Line(Case.Id, "×mx", *Mx, 1.0);
            }
            Collect(Checks, Ratio("check/" + std::string(Case.Id), ZezoColumn, MuParserColumn));
        }
        double LogSum = 0;
        for (double R : Arithmetic)
            LogSum += std::log(R);
        if (!Arithmetic.empty())
            Out += Line("arithmetic (E2 E3 E5 E7 E8 E9)", "geometric mean ×mu",
                        std::exp(LogSum / static_cast<double>(Arithmetic.size())), 1.0);
        if (const auto Call = Ratio("eval/F1", ZezoColumn, MuParserColumn))
            Out += Line("equation call (F1)", "×mu", *Call, 3.0);
        if (!Checks.empty())
            Out += Line("Check", "worst ×mu", *std::max_element(Checks.begin(), Checks.end()), 0.1);
        if (const auto Rebuild = Seconds("check/rebuild 10000 lines", ZezoColumn))
            Out += Line("rebuild of 10000 lines", "ms", *Rebuild * 1e3, 20);
        for (const std::string& Row : Rows("memory")) // the target is the sweeps'
            if (const auto Found = FCounters.find(Row + "/" + ZezoColumn);
                Row.find("sweeps") != std::string::npos && Found != FCounters.end() &&
                Found->second.count("exec KiB"))
                Out += Line(Row.substr(7).c_str(), "executable MiB",
                            Found->second.at("exec KiB") / 1024, 10);
        return Out;
    }

    static void Collect(std::vector<double>& Into, std::optional<double> Value) {
        if (Value) Into.push_back(*Value);
    }

    static std::string Line(const char* What, const char* Measure, double Value, double Bound) {
        return Format("- %s, %s: %.3f (target %.1f) %s\n", What, Measure, Value, Bound,
                      Value <= Bound ? "holds" : "MISSED");
    }

    // The rows of a section ("eval", "check") in registration order.
    std::vector<std::string> Rows(const std::string& Section) const {
        std::vector<std::pair<std::int64_t, std::string>> Ordered;
        for (const auto& [Row, Order] : FRowOrder)
            if (Row.compare(0, Section.size() + 1, Section + "/") == 0)
                Ordered.emplace_back(Order, Row);
        std::sort(Ordered.begin(), Ordered.end());
        std::vector<std::string> Rows;
        for (const auto& Entry : Ordered)
            Rows.push_back(Entry.second);
        return Rows;
    }

    std::map<std::string, double> FSeconds;
    std::map<std::string, benchmark::TimeUnit> FUnits;
    std::map<std::string, std::map<std::string, double>> FCounters;
    std::map<std::string, std::int64_t> FRowOrder; // each row with its first family's index
};

} // namespace
} // namespace bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    bench::RegisterEvaluation();
    bench::RegisterCompilation();
    bench::RegisterChains();
    bench::RegisterNativeMemory();
    bench::TTableReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    benchmark::Shutdown();
    return 0;
}
