#pragma once

#include "SyntaxCharacters.h"
#include "VariablesModel.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>
#include <zoZezo/zoZezo.h>

namespace workbench {

class TSweepWorkers;

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

// What to sweep: the document's lines, the syntax characters and host variables they were
// written for, the equations, the variable and its range.
struct TSweepJob {
    QStringList Lines;
    TSyntaxCharacters Syntax;
    std::vector<TVariableCell> Variables;
    QStringList Equations;
    QString Variable;
    TSweepRange Range;
};

// The values of a sweep: the variable's values in order, and each equation's value at each of
// them, unless computing failed there or gave no finite number.
struct TSweepResult {
    QString Variable;
    QStringList Equations;
    std::vector<long double> X;
    std::vector<std::vector<std::optional<zoZezo::TComplex>>> Y; // [equation][point]

    std::size_t Count() const { return X.size(); }
    // Whether some value of the equation has an imaginary part other than 0.
    bool Complex(std::size_t Equation) const;
};

// Computes equations over a range of a variable on the machine's cores, each thread with its
// own copy of the equations built from the job's lines, so editing the document meanwhile
// changes nothing in a running sweep, and the event loop never waits for it. The swept
// variable hides an equation or constant of the same name, as in `zezo sweep`.
class TSweep : public QObject {
    Q_OBJECT

public:
    explicit TSweep(QObject* Parent = nullptr);
    // Waits for the threads of sweeps still ending, each for at most the point it computes.
    ~TSweep() override;

    // Starts a sweep, cancelling one that runs. Returns false, with ErrorText(), when the job
    // cannot run: a bad range, an equation that is not in the lines or does not compile or
    // takes parameters.
    bool Start(const TSweepJob& Job);
    // Stops the running sweep at once, keeping the points computed in order so far; its
    // threads end in the background after the point each computes.
    void Cancel();
    bool Running() const { return FWorkers != nullptr; }
    QString ErrorText() const { return FErrorText; }

    const TSweepJob& Job() const { return FJob; }
    // The last sweep's values, once it has finished.
    const TSweepResult& Result() const { return FResult; }

    // How many threads a sweep uses; 0, the default, means one per core.
    void SetThreads(unsigned Count) { FThreads = Count; }
    unsigned Threads() const;

signals:
    void Progress(int Done, int Total);
    // Emitted once per started sweep: when every point is computed, or when cancelled.
    void Finished(bool Cancelled);

private:
    void Poll();

    TSweepJob FJob;
    TSweepResult FResult;
    QString FErrorText;
    unsigned FThreads = 0;
    std::unique_ptr<TSweepWorkers> FWorkers;
    std::vector<std::unique_ptr<TSweepWorkers>> FEnding; // cancelled, threads not yet ended
    QTimer FTimer;
};

} // namespace workbench
