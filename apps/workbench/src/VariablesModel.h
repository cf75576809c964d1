#pragma once

#include <QAbstractTableModel>
#include <deque>
#include <string>
#include <utility>
#include <vector>
#include <zoZezo/zoZezo.h>

namespace workbench {

// A host variable: its name and the two cells the evaluator reads.
struct TVariableCell {
    std::string Name;
    long double Re = 0;
    long double Im = 0;
};

// The variables that equations use and nothing else defines, made on demand while the
// evaluator compiles (through OnAcceptLabel), with their real and imaginary cells. The table
// shows one row per variable; the user edits the values, and ValuesChanged tells the host to
// compute again. A variable stays when the text stops using it, so its value is kept for when
// the name comes back; Used() tells the ones the last compilation referred to.
class TVariablesModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum TColumn { vcName, vcReal, vcImaginary, vcCount };

    explicit TVariablesModel(QObject* Parent = nullptr);

    // Takes over the evaluator's OnAcceptLabel and binds the variables made so far to it.
    // The evaluator must outlive its attachment; Detach (or attaching another) ends it.
    void Attach(zoZezo::TzoZezoEvaluator& Evaluator);
    void Detach();

    // A host variable stands only where nothing else gives the name a meaning: a constant,
    // or an equation compiled before. Otherwise `a` typed before `a: 1` existed would hide
    // that equation from then on.
    static bool DefinedElsewhere(const zoZezo::TzoZezoEvaluator& Evaluator,
                                 const std::string& Name);

    int Count() const { return static_cast<int>(FCells.size()); }
    const TVariableCell& Cell(int Row) const { return FCells[static_cast<std::size_t>(Row)]; }
    int IndexOf(const std::string& Name) const;
    // Sets a value and emits ValuesChanged.
    void SetValue(int Row, const zoZezo::TComplex& Value);
    // Copies of every variable, for an evaluator of its own (a sweep).
    std::vector<TVariableCell> Snapshot() const;
    // Replaces every variable by these (another document's), in the attached evaluator too.
    // Equations compiled before refer to the old ones: compile them again.
    void Reset(const std::vector<TVariableCell>& Cells);

    // Marks the variables named as the ones the document uses, adding those not listed yet
    // (a line below a faulty one may use a name that the evaluator never compiled).
    void MarkUsed(const std::vector<std::string>& Names);
    bool Used(int Row) const;
    // Names to question: a variable named here gets a warning that it may be a typo for Near.
    void SetWarnings(std::vector<std::pair<std::string, std::string>> NameAndNear);
    // The name that the variable's name may be a typo of; empty when none.
    std::string Near(int Row) const;

    int rowCount(const QModelIndex& Parent = {}) const override;
    int columnCount(const QModelIndex& Parent = {}) const override;
    QVariant data(const QModelIndex& Index, int Role) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;
    Qt::ItemFlags flags(const QModelIndex& Index) const override;
    bool setData(const QModelIndex& Index, const QVariant& Value, int Role) override;

signals:
    void ValuesChanged();

private:
    void Accept(const std::string& Name, zoZezo::TLabelType Type, int& Position);
    int Add(const std::string& Name);

    zoZezo::TzoZezoEvaluator* FEvaluator = nullptr;
    std::deque<TVariableCell> FCells; // a deque never moves its elements: the cells stay put
    std::vector<bool> FUsed;
    std::vector<std::pair<std::string, std::string>> FWarnings;
};

} // namespace workbench
