#pragma once

#include "LineResults.h"

#include <QAbstractTableModel>
#include <vector>

namespace workbench {

// The table of a document's results (see ComputeLineResults): each value equation with its
// value or the error of its computation, and each line that did not compile, marked, with its
// message, line and column, in line order.
class TResultsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum TColumn { rcLine, rcName, rcValue, rcCount };

    explicit TResultsModel(QObject* Parent = nullptr);

    void SetRows(std::vector<TResultRow> Rows);
    void Clear() { SetRows({}); }

    const std::vector<TResultRow>& Rows() const { return FRows; }
    // The row of the first line that did not compile, -1 when every line compiled.
    int FaultyRow() const;

    int rowCount(const QModelIndex& Parent = {}) const override;
    int columnCount(const QModelIndex& Parent = {}) const override;
    QVariant data(const QModelIndex& Index, int Role) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;

private:
    std::vector<TResultRow> FRows;
};

} // namespace workbench
