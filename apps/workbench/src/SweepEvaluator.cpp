#include "SweepEvaluator.h"

#include "Outcome.h"
#include "ResultsModel.h"

#include <QObject>
#include <cmath>

namespace workbench {
namespace {

// Why the job's choice of variable and equations cannot be swept; empty when it can.
QString ChoiceProblem(const TSweepJob& Job) {
    if (const QString Problem = Job.Range.Problem(); !Problem.isEmpty()) return Problem;
    if (Job.Variable.trimmed().isEmpty()) return QObject::tr("choose a variable to sweep");
    if (Job.Equations.isEmpty()) return QObject::tr("choose an equation to plot");
    for (const QString& Equation : Job.Equations)
        if (zoZezo::SameName(Job.Variable.trimmed().toStdString(),
                             Equation.trimmed().toStdString()))
            return QObject::tr("the variable %1 hides the equation of that name").arg(Equation);
    return {};
}

} // namespace

bool TSweepEvaluator::Build(const TSweepJob& Job, QString& Error) {
    Error = ChoiceProblem(Job);
    if (!Error.isEmpty()) return false;
    const std::string Swept = Job.Variable.trimmed().toStdString();
    FEvaluator = std::make_unique<zoZezo::TzoZezoEvaluator>();
    zoZezo::TzoZezoEvaluator& Evaluator = *FEvaluator;
    Job.Syntax.ApplyTo(Evaluator);
    FSwept = &FCells.emplace_back(0);
    Evaluator.Variables().Add(Swept, FSwept, nullptr);
    for (const TVariableCell& Cell : Job.Variables) {
        if (zoZezo::SameName(Cell.Name, Swept)) continue;
        long double* Re = &FCells.emplace_back(Cell.Re);
        long double* Im = &FCells.emplace_back(Cell.Im);
        Evaluator.Variables().Add(Cell.Name, Re, Im);
    }
    Evaluator.OnAcceptLabel = [&Evaluator, Swept](zoZezo::TEquation*, const std::string& Name,
                                                  zoZezo::TLabelType Type, int& Position) {
        if (Type == zoZezo::ltVariable && Position >= 0 && !zoZezo::SameName(Name, Swept) &&
            TVariablesModel::DefinedElsewhere(Evaluator, Name))
            Position = -1;
    };
    // A faulty line ends the list; the equations above it still sweep (none of them can call
    // it, as an equation calls only those above it).
    for (const QString& Line : Job.Lines) {
        zoZezo::TEquation* Equation = Evaluator.Equations().Add(Line.toStdString());
        if (Equation->Check()) continue;
        for (const QString& Wanted : Job.Equations)
            if (const int Index =
                    Evaluator.Equations().FunctionIndexByName(Wanted.trimmed().toStdString());
                Index < 0 || Evaluator.Equations().GetEquation(Index) == Equation) {
                Error = CompileErrorText(*Equation, Evaluator.Equations().Count());
                return false;
            }
        break;
    }
    for (const QString& Wanted : Job.Equations) {
        const int Index = Evaluator.Equations().FunctionIndexByName(Wanted.trimmed().toStdString());
        if (Index < 0) {
            Error = QObject::tr("there is no equation named %1").arg(Wanted);
            return false;
        }
        FTargets.push_back(Evaluator.Equations().GetEquation(Index));
        if (!IsValueEquation(*FTargets.back())) {
            Error = QObject::tr("%1 takes parameters").arg(Wanted);
            return false;
        }
    }
    return true;
}

std::optional<zoZezo::TComplex> TSweepEvaluator::Compute(std::size_t Index, long double X) {
    *FSwept = X;
    try {
        const zoZezo::TComplex Value = FTargets[Index]->ComputeC();
        if (std::isfinite(Value.Re) && std::isfinite(Value.Im)) return Value;
    } catch (...) { // "Number must be real", the run budget: the point is a gap
    }
    return std::nullopt;
}

} // namespace workbench
