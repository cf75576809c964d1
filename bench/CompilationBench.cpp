// Compilation: a Check of each expression, the editor's rebuild of a long document, one very
// long line and deeply nested groups.

#include "Cases.h"
#include "Registry.h"
#include "Zezo.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

#ifdef ZOZEZO_BENCH_MUPARSER
#include <muParser.h>
#endif

namespace bench {
namespace {

void Check(benchmark::State& State, const TCase& Case) {
    TZezo Zezo;
    zoZezo::TEquation* Equation = Zezo.Prepare(Case, State);
    if (!Equation) return;
    for (auto _ : State)
        benchmark::DoNotOptimize(Equation->Check());
}

#ifdef ZOZEZO_BENCH_MUPARSER
// muparser parses on the first evaluation after SetExpr; that one evaluation is included.
void MuParserParse(benchmark::State& State, const TCase& Case) {
    double X = X0, Y = Y0;
    mu::Parser Parser;
    try {
        Parser.DefineVar("x", &X);
        Parser.DefineVar("y", &Y);
        for (auto _ : State) {
            Parser.SetExpr(Case.MuParser);
            benchmark::DoNotOptimize(Parser.Eval());
        }
    } catch (const mu::Parser::exception_type& Error) {
        State.SkipWithError(Error.GetMsg().c_str());
    }
}
#endif

// The expression of a case without its "r: " header.
std::string Body(const TCase& Case) {
    return std::string(Case.Equation).substr(3);
}

// A document of Lines equations as a user might write one: values, functions with parameters,
// calls of them and references to earlier lines, some with comments.
std::vector<std::string> Document(int Lines) {
    std::vector<std::string> Document;
    std::vector<TCase> All; // the cases that stand alone
    for (const TCase& Case : Cases())
        if (!Case.Prelude) All.push_back(Case);
    for (int K = 0; K < Lines; ++K) {
        const std::string N = std::to_string(K), Before = std::to_string(K - 1);
        switch (K % 4) {
        case 0: Document.push_back("v" + N + ": " + Body(All[(K / 4) % All.size()])); break;
        case 1: Document.push_back("g" + N + "(a;b): a*b+v" + Before); break;
        case 2: Document.push_back("v" + N + ": 2*g" + Before + "(x;3)-pi {a call}"); break;
        default: Document.push_back("v" + N + ": v" + Before + "+v" + std::to_string(K - 3));
        }
    }
    return Document;
}

// The editor's rebuild: empty the list, then add and check every line, stopping at a fault.
void Rebuild(benchmark::State& State) {
    TZezo Zezo;
    const std::vector<std::string> Lines = Document(10000);
    auto& Equations = Zezo.Evaluator.Equations();
    for (auto _ : State) {
        Equations.Clear();
        for (const std::string& Line : Lines)
            if (!Equations.Add(Line)->Check()) return State.SkipWithError(Line.c_str());
    }
}

// One line of about a megabyte: a long sum of products and quotients.
std::string LongLine() {
    std::string Text = "r: x";
    while (Text.size() < (1u << 20))
        Text += "*1.5+y/2-x";
    return Text;
}

// Count groups nested in each other: r: (1+(1+(...(1+x)...))).
std::string NestedGroups(int Count) {
    std::string Text = "r: ";
    for (int K = 0; K < Count; ++K)
        Text += "(1+";
    return Text + "x" + std::string(static_cast<std::size_t>(Count), ')');
}

void CheckText(benchmark::State& State, const std::string& Text) {
    TZezo Zezo;
    zoZezo::TEquation* Equation = Zezo.Evaluator.Equations().Add(Text);
    for (auto _ : State)
        if (!Equation->Check()) return State.SkipWithError(Equation->ErrorMsg().c_str());
}

void ComputeText(benchmark::State& State, const std::string& Text) {
    TZezo Zezo;
    std::string Error;
    zoZezo::TEquation* Equation = Zezo.Add(Text, Error);
    if (!Equation) return State.SkipWithError(Error.c_str());
    Zezo.ComputeEach(State, *Equation);
}

} // namespace

void RegisterCompilation() {
    for (const TCase& Case : Cases()) {
        const std::string Row = std::string("check/") + Case.Id + "/";
        Register(Row + ZezoColumn, Check, Case)->Unit(benchmark::kMicrosecond);
#ifdef ZOZEZO_BENCH_MUPARSER
        if (Case.MuParser)
            Register(Row + MuParserColumn, MuParserParse, Case)->Unit(benchmark::kMicrosecond);
#endif
    }
    const std::string Nested = NestedGroups(255);
    Register(std::string("check/rebuild 10000 lines/") + ZezoColumn, Rebuild)
        ->Unit(benchmark::kMillisecond);
    Register(std::string("check/1 MB line/") + ZezoColumn, CheckText, LongLine())
        ->Unit(benchmark::kMillisecond);
    Register(std::string("check/255 nested groups/") + ZezoColumn, CheckText, Nested)
        ->Unit(benchmark::kMicrosecond);
    Register(std::string("eval/255 nested groups/") + ZezoColumn, ComputeText, Nested);
}

} // namespace bench
