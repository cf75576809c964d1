#include "ResultsModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

namespace workbench {

TResultsModel::TResultsModel(QObject* Parent) : QAbstractTableModel(Parent) {}

void TResultsModel::SetRows(std::vector<TResultRow> Rows) {
    beginResetModel();
    FRows = std::move(Rows);
    endResetModel();
}

int TResultsModel::FaultyRow() const {
    for (std::size_t K = 0; K < FRows.size(); ++K)
        if (FRows[K].Kind == TResultRow::rkCompileError) return static_cast<int>(K);
    return -1;
}

int TResultsModel::rowCount(const QModelIndex& Parent) const {
    return Parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TResultsModel::columnCount(const QModelIndex& Parent) const {
    return Parent.isValid() ? 0 : rcCount;
}

QVariant TResultsModel::data(const QModelIndex& Index, int Role) const {
    if (!Index.isValid() || Index.row() >= rowCount()) return {};
    const TResultRow& Row = FRows[static_cast<std::size_t>(Index.row())];
    const bool Failed = Row.Kind != TResultRow::rkValue;
    switch (Role) {
    case Qt::DisplayRole:
        switch (Index.column()) {
        case rcLine: return Row.Line;
        case rcName: return Row.Name;
        case rcValue: return Row.Text;
        default: return {};
        }
    case Qt::ToolTipRole: return Row.Text;
    case Qt::ForegroundRole: return Failed ? QVariant(QBrush(QColor(128, 0, 0))) : QVariant();
    case Qt::BackgroundRole:
        return Row.Kind == TResultRow::rkCompileError ? QVariant(QBrush(QColor(255, 224, 224)))
                                                      : QVariant();
    case Qt::FontRole:
        if (Failed) {
            QFont Bold;
            Bold.setBold(true);
            return Bold;
        }
        return {};
    case Qt::TextAlignmentRole:
        return Index.column() == rcLine ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    default: return {};
    }
}

QVariant TResultsModel::headerData(int Section, Qt::Orientation Orientation, int Role) const {
    if (Orientation != Qt::Horizontal || Role != Qt::DisplayRole) return {};
    switch (Section) {
    case rcLine: return tr("Line");
    case rcName: return tr("Equation");
    case rcValue: return tr("Value");
    default: return {};
    }
}

} // namespace workbench
