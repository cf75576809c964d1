// Evaluation: ns per computation of an expression that is already compiled, x and y bound to
// host cells and x moving a little every time.

#include "Cases.h"
#include "Registry.h"
#include "Zezo.h"

#include <benchmark/benchmark.h>

#ifdef ZOZEZO_BENCH_MUPARSER
#include <muParser.h>
#endif
#ifdef ZOZEZO_BENCH_MUPARSERX
#include <mpParser.h>
#endif

namespace bench {
namespace {

void Zezo(benchmark::State& State, const TCase& Case, zoZezo::TNativeMode Mode) {
    TZezo Zezo;
    Zezo.Evaluator.SetNativeMode(Mode);
    zoZezo::TEquation* Equation = Zezo.Prepare(Case, State);
    if (!Equation) return;
    Zezo.ComputeEach(State, *Equation, Case.BothParts);
}

template <class T>
void Native(benchmark::State& State, TNative<T> Function) {
    T X = X0;
    const T Y = Y0;
    unsigned Step = 0;
    for (auto _ : State) {
        X = NextX<T>(Step);
        benchmark::DoNotOptimize(Function(X, Y));
    }
}

#ifdef ZOZEZO_BENCH_MUPARSER
void MuParser(benchmark::State& State, const TCase& Case) {
    double X = X0, Y = Y0;
    mu::Parser Parser;
    try {
        Parser.DefineVar("x", &X);
        Parser.DefineVar("y", &Y);
        Parser.SetExpr(Case.MuParser);
        Parser.Eval();
    } catch (const mu::Parser::exception_type& Error) {
        return State.SkipWithError(Error.GetMsg().c_str());
    }
    unsigned Step = 0;
    for (auto _ : State) {
        X = NextX<double>(Step);
        benchmark::DoNotOptimize(Parser.Eval());
    }
}
#endif

#ifdef ZOZEZO_BENCH_MUPARSERX
void MuParserX(benchmark::State& State, const TCase& Case) {
    mup::Value X(static_cast<mup::float_type>(X0)), Y(static_cast<mup::float_type>(Y0));
    mup::ParserX Parser;
    try {
        Parser.DefineVar("x", mup::Variable(&X));
        Parser.DefineVar("y", mup::Variable(&Y));
        Parser.SetExpr(Case.MuParserX);
        Parser.Eval();
    } catch (const mup::ParserError& Error) {
        return State.SkipWithError(Error.GetMsg().c_str());
    }
    unsigned Step = 0;
    for (auto _ : State) {
        X = NextX<mup::float_type>(Step);
        benchmark::DoNotOptimize(Parser.Eval());
    }
}
#endif

} // namespace

void RegisterEvaluation() {
    for (const TCase& Case : Cases()) {
        const std::string Row = std::string("eval/") + Case.Id + "/";
        Register(Row + ZezoColumn, Zezo, Case, zoZezo::TNativeMode::Often);
        Register(Row + InterpretedColumn, Zezo, Case, zoZezo::TNativeMode::Off);
#ifdef ZOZEZO_BENCH_MUPARSER
        if (Case.MuParser) Register(Row + MuParserColumn, MuParser, Case);
#endif
#ifdef ZOZEZO_BENCH_MUPARSERX
        if (Case.MuParserX) Register(Row + MuParserXColumn, MuParserX, Case);
#endif
        Register(Row + DoubleColumn, Native<double>, Case.NativeDouble);
        Register(Row + LongDoubleColumn, Native<long double>, Case.NativeLongDouble);
        if (Case.LanguageFormulas)
            Register(Row + FormulasColumn, Native<long double>, Case.LanguageFormulas);
    }
}

} // namespace bench
