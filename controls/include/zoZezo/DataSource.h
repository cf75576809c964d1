#pragma once

#include <QMap>
#include <QObject>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

class QAbstractItemModel;
class QSqlTableModel;

namespace zoZezo {

// What a data source is doing with its current record.
enum class TDataSetState {
    dsInactive, // no current record (no record set, or no records) and nothing to write
    dsBrowse,   // showing the current record, nothing changed
    dsEdit,     // changes not yet written (kept even if their record goes away meanwhile)
};

// A record set and its current record, for data-aware editors.
//
// The record set is any QAbstractItemModel whose rows are records and whose columns are fields;
// a QSqlTableModel (or a subclass) is the usual one. The data source does not own it and clears
// itself when the model is freed first.
//
// Editing follows a data-aware form: Edit() starts it, editors hand their changes in with
// SetFieldValue() when the data source asks for them (UpdateRecord), Post() writes them and
// Cancel() drops them. Moving to another record, setting another model, and freeing the data
// source post the changes first; a move that cannot post stays on the record.
//
// Writing. Into a QSqlTableModel the changed fields go straight to its table through its own
// connection, in one UPDATE that names the record by its primary key (by all its original
// values when the table has none), inside a transaction when the connection can open one; the
// write counts only when exactly one row changed. The row of the model is then read again. The
// model's own edit strategy and cache are not used: do not mix this with the model's setData.
// Into any other model the fields go through setData().
//
// Failure. A post that fails leaves the data source in dsEdit with every change kept, emits
// Error with the database's message, and returns false; posting again later writes the same
// changes. A record set freed while a record is edited ends the edit: the changes cannot be
// written anywhere, and Error says so (editors keep the text in sight). Nothing here throws.
class TDataSource : public QObject {
    Q_OBJECT
    Q_PROPERTY(QAbstractItemModel* Model READ Model WRITE SetModel)
    Q_PROPERTY(int CurrentRow READ CurrentRow WRITE MoveTo NOTIFY CurrentRowChanged)

public:
    explicit TDataSource(QObject* Parent = nullptr);
    // Posts pending changes (their failure is reported through Error), then detaches.
    ~TDataSource() override;

    QAbstractItemModel* Model() const { return FModel; }
    // Posts pending changes first; returns false, keeping the old model, when that fails.
    // The current record becomes the first one.
    bool SetModel(QAbstractItemModel* Value);

    TDataSetState State() const;

    // The current record: a row of the model, or -1 when there is none.
    int CurrentRow() const { return FModel ? FRow : -1; }
    int RecordCount() const;

    // Navigation. Each posts pending changes first and stays put, returning false, if that
    // fails; a move past either end stays on the first or last record and returns false.
    bool First();
    bool Prior();
    bool Next();
    bool Last();
    bool MoveTo(int Row);

    // The column of a field by name (letter case ignored), or -1. For SQL models this is the
    // record's field name, for others the horizontal header text.
    int FieldIndex(const QString& Name) const;
    // The value of a field of the current record: the pending change if there is one, else the
    // model's value; a null QVariant without a current record or for an unknown column.
    QVariant FieldValue(int Column) const;
    // Whether the current record's field can be changed.
    bool CanModify(int Column) const;

    // Starts editing the current record; true when in dsEdit afterwards.
    bool Edit();
    // Records a change of a field of the current record (starting the edit if needed).
    bool SetFieldValue(int Column, const QVariant& Value);
    // Asks the editors for their changes (UpdateRecord) and writes them. True when nothing is
    // left unwritten.
    bool Post();
    // Drops the pending changes; the editors show the stored record again.
    void Cancel();

    // The message of the last failure, empty after a successful post or move.
    QString LastError() const { return FLastError; }

signals:
    // The current record changed, its data changed, or the record set did.
    void DataChanged();
    // The current record moved to another row (-1 for none).
    void CurrentRowChanged(int Row);
    void StateChanged(zoZezo::TDataSetState State);
    // Before a post: editors with changes hand them in now through SetFieldValue().
    void UpdateRecord();
    // A post, a move or an edit failed; Message is the database's text where there is one.
    void Error(const QString& Message);

private:
    bool CheckBrowseMode();
    bool Fail(const QString& Message);
    bool WriteChanges();
    bool WriteToTable(QSqlTableModel& Table);
    bool WriteToModel();
    void ReadRowAgain(QSqlTableModel& Table, const QSqlRecord& Original);
    void EndEdit();
    void SetRow(int Row);
    void NotifyState();
    void ConnectModel();
    void ModelDestroyed();
    void ModelReset();
    void RowsInserted(const QModelIndex& Parent, int First, int Last);
    void RowsRemoved(const QModelIndex& Parent, int First, int Last);
    void LayoutAboutToChange();
    void LayoutChanged();
    void ModelDataChanged(const QModelIndex& TopLeft, const QModelIndex& BottomRight);

    QPointer<QAbstractItemModel> FModel;
    int FRow = -1;
    bool FEditing = false;
    QMap<int, QVariant> FChanges;         // pending field values by column
    QSqlRecord FOriginal;                 // the SQL record as it was when the edit began
    QPersistentModelIndex FEditedRecord;  // the edited row of a non-SQL model
    QPersistentModelIndex FLayoutCurrent; // the current row across a layout change
    QString FLastError;
    TDataSetState FReportedState = TDataSetState::dsInactive; // last state StateChanged told
};

} // namespace zoZezo

Q_DECLARE_METATYPE(zoZezo::TDataSetState)
