#include "Sweep.h"

#include "Outcome.h"
#include "ResultsModel.h"
#include "SweepPoints.h"

#include <QElapsedTimer>
#include <QTimer>
#include <cmath>

namespace workbench {

QString TSweepRange::Problem() const {
    if (!std::isfinite(From) || !std::isfinite(To) || !std::isfinite(Step))
        return QObject::tr("the range must be finite numbers");
    if (Step == 0) return QObject::tr("the step must not be 0");
    const long double Steps = (To - From) / Step;
    if (Steps < 0) return QObject::tr("the step leads away from the end of the range");
    if (!(Steps < MaxPoints)) return QObject::tr("more than %1 points").arg(MaxPoints);
    return {};
}

std::size_t TSweepRange::Count() const {
    return zezo::SweepPoints(From, To, Step);
}

TSweep::TSweep(QObject* Parent) : QObject(Parent) {}

TSweep::~TSweep() = default;

bool TSweep::Start(const TSweepJob& Job) {
    Cancel();
    FJob = Job;
    FPoints.clear();
    FErrorText.clear();
    if (!Prepare()) {
        FEvaluator.reset();
        return false;
    }
    FTotal = FJob.Range.Count();
    FPoints.reserve(FTotal);
    FRunning = true;
    const unsigned Generation = ++FGeneration;
    QTimer::singleShot(0, this, [this, Generation] {
        if (Generation == FGeneration) RunSlice();
    });
    return true;
}

// Builds the sweep's own evaluator the way the memo builds its list: line by line, each
// compiled at once, up to the first faulty one.
bool TSweep::Prepare() {
    if (const QString Problem = FJob.Range.Problem(); !Problem.isEmpty()) {
        FErrorText = Problem;
        return false;
    }
    const std::string Swept = FJob.Variable.trimmed().toStdString();
    const std::string Wanted = FJob.Equation.trimmed().toStdString();
    if (Swept.empty()) {
        FErrorText = tr("choose a variable to sweep");
        return false;
    }
    if (zoZezo::SameName(Swept, Wanted)) {
        FErrorText = tr("the variable %1 hides the equation of that name").arg(FJob.Variable);
        return false;
    }
    FEvaluator = std::make_unique<zoZezo::TzoZezoEvaluator>();
    FCells.clear();
    FJob.Syntax.ApplyTo(*FEvaluator);
    FSwept = &FCells.emplace_back(0);
    FEvaluator->Variables().Add(Swept, FSwept, nullptr);
    for (const TVariableCell& Cell : FJob.Variables) {
        if (zoZezo::SameName(Cell.Name, Swept)) continue;
        long double* Re = &FCells.emplace_back(Cell.Re);
        long double* Im = &FCells.emplace_back(Cell.Im);
        FEvaluator->Variables().Add(Cell.Name, Re, Im);
    }
    zoZezo::TzoZezoEvaluator& Evaluator = *FEvaluator;
    Evaluator.OnAcceptLabel = [&Evaluator, Swept](zoZezo::TEquation*, const std::string& Name,
                                                  zoZezo::TLabelType Type, int& Position) {
        if (Type == zoZezo::ltVariable && Position >= 0 && !zoZezo::SameName(Name, Swept) &&
            TVariablesModel::DefinedElsewhere(Evaluator, Name))
            Position = -1;
    };
    for (const QString& Line : FJob.Lines) {
        zoZezo::TEquation* Equation = Evaluator.Equations().Add(Line.toStdString());
        if (!Equation->Check()) {
            if (Evaluator.Equations().FunctionIndexByName(Wanted) >= 0) break;
            FErrorText = CompileErrorText(*Equation, Evaluator.Equations().Count());
            return false;
        }
    }
    const int Index = Evaluator.Equations().FunctionIndexByName(Wanted);
    if (Index < 0) {
        FErrorText = tr("there is no equation named %1").arg(FJob.Equation);
        return false;
    }
    FTarget = Evaluator.Equations().GetEquation(Index);
    if (!IsValueEquation(*FTarget)) {
        FErrorText = tr("%1 takes parameters").arg(FJob.Equation);
        return false;
    }
    return true;
}

void TSweep::RunSlice() {
    QElapsedTimer Clock;
    Clock.start();
    while (FPoints.size() < FTotal && Clock.elapsed() < FSliceMs) {
        TSweepPoint Point;
        Point.X = *FSwept = FJob.Range.At(FPoints.size());
        const TOutcome Outcome = ComputeOutcome(*FTarget);
        if (Outcome.Ok() && std::isfinite(Outcome.Value.Re) && std::isfinite(Outcome.Value.Im))
            Point.Y = Outcome.Value;
        FPoints.push_back(Point);
    }
    emit Progress(static_cast<int>(FPoints.size()), static_cast<int>(FTotal));
    if (FPoints.size() == FTotal) {
        Stop(false);
        return;
    }
    const unsigned Generation = FGeneration;
    QTimer::singleShot(0, this, [this, Generation] {
        if (Generation == FGeneration && FRunning) RunSlice();
    });
}

void TSweep::Cancel() {
    if (FRunning) Stop(true);
}

void TSweep::Stop(bool Cancelled) {
    FRunning = false;
    ++FGeneration;
    emit Finished(Cancelled);
}

} // namespace workbench
