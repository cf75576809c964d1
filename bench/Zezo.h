#pragma once

// An evaluator set up as every zoZezo benchmark needs it: x and y bound to host cells.

#include "Cases.h"

#include <benchmark/benchmark.h>
#include <string>
#include <zoZezo/zoZezo.h>

namespace bench {

struct TZezo {
    zoZezo::TzoZezoEvaluator Evaluator;
    long double X = X0, Y = Y0;

    TZezo() {
        Evaluator.Variables().Add("x", &X, nullptr);
        Evaluator.Variables().Add("y", &Y, nullptr);
    }

    // Adds and checks the case's equations; returns the case's own one, or nullptr with Error
    // set when either fails to compile.
    zoZezo::TEquation* Compile(const TCase& Case, std::string& Error) {
        if (Case.Prelude && !Add(Case.Prelude, Error)) return nullptr;
        return Add(Case.Equation, Error);
    }

    // Compile for a benchmark, which is skipped with the error when the case does not compile.
    zoZezo::TEquation* Prepare(const TCase& Case, benchmark::State& State) {
        std::string Error;
        zoZezo::TEquation* Equation = Compile(Case, Error);
        if (!Equation) State.SkipWithError(Error.c_str());
        return Equation;
    }

    // The timed loop of an evaluation: x moves a little, then Equation is computed, its real
    // part or both.
    void ComputeEach(benchmark::State& State, zoZezo::TEquation& Equation, bool BothParts = false) {
        unsigned Step = 0;
        if (BothParts)
            for (auto _ : State) {
                X = NextX<long double>(Step);
                benchmark::DoNotOptimize(Equation.ComputeC());
            }
        else
            for (auto _ : State) {
                X = NextX<long double>(Step);
                benchmark::DoNotOptimize(Equation.Compute());
            }
    }

    zoZezo::TEquation* Add(const std::string& Text, std::string& Error) {
        zoZezo::TEquation* Equation = Evaluator.Equations().Add(Text);
        if (Equation->Check()) return Equation;
        Error = Text + ": " + Equation->ErrorMsg();
        return nullptr;
    }
};

} // namespace bench
