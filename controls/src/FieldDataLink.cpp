#include "zoZezo/FieldDataLink.h"

#include <QAbstractItemModel>

namespace zoZezo {

TFieldDataLink::TFieldDataLink(QObject* Parent) : QObject(Parent) {}

void TFieldDataLink::SetDataSource(TDataSource* Value) {
    if (Value == FDataSource) return;
    if (FDataSource) disconnect(FDataSource, nullptr, this, nullptr);
    FDataSource = Value;
    if (Value) {
        connect(Value, &TDataSource::DataChanged, this, &TFieldDataLink::DataChange);
        connect(Value, &TDataSource::UpdateRecord, this, &TFieldDataLink::UpdateData);
        connect(Value, &TDataSource::StateChanged, this, &TFieldDataLink::EditingChange);
        connect(Value, &TDataSource::Error, this, &TFieldDataLink::Error);
        // Freed first: the guard is already clear; the control shows that it has no source.
        connect(Value, &QObject::destroyed, this, &TFieldDataLink::DataChange);
    }
    emit DataChange();
}

void TFieldDataLink::SetFieldName(const QString& Value) {
    if (Value == FFieldName) return;
    FFieldName = Value;
    emit DataChange();
}

int TFieldDataLink::FieldIndex() const {
    return FDataSource ? FDataSource->FieldIndex(FFieldName) : -1;
}

bool TFieldDataLink::Active() const {
    return FDataSource && FDataSource->CurrentRow() >= 0 && FieldIndex() >= 0;
}

bool TFieldDataLink::CanModify() const {
    return FDataSource && FDataSource->CanModify(FieldIndex());
}

QVariant TFieldDataLink::FieldValue() const {
    return FDataSource ? FDataSource->FieldValue(FieldIndex()) : QVariant();
}

QModelIndex TFieldDataLink::FieldCell() const {
    if (!Active()) return {};
    return FDataSource->Model()->index(FDataSource->CurrentRow(), FieldIndex());
}

bool TFieldDataLink::SetFieldValue(const QVariant& Value) {
    return FDataSource && FDataSource->SetFieldValue(FieldIndex(), Value);
}

bool TFieldDataLink::Edit() {
    return FDataSource && FDataSource->Edit();
}

QString TFieldDataLink::BindingError() const {
    if (!FDataSource || FFieldName.isEmpty()) return {};
    if (!FDataSource->Model()) return tr("The data source has no record set.");
    if (FieldIndex() < 0) return tr("The record set has no field \"%1\".").arg(FFieldName);
    return {};
}

} // namespace zoZezo
