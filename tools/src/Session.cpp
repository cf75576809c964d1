#include "Session.h"

#include "Document.h"
#include "Failure.h"

#include <algorithm>
#include <fmt/format.h>
#include <zoZezo/Form.h>

namespace zezo {

TMessageCapture::TMessageCapture()
    : FPrevious(
          zoZezo::SetMessageHandler([this](const std::string& Text) { FTexts.push_back(Text); })) {}

TMessageCapture::~TMessageCapture() {
    zoZezo::SetMessageHandler(std::move(FPrevious));
}

TSession::TSession(const TOptions& Options) {
    if (Options.SettingsFile) {
        const std::string Form = ReadInput(*Options.SettingsFile);
        try {
            zoZezo::LoadForm(FEvaluator, Form);
        } catch (const std::exception& Error) {
            throw TFailure(ExitUsage,
                           fmt::format("--settings '{}': {}", *Options.SettingsFile, Error.what()));
        }
    }
    for (const auto& Constant : Options.Constants)
        AddConstant(Constant);
    for (const auto& Variable : Options.Variables)
        Bind(Variable);
    if (Options.Seed) zoZezo::RandSeed(*Options.Seed);
    if (Options.MaxRuns) FEvaluator.SetRunBudget(*Options.MaxRuns);
}

long double& TSession::Bind(const TBinding& Binding) {
    if (FEvaluator.Variables().IndexOf(Binding.Name) >= 0)
        throw TFailure(ExitUsage, fmt::format("variable '{}' is bound twice", Binding.Name));
    long double& Re = FCells.emplace_back(Binding.Re);
    long double* Im = Binding.Im ? &FCells.emplace_back(*Binding.Im) : nullptr;
    FEvaluator.Variables().Add(Binding.Name, &Re, Im);
    return Re;
}

void TSession::AddConstant(const TBinding& Binding) {
    // The first entry of a name wins, so a second one would never be seen.
    if (FEvaluator.Constants().IndexOf(Binding.Name) >= 0)
        throw TFailure(ExitUsage, fmt::format("constant '{}' already exists", Binding.Name));
    FEvaluator.Constants().Add(Binding.Name, Binding.Re, Binding.Im.value_or(0));
}

std::vector<zoZezo::TEquation*> TSession::Build(const std::vector<std::string>& Lines, bool All) {
    std::vector<zoZezo::TEquation*> Added;
    for (const auto& Line : Lines) {
        Added.push_back(FEvaluator.Equations().Add(Line));
        if (!Added.back()->Check() && !All) break;
    }
    return Added;
}

TOutcome TSession::Compute(zoZezo::TEquation& Equation) {
    FMessages.Take();
    TOutcome Outcome;
    std::optional<std::string> Raised;
    try {
        Outcome.Value = Equation.ComputeC();
    } catch (const zoZezo::EzoZezoRunBudgetError& Error) {
        Raised = fmt::format("the computation would run equations more than {} times; "
                             "raise the budget with --max-runs",
                             Error.Runs());
    } catch (const std::exception& Error) {
        Raised = Error.what();
    }
    // A text shown while computing is a called equation's compile error: the value is void.
    auto Texts = FMessages.Take();
    if (Raised) Texts.push_back(*Raised);
    if (!Texts.empty()) Outcome.Error = fmt::format("{}", fmt::join(Texts, "; "));
    return Outcome;
}

bool IsComputable(const zoZezo::TEquation& Equation) {
    return Equation.Checked() && Equation.ErrorCode() == 0 && !Equation.FunctionName().empty() &&
           Equation.LocalConstants().Count() == 0;
}

bool AnyFaulty(const std::vector<zoZezo::TEquation*>& Equations) {
    return std::any_of(Equations.begin(), Equations.end(),
                       [](const zoZezo::TEquation* E) { return E->ErrorCode() != 0; });
}

} // namespace zezo
