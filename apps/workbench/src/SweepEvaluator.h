#pragma once

#include "Sweep.h"

#include <deque>
#include <memory>
#include <optional>
#include <vector>
#include <zoZezo/zoZezo.h>

namespace workbench {

// One copy of a sweep job's equations in an evaluator of its own, with a cell for the swept
// variable and copies of the host variables. Copies are independent: each thread of a sweep
// computes on its own.
class TSweepEvaluator {
public:
    // Builds the copy the way the memo builds its list: line by line, each compiled at once, up
    // to the first faulty one. Returns false, with Error, when the job cannot run: a bad range,
    // no variable, an equation that is not there, does not compile, takes parameters or is
    // hidden by the variable.
    bool Build(const TSweepJob& Job, QString& Error);

    // The value of the job's equation Index (in the job's order) with the variable at X, or
    // nothing when computing fails or gives no finite number. Every equation of the copy
    // compiled, so computing shows no message: nothing here touches the process-wide message
    // handler, and copies compute on several threads at once.
    std::optional<zoZezo::TComplex> Compute(std::size_t Index, long double X);

private:
    std::unique_ptr<zoZezo::TzoZezoEvaluator> FEvaluator;
    std::deque<long double> FCells; // a deque never moves its elements: the cells stay put
    long double* FSwept = nullptr;
    std::vector<zoZezo::TEquation*> FTargets;
};

} // namespace workbench
