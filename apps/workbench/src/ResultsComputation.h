#pragma once

#include "LineResults.h"

#include <QObject>
#include <memory>
#include <vector>

namespace workbench {

// Computes the results of a document on a thread of its own, so that the window stays
// responsive however long the lines take: one computation at a time, the latest job winning.
// A job started while another runs, or Cancel(), abandons the earlier one, whose results are
// never delivered; its thread ends after the line it is computing.
class TResultsComputation : public QObject {
    Q_OBJECT

public:
    explicit TResultsComputation(QObject* Parent = nullptr);
    // Abandons the computation that runs and waits for its thread.
    ~TResultsComputation() override;

    void Start(TResultsJob Job);
    void Cancel();
    bool Running() const { return FCurrent != nullptr; }
    // Lines computed and lines in all, of the computation that runs.
    int Done() const;
    int Total() const;

signals:
    // The results of the last job started, on the thread of this object.
    void Finished(const workbench::TLineResults& Results);

private:
    struct TRun;

    void Deliver(const std::shared_ptr<TRun>& Run, const TLineResults& Results);
    void JoinEnded();

    std::shared_ptr<TRun> FCurrent;
    std::vector<std::shared_ptr<TRun>> FRuns; // every thread not joined yet
};

} // namespace workbench
