#pragma once

#include "SyntaxCharacters.h"
#include "VariablesModel.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <vector>
#include <zoZezo/zoZezo.h>

namespace workbench {

// From, From + Step, ... up to To, To included.
struct TSweepRange {
    // More would not show better in a plot, and would make drawing it slow.
    static constexpr std::size_t MaxPoints = 100'000;

    long double From = 0;
    long double To = 1;
    long double Step = 0.1L;

    // Why the range cannot be swept (a step of 0, one leading away from To, too many
    // points); empty when it can.
    QString Problem() const;
    std::size_t Count() const;
    long double At(std::size_t K) const { return From + static_cast<long double>(K) * Step; }
};

// One point of a sweep: the variable's value, and the equation's value there unless
// computing failed or gave no finite number.
struct TSweepPoint {
    long double X = 0;
    std::optional<zoZezo::TComplex> Y;
};

// What to sweep: the document's lines, the syntax characters and host variables they were
// written for, the equation, the variable and its range.
struct TSweepJob {
    QStringList Lines;
    TSyntaxCharacters Syntax;
    std::vector<TVariableCell> Variables;
    QString Equation;
    QString Variable;
    TSweepRange Range;
};

// Computes an equation over a range of a variable without stopping the event loop: the
// points are computed in slices of a few milliseconds each, between which the window stays
// responsive. The sweep has an evaluator of its own, built from the job's lines, so editing
// the document meanwhile changes nothing in a running sweep. The swept variable hides an
// equation or constant of the same name, as in `zezo sweep`.
class TSweep : public QObject {
    Q_OBJECT

public:
    explicit TSweep(QObject* Parent = nullptr);
    ~TSweep() override;

    // Starts a sweep, cancelling one that runs. Returns false, with ErrorText(), when the job
    // cannot run: a bad range, an equation that is not in the lines or does not compile or
    // takes parameters.
    bool Start(const TSweepJob& Job);
    void Cancel();
    bool Running() const { return FRunning; }
    QString ErrorText() const { return FErrorText; }

    const TSweepJob& Job() const { return FJob; }
    // The points computed so far, in order.
    const std::vector<TSweepPoint>& Points() const { return FPoints; }

    // How long one slice may compute before it hands control back, in milliseconds.
    void SetSliceMilliseconds(int Value) { FSliceMs = Value; }

signals:
    void Progress(int Done, int Total);
    // Emitted once per started sweep: when every point is computed, or when cancelled.
    void Finished(bool Cancelled);

private:
    bool Prepare();
    void RunSlice();
    void Stop(bool Cancelled);

    TSweepJob FJob;
    std::unique_ptr<zoZezo::TzoZezoEvaluator> FEvaluator;
    std::deque<long double> FCells;
    long double* FSwept = nullptr;
    zoZezo::TEquation* FTarget = nullptr;
    std::vector<TSweepPoint> FPoints;
    std::size_t FTotal = 0;
    QString FErrorText;
    bool FRunning = false;
    int FSliceMs = 20;
    unsigned FGeneration = 0; // tells a slice queued for an earlier sweep to do nothing
};

} // namespace workbench
