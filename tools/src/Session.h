#pragma once

#include "CommandLine.h"

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>
#include <zoZezo/zoZezo.h>

namespace zezo {

// Collects the texts shown through ShowMessage while it lives, instead of letting them reach
// the terminal.
class TMessageCapture {
public:
    TMessageCapture();
    ~TMessageCapture();
    TMessageCapture(const TMessageCapture&) = delete;
    TMessageCapture& operator=(const TMessageCapture&) = delete;

    // The texts collected since the last call.
    std::vector<std::string> Take() { return std::exchange(FTexts, {}); }

private:
    std::vector<std::string> FTexts;
    zoZezo::TMessageHandler FPrevious;
};

// The value of one computation, or the reason it failed.
struct TOutcome {
    zoZezo::TComplex Value;
    std::optional<std::string> Error;
};

// An evaluator set up as the options say, with the cells of its variables, and the equation
// list rebuilt from the input the way the equation editor rebuilds it. While a session lives,
// texts the evaluator shows through ShowMessage are taken as the failure of the computation
// that raised them.
class TSession {
public:
    // Loads --settings, adds --const and --var in order, seeds the random generator, sets the
    // run budget of --max-runs.
    // Throws TFailure on an unreadable or refused settings file and on a name given twice.
    explicit TSession(const TOptions& Options);
    zoZezo::TzoZezoEvaluator& Evaluator() { return FEvaluator; }

    // Adds a variable bound to a new cell (and an imaginary cell when Im is given) and returns
    // the real cell. Throws TFailure(ExitUsage) when the name is already a variable.
    long double& Bind(const TBinding& Binding);

    // Adds the lines in order, checking each at once, so that a line can call the ones above
    // it. Stops after the first faulty line unless All. Returns the equations added, one per
    // line from the first.
    std::vector<zoZezo::TEquation*> Build(const std::vector<std::string>& Lines, bool All);

    TOutcome Compute(zoZezo::TEquation& Equation);

private:
    void AddConstant(const TBinding& Binding);

    TMessageCapture FMessages;
    zoZezo::TzoZezoEvaluator FEvaluator;
    std::deque<long double> FCells; // a deque never moves its elements
};

// True for an equation that compiled, has a name and takes no parameters: one whose value
// eval and sweep print. Blank and comment-only lines compile but have no name.
bool IsComputable(const zoZezo::TEquation& Equation);

// True when some equation has a compile error.
bool AnyFaulty(const std::vector<zoZezo::TEquation*>& Equations);

} // namespace zezo
