#include "VariablesModel.h"

#include "NumberFormat.h"

#include <QApplication>
#include <QBrush>
#include <QPalette>
#include <QStyle>
#include <algorithm>

namespace workbench {

TVariablesModel::TVariablesModel(QObject* Parent) : QAbstractTableModel(Parent) {}

void TVariablesModel::Attach(zoZezo::TzoZezoEvaluator& Evaluator) {
    Detach();
    FEvaluator = &Evaluator;
    for (TVariableCell& Cell : FCells)
        if (Evaluator.Variables().IndexOf(Cell.Name) < 0)
            Evaluator.Variables().Add(Cell.Name, &Cell.Re, &Cell.Im);
    Evaluator.OnAcceptLabel = [this](zoZezo::TEquation*, const std::string& Name,
                                     zoZezo::TLabelType Type,
                                     int& Position) { Accept(Name, Type, Position); };
}

void TVariablesModel::Detach() {
    if (FEvaluator) FEvaluator->OnAcceptLabel = nullptr;
    FEvaluator = nullptr;
}

bool TVariablesModel::DefinedElsewhere(const zoZezo::TzoZezoEvaluator& Evaluator,
                                       const std::string& Name) {
    return Evaluator.Constants().IndexOf(Name) >= 0 ||
           Evaluator.Equations().FunctionIndexByName(Name) >= 0;
}

void TVariablesModel::Accept(const std::string& Name, zoZezo::TLabelType Type, int& Position) {
    if (Type != zoZezo::ltVariable) return;
    if (DefinedElsewhere(*FEvaluator, Name))
        Position = -1;
    else if (Position < 0)
        Position = Add(Name);
}

int TVariablesModel::Add(const std::string& Name) {
    const int Row = Count();
    beginInsertRows({}, Row, Row);
    TVariableCell& Cell = FCells.emplace_back(TVariableCell{Name, 0, 0});
    FUsed.push_back(true);
    endInsertRows();
    if (!FEvaluator) return -1;
    FEvaluator->Variables().Add(Cell.Name, &Cell.Re, &Cell.Im);
    return FEvaluator->Variables().Count() - 1;
}

int TVariablesModel::IndexOf(const std::string& Name) const {
    for (int Row = 0; Row < Count(); ++Row)
        if (zoZezo::SameName(Cell(Row).Name, Name)) return Row;
    return -1;
}

void TVariablesModel::SetValue(int Row, const zoZezo::TComplex& Value) {
    if (Row < 0 || Row >= Count()) return;
    TVariableCell& Target = FCells[static_cast<std::size_t>(Row)];
    Target.Re = Value.Re;
    Target.Im = Value.Im;
    emit dataChanged(index(Row, vcReal), index(Row, vcImaginary));
    emit ValuesChanged();
}

std::vector<TVariableCell> TVariablesModel::Snapshot() const {
    return {FCells.begin(), FCells.end()};
}

void TVariablesModel::Reset(const std::vector<TVariableCell>& Cells) {
    beginResetModel();
    if (FEvaluator)
        for (const TVariableCell& Cell : FCells)
            if (const int Index = FEvaluator->Variables().IndexOf(Cell.Name); Index >= 0)
                FEvaluator->Variables().Delete(Index);
    FCells.assign(Cells.begin(), Cells.end());
    FUsed.assign(FCells.size(), false);
    if (FEvaluator)
        for (TVariableCell& Cell : FCells)
            FEvaluator->Variables().Add(Cell.Name, &Cell.Re, &Cell.Im);
    endResetModel();
}

void TVariablesModel::MarkUsed(const std::vector<std::string>& Names) {
    std::fill(FUsed.begin(), FUsed.end(), false);
    for (const std::string& Name : Names) {
        const int Row = IndexOf(Name);
        if (Row >= 0)
            FUsed[static_cast<std::size_t>(Row)] = true;
        else
            Add(Name);
    }
    if (Count() > 0) emit dataChanged(index(0, 0), index(Count() - 1, vcCount - 1));
}

void TVariablesModel::SetWarnings(std::vector<std::pair<std::string, std::string>> NameAndNear) {
    FWarnings = std::move(NameAndNear);
    if (Count() > 0) emit dataChanged(index(0, vcName), index(Count() - 1, vcName));
}

std::string TVariablesModel::Near(int Row) const {
    if (Row < 0 || Row >= Count()) return {};
    for (const auto& [Name, Near] : FWarnings)
        if (zoZezo::SameName(Name, Cell(Row).Name)) return Near;
    return {};
}

bool TVariablesModel::Used(int Row) const {
    return Row >= 0 && Row < Count() && FUsed[static_cast<std::size_t>(Row)];
}

int TVariablesModel::rowCount(const QModelIndex& Parent) const {
    return Parent.isValid() ? 0 : Count();
}

int TVariablesModel::columnCount(const QModelIndex& Parent) const {
    return Parent.isValid() ? 0 : vcCount;
}

QVariant TVariablesModel::data(const QModelIndex& Index, int Role) const {
    if (!Index.isValid() || Index.row() >= Count()) return {};
    const TVariableCell& Variable = Cell(Index.row());
    switch (Role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (Index.column()) {
        case vcName: return QString::fromStdString(Variable.Name);
        case vcReal: return QString::fromStdString(zezo::FormatReal(Variable.Re, 15));
        case vcImaginary: return QString::fromStdString(zezo::FormatReal(Variable.Im, 15));
        default: return {};
        }
    case Qt::ForegroundRole:
        if (!Used(Index.row())) return QBrush(QPalette().color(QPalette::Disabled, QPalette::Text));
        return {};
    case Qt::DecorationRole:
        if (Index.column() == vcName && !Near(Index.row()).empty())
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        return {};
    case Qt::ToolTipRole: {
        if (!Used(Index.row())) return tr("Not used by the document");
        const std::string Typo = Near(Index.row());
        if (Typo.empty()) return {};
        return tr("Nothing defines %1, so it is a variable: did you mean %2?")
            .arg(QString::fromStdString(Variable.Name), QString::fromStdString(Typo));
    }
    default: return {};
    }
}

QVariant TVariablesModel::headerData(int Section, Qt::Orientation Orientation, int Role) const {
    if (Orientation != Qt::Horizontal || Role != Qt::DisplayRole) return {};
    switch (Section) {
    case vcName: return tr("Variable");
    case vcReal: return tr("Real");
    case vcImaginary: return tr("Imaginary");
    default: return {};
    }
}

Qt::ItemFlags TVariablesModel::flags(const QModelIndex& Index) const {
    Qt::ItemFlags Flags = QAbstractTableModel::flags(Index);
    if (Index.isValid() && Index.column() != vcName) Flags |= Qt::ItemIsEditable;
    return Flags;
}

// A value the user types is a number as C reads it ("1e-3", "-2.5"); anything else is
// refused and the cell keeps its value.
bool TVariablesModel::setData(const QModelIndex& Index, const QVariant& Value, int Role) {
    if (Role != Qt::EditRole || !Index.isValid() || Index.column() == vcName) return false;
    bool Ok = false;
    const double Number = Value.toString().trimmed().toDouble(&Ok);
    if (!Ok) return false;
    zoZezo::TComplex Current{Cell(Index.row()).Re, Cell(Index.row()).Im};
    (Index.column() == vcReal ? Current.Re : Current.Im) = Number;
    SetValue(Index.row(), Current);
    return true;
}

} // namespace workbench
