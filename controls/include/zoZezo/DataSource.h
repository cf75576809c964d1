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
// Revisions. When RevisionField names an integer column of the table, a post writes only where
// that column still holds the value the edit began with, and counts it up by one in the same
// UPDATE; no edit saved by another connection in between is overwritten. When the record was
// saved by someone else meanwhile, the post is a conflict: nothing is written, the changes stay
// (dsEdit), InConflict() is true, StoredRecord() holds the record as it is stored now, and Error
// says so. The host then lets the user choose: AdoptStoredRevision() builds the changes on the
// stored record (the next post writes over it, knowingly), Cancel() drops them and shows the
// stored record. A table without that column is written as without revisions.
//
// Failure. A post that fails leaves the data source in dsEdit with every change kept, emits
// Error with the database's message, and returns false; posting again later writes the same
// changes. A record set freed while a record is edited ends the edit: the changes cannot be
// written anywhere, and Error says so (editors keep the text in sight). Nothing here throws.
//
// The current record of a QSqlTableModel stays current when the model is selected again,
// wherever its row moves (found by its primary key, or by all its values).
class TDataSource : public QObject {
    Q_OBJECT
    Q_PROPERTY(QAbstractItemModel* Model READ Model WRITE SetModel)
    Q_PROPERTY(int CurrentRow READ CurrentRow WRITE MoveTo NOTIFY CurrentRowChanged)
    Q_PROPERTY(QString RevisionField READ RevisionField WRITE SetRevisionField)

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
    // Drops the pending changes; the editors show the stored record again (read anew from a
    // SQL table).
    void Cancel();

    // The column that counts the saves of a record (see Revisions above); empty for none.
    QString RevisionField() const { return FRevisionField; }
    void SetRevisionField(const QString& Name) { FRevisionField = Name; }
    // Reads the current record from its table again. Without pending changes the editors show
    // what is stored now. With pending changes they keep them; if someone else saved the record
    // since the changes began, that is reported as the conflict a post would meet (writing
    // nothing). Returns false on a conflict or a failure to read.
    bool Refresh();
    // True from a post (or Refresh) that met a newer revision until the edit ends or the
    // changes are built on the stored record.
    bool InConflict() const { return !FStored.isEmpty(); }
    // The record as it was stored when the conflict was found; empty without a conflict.
    QSqlRecord StoredRecord() const { return FStored; }
    // Builds the pending changes on StoredRecord(): the next post writes over that version, and
    // only over that one. Ends the conflict.
    void AdoptStoredRevision();

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
    // InConflict() changed.
    void ConflictChanged();

private:
    bool CheckBrowseMode();
    bool Fail(const QString& Message);
    bool WriteChanges();
    bool WriteToTable(QSqlTableModel& Table);
    bool WriteToModel();
    bool FindConflict(QSqlTableModel& Table);
    int RevisionColumn() const;
    QSqlRecord ReadStored(QSqlTableModel& Table, const QSqlRecord& Loaded, QString& Message) const;
    void SetStored(const QSqlRecord& Record);
    QSqlRecord WrittenRecord() const;
    void ReadRowAgain(QSqlTableModel& Table, const QSqlRecord& Record);
    void EndEdit();
    void SetRow(int Row);
    void NotifyState();
    void ConnectModel();
    void ModelDestroyed();
    void ModelAboutToBeReset();
    void ModelReset();
    void RowsInserted(const QModelIndex& Parent, int First, int Last);
    void RowsRemoved(const QModelIndex& Parent, int First, int Last);
    void LayoutAboutToChange();
    void LayoutChanged();
    void ModelDataChanged(const QModelIndex& TopLeft, const QModelIndex& BottomRight);

    QPointer<QAbstractItemModel> FModel;
    int FRow = -1;
    bool FEditing = false;
    QMap<int, QVariant> FChanges; // pending field values by column
    QSqlRecord FOriginal;         // the SQL record as it was when the edit began
    QSqlRecord FStored;           // the record someone else saved: the conflict
    QSqlRecord FBookmark;         // the current record's key across a model reset
    QString FRevisionField;
    QPersistentModelIndex FEditedRecord;  // the edited row of a non-SQL model
    QPersistentModelIndex FLayoutCurrent; // the current row across a layout change
    QString FLastError;
    TDataSetState FReportedState = TDataSetState::dsInactive; // last state StateChanged told
};

} // namespace zoZezo

Q_DECLARE_METATYPE(zoZezo::TDataSetState)
