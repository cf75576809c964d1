#include "ResultsComputation.h"

#include <thread>

namespace workbench {

struct TResultsComputation::TRun {
    TResultsJob Job;
    TResultsProgress Progress;
    std::atomic<bool> Ended{false};
    std::thread Thread;
};

TResultsComputation::TResultsComputation(QObject* Parent) : QObject(Parent) {}

TResultsComputation::~TResultsComputation() {
    Cancel();
    for (const auto& Run : FRuns)
        Run->Thread.join();
}

void TResultsComputation::Start(TResultsJob Job) {
    Cancel();
    JoinEnded();
    auto Run = std::make_shared<TRun>();
    Run->Job = std::move(Job);
    // The thread holds the run, never this object, until it has posted its results: the
    // destructor joins it before the object goes, and a posted call dies with the object.
    Run->Thread = std::thread([this, Run] {
        if (auto Computed = ComputeLineResults(Run->Job, Run->Progress))
            QMetaObject::invokeMethod(
                this, [this, Run, Results = std::move(*Computed)] { Deliver(Run, Results); },
                Qt::QueuedConnection);
        Run->Ended = true;
    });
    FCurrent = Run;
    FRuns.push_back(std::move(Run));
}

void TResultsComputation::Cancel() {
    if (FCurrent) FCurrent->Progress.Stop = true;
    FCurrent.reset();
}

int TResultsComputation::Done() const {
    return FCurrent ? FCurrent->Progress.Done.load() : 0;
}

int TResultsComputation::Total() const {
    return FCurrent ? static_cast<int>(FCurrent->Job.Lines.size()) : 0;
}

void TResultsComputation::Deliver(const std::shared_ptr<TRun>& Run, const TLineResults& Results) {
    if (Run != FCurrent) return;
    FCurrent.reset();
    JoinEnded();
    emit Finished(Results);
}

void TResultsComputation::JoinEnded() {
    std::erase_if(FRuns, [](const std::shared_ptr<TRun>& Run) {
        if (!Run->Ended) return false;
        Run->Thread.join();
        return true;
    });
}

} // namespace workbench
