#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <vector>
#include <zoZezo/zoZezo.h>

namespace workbench {

// One row of the results: a value equation and its value, one whose computation failed, or
// the line that did not compile.
struct TResultRow {
    enum TKind { rkValue, rkComputeError, rkCompileError };

    TKind Kind = rkValue;
    int Line = 0; // 1-based line of the document
    QString Name; // the equation's name; the line's text for a line that did not compile
    QString Text; // the value as zezo prints it, or the error
    zoZezo::TComplex Value;
};

// The table shown after every rebuild: each value equation of the evaluator's list with its
// computed value, in line order, and the first line that did not compile, marked, with its
// message, line and column. Computing never throws out of here: a failed computation is a
// row with its error.
class TResultsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum TColumn { rcLine, rcName, rcValue, rcCount };

    explicit TResultsModel(QObject* Parent = nullptr);

    // Computes every value equation of the list, as it stands, again.
    void Update(zoZezo::TzoZezoEvaluator& Evaluator);
    void Clear();

    const std::vector<TResultRow>& Rows() const { return FRows; }
    // The row of the line that did not compile, -1 when every line compiled.
    int FaultyRow() const;

    int rowCount(const QModelIndex& Parent = {}) const override;
    int columnCount(const QModelIndex& Parent = {}) const override;
    QVariant data(const QModelIndex& Index, int Role) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;

private:
    std::vector<TResultRow> FRows;
};

// "Error: <message> (position:<line>,<column>)." for an equation that did not compile, as the
// memo's status line says it; the column counts characters.
QString CompileErrorText(const zoZezo::TEquation& Equation, int Line);

} // namespace workbench
