#pragma once

#include "zoZezo/DataSource.h"

#include <QModelIndex>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

namespace zoZezo {

// The link of one data-aware control to one field of a data source's current record.
//
// It holds the data source through a guard: a data source freed first leaves the link without
// one, as if DataSource had been set to none. It resolves the field name to a column whenever
// the binding or the record set changes, and tells why it cannot show the field (BindingError).
class TFieldDataLink : public QObject {
    Q_OBJECT

public:
    explicit TFieldDataLink(QObject* Parent = nullptr);

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);
    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value);

    // The control the link serves (informational, not owned).
    QObject* Control() const { return FControl; }
    void SetControl(QObject* Value) { FControl = Value; }

    // The column of the field in the record set, or -1.
    int FieldIndex() const;
    // True when the link shows a field of a current record.
    bool Active() const;
    // True when the field of the current record can be changed.
    bool CanModify() const;
    // The field's value in the current record (null when not Active).
    QVariant FieldValue() const;
    // The field's cell in the current record; invalid when not Active.
    QModelIndex FieldCell() const;
    // Hands a changed value to the data source, starting its edit; false (with the data
    // source's Error) when it refuses.
    bool SetFieldValue(const QVariant& Value);
    // Starts editing the current record.
    bool Edit();

    // Why a bound link shows nothing: no record set, or no field of that name. Empty when the
    // link works, and when it has no data source or no field name at all.
    QString BindingError() const;

signals:
    // The record, its data or the binding changed: show FieldValue() again.
    void DataChange();
    // The data source is about to write: hand in any change now with SetFieldValue().
    void UpdateData();
    // The data source's state changed (editing started or ended).
    void EditingChange();
    // The data source reported a failure.
    void Error(const QString& Message);

private:
    QPointer<TDataSource> FDataSource;
    QString FFieldName;
    QObject* FControl = nullptr;
};

} // namespace zoZezo
