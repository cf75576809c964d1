#include "Sweep.h"

#include "SweepEvaluator.h"
#include "SweepPoints.h"
#include "SweepWorkers.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace workbench {
namespace {

// How often the window looks at a running sweep, in milliseconds.
constexpr int PollMilliseconds = 25;

} // namespace

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

bool TSweepResult::Complex(std::size_t Equation) const {
    return std::any_of(Y[Equation].begin(), Y[Equation].end(),
                       [](const auto& Value) { return Value && Value->Im != 0; });
}

TSweep::TSweep(QObject* Parent) : QObject(Parent) {
    FTimer.setInterval(PollMilliseconds);
    connect(&FTimer, &QTimer::timeout, this, &TSweep::Poll);
}

TSweep::~TSweep() = default;

unsigned TSweep::Threads() const {
    return FThreads > 0 ? FThreads : std::max(1u, std::thread::hardware_concurrency());
}

bool TSweep::Start(const TSweepJob& Job) {
    Cancel();
    FJob = Job;
    FResult = {};
    auto First = std::make_unique<TSweepEvaluator>();
    if (!First->Build(FJob, FErrorText)) return false;
    FWorkers = std::make_unique<TSweepWorkers>(FJob, std::move(First), Threads());
    FTimer.start();
    return true;
}

void TSweep::Cancel() {
    if (!FWorkers) return;
    FWorkers->Cancel();
    FResult = FWorkers->Result();
    FEnding.push_back(std::move(FWorkers));
    emit Finished(true);
}

void TSweep::Poll() {
    std::erase_if(FEnding, [](const auto& Workers) { return Workers->Finished(); });
    if (!FWorkers) {
        if (FEnding.empty()) FTimer.stop();
    } else if (FWorkers->Finished()) {
        FResult = FWorkers->Take();
        FWorkers.reset();
        if (FEnding.empty()) FTimer.stop();
        emit Finished(false);
    } else {
        emit Progress(static_cast<int>(FWorkers->Done()), static_cast<int>(FWorkers->Total()));
    }
}

} // namespace workbench
