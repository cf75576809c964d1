#include "zoZezo/DataSource.h"

#include <QAbstractItemModel>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <algorithm>

namespace zoZezo {

namespace {

// The text of a database error for a user: the database's own words where it gave any.
// Never empty: a failure the database gave no words for still reads as one.
QString DatabaseMessage(const QSqlError& Error) {
    QString Text = Error.databaseText().trimmed();
    if (Text.isEmpty()) Text = Error.text().trimmed();
    return Text.isEmpty() ? TDataSource::tr("the database gave no reason") : Text;
}

// A field named like Source's, holding Source's value, free of any read-only mark.
QSqlField CopyOfField(const QSqlField& Source, const QVariant& Value) {
    QSqlField Field(Source.name(), Source.metaType(), Source.tableName());
    Field.setValue(Value);
    return Field;
}

// The fields that name Original's record in its table: the primary key, or every field.
QSqlRecord RecordKey(const QSqlTableModel& Table, const QSqlRecord& Original) {
    const QSqlIndex Key = Table.primaryKey();
    QSqlRecord Where;
    if (Key.isEmpty()) {
        for (int I = 0; I < Original.count(); ++I)
            Where.append(CopyOfField(Original.field(I), Original.value(I)));
        return Where;
    }
    for (int I = 0; I < Key.count(); ++I) {
        const QSqlField Field = Original.field(Key.fieldName(I));
        Where.append(CopyOfField(Field, Field.value()));
    }
    return Where;
}

// Whether B holds A's values in the fields of A's names.
bool SameValues(const QSqlRecord& A, const QSqlRecord& B) {
    for (int I = 0; I < A.count(); ++I)
        if (A.value(I) != B.value(A.fieldName(I))) return false;
    return true;
}

// The rows the model can give: fetches the rest of a lazily read record set up to Row.
void FetchUpTo(QAbstractItemModel& Model, int Row) {
    while (Row >= Model.rowCount() && Model.canFetchMore(QModelIndex()))
        Model.fetchMore(QModelIndex());
}

// The row of the record with Key, reading further into the record set until it is found; -1
// when it is not there.
int RowOfKey(QSqlTableModel& Table, const QSqlRecord& Key) {
    for (int Row = 0;; ++Row) {
        FetchUpTo(Table, Row);
        if (Row >= Table.rowCount()) return -1;
        if (SameValues(Key, Table.record(Row))) return Row;
    }
}

// The revision a save writes: one more than the one it replaces (a NULL counts as 0).
QVariant NextRevision(const QVariant& Revision) {
    return QVariant(Revision.isNull() ? qlonglong(1) : Revision.toLongLong() + 1);
}

bool SameRevision(const QVariant& A, const QVariant& B) {
    return A.isNull() == B.isNull() && A.toLongLong() == B.toLongLong();
}

QString NotSaved(const QString& Reason) {
    return TDataSource::tr("The record was not saved: %1.").arg(Reason);
}

QString SavedMeanwhile() {
    return TDataSource::tr("someone else saved it meanwhile");
}

QString DeletedMeanwhile() {
    return TDataSource::tr("another program deleted the record or changed its key");
}

} // namespace

TDataSource::TDataSource(QObject* Parent) : QObject(Parent) {}

TDataSource::~TDataSource() {
    if (FEditing) Post();
}

bool TDataSource::SetModel(QAbstractItemModel* Value) {
    if (Value == FModel) return true;
    if (!CheckBrowseMode()) return false;
    if (FModel) disconnect(FModel, nullptr, this, nullptr);
    FModel = Value;
    FRow = Value && Value->rowCount() > 0 ? 0 : -1;
    ConnectModel();
    NotifyState();
    emit CurrentRowChanged(CurrentRow());
    emit DataChanged();
    return true;
}

TDataSetState TDataSource::State() const {
    if (FEditing) return TDataSetState::dsEdit;
    return CurrentRow() < 0 ? TDataSetState::dsInactive : TDataSetState::dsBrowse;
}

int TDataSource::RecordCount() const {
    return FModel ? FModel->rowCount() : 0;
}

bool TDataSource::First() {
    return MoveTo(0);
}

bool TDataSource::Prior() {
    return MoveTo(CurrentRow() - 1);
}

bool TDataSource::Next() {
    return MoveTo(CurrentRow() + 1);
}

bool TDataSource::Last() {
    if (!FModel) return MoveTo(0);
    while (FModel->canFetchMore(QModelIndex()))
        FModel->fetchMore(QModelIndex());
    return MoveTo(FModel->rowCount() - 1);
}

bool TDataSource::MoveTo(int Row) {
    if (!FModel) return Fail(tr("The data source has no record set."));
    if (Row < 0) return false;
    FetchUpTo(*FModel, Row);
    if (Row >= FModel->rowCount()) return false;
    if (Row == FRow) return true;
    if (!CheckBrowseMode()) return false;
    FLastError.clear();
    SetRow(Row);
    return true;
}

int TDataSource::FieldIndex(const QString& Name) const {
    if (!FModel || Name.isEmpty()) return -1;
    if (const auto* Query = qobject_cast<const QSqlQueryModel*>(FModel.data())) {
        const int Column = Query->record().indexOf(Name);
        if (Column >= 0) return Column;
    }
    for (int Column = 0; Column < FModel->columnCount(); ++Column) {
        const QString Header = FModel->headerData(Column, Qt::Horizontal).toString();
        if (Header.compare(Name, Qt::CaseInsensitive) == 0) return Column;
    }
    return -1;
}

QVariant TDataSource::FieldValue(int Column) const {
    if (CurrentRow() < 0 || Column < 0 || Column >= FModel->columnCount()) return {};
    const auto Pending = FChanges.constFind(Column);
    if (Pending != FChanges.cend()) return *Pending;
    return FModel->data(FModel->index(FRow, Column), Qt::EditRole);
}

bool TDataSource::CanModify(int Column) const {
    if (CurrentRow() < 0 || Column < 0 || Column >= FModel->columnCount()) return false;
    if (const auto* Table = qobject_cast<const QSqlTableModel*>(FModel.data()))
        return !Table->tableName().isEmpty();
    return FModel->flags(FModel->index(FRow, Column)).testFlag(Qt::ItemIsEditable);
}

bool TDataSource::Edit() {
    if (FEditing) return true;
    if (CurrentRow() < 0) return Fail(tr("There is no current record to edit."));
    if (const auto* Table = qobject_cast<const QSqlTableModel*>(FModel.data()))
        FOriginal = Table->record(FRow);
    else
        FEditedRecord = FModel->index(FRow, 0);
    FEditing = true;
    NotifyState();
    return true;
}

bool TDataSource::SetFieldValue(int Column, const QVariant& Value) {
    // Once the edit runs, changes belong to the edited record, even if it is no longer the
    // current one (another program deleted it, say): the post then says what became of it.
    const bool Known = FModel && Column >= 0 && Column < FModel->columnCount();
    if (!(FEditing ? Known : CanModify(Column)))
        return Fail(
            tr("The field in column %1 of the current record cannot be changed.").arg(Column));
    if (!Edit()) return false;
    FChanges.insert(Column, Value);
    return true;
}

bool TDataSource::Post() {
    if (!FEditing) return true;
    emit UpdateRecord();
    if (FChanges.isEmpty()) {
        EndEdit();
        return true;
    }
    if (!FModel) return Fail(NotSaved(tr("the record set is gone")));
    auto* Table = qobject_cast<QSqlTableModel*>(FModel.data());
    if (!(Table ? WriteToTable(*Table) : WriteToModel())) return false;
    const QSqlRecord Written = Table ? WrittenRecord() : QSqlRecord();
    EndEdit();
    FLastError.clear();
    if (Table) ReadRowAgain(*Table, Written);
    emit DataChanged();
    return true;
}

// The edited record as the last post wrote it.
QSqlRecord TDataSource::WrittenRecord() const {
    QSqlRecord Written = FOriginal;
    for (auto [Column, Value] : FChanges.asKeyValueRange())
        Written.setValue(Column, Value);
    if (const int Revision = RevisionColumn(); Revision >= 0)
        Written.setValue(Revision, NextRevision(FOriginal.value(Revision)));
    return Written;
}

void TDataSource::Cancel() {
    if (!FEditing) return;
    const QSqlRecord Original = FOriginal;
    EndEdit();
    auto* Table = qobject_cast<QSqlTableModel*>(FModel.data());
    if (Table && !Original.isEmpty()) ReadRowAgain(*Table, Original);
    emit DataChanged();
}

bool TDataSource::Refresh() {
    auto* Table = qobject_cast<QSqlTableModel*>(FModel.data());
    if (!Table || (!FEditing && CurrentRow() < 0)) return true;
    const QSqlRecord Loaded = FEditing ? FOriginal : Table->record(FRow);
    if (Loaded.isEmpty()) return true;
    QString Message;
    const QSqlRecord Stored = ReadStored(*Table, Loaded, Message);
    if (!Message.isEmpty()) return Fail(Message);
    if (!FEditing) {
        if (Stored.isEmpty())
            Table->select(); // deleted meanwhile: the next record takes its place
        else if (!SameValues(Stored, Loaded))
            Table->selectRow(FRow);
        return true;
    }
    if (Stored.isEmpty()) return Fail(NotSaved(DeletedMeanwhile()));
    const int Revision = RevisionColumn();
    if (Revision < 0 || SameRevision(Stored.value(Revision), Loaded.value(Revision))) return true;
    SetStored(Stored);
    return Fail(tr("Someone else saved the record meanwhile: the changes here are not saved."));
}

void TDataSource::AdoptStoredRevision() {
    if (!InConflict()) return;
    FOriginal = FStored;
    SetStored({});
}

bool TDataSource::CheckBrowseMode() {
    return !FEditing || Post();
}

bool TDataSource::Fail(const QString& Message) {
    FLastError = Message;
    emit Error(Message);
    return false;
}

bool TDataSource::WriteToTable(QSqlTableModel& Table) {
    QSqlDatabase Db = Table.database();
    if (!Db.isOpen()) return Fail(NotSaved(tr("the database is not open")));
    const int Revision = RevisionColumn();
    QSqlRecord Values;
    for (auto [Column, Value] : FChanges.asKeyValueRange())
        if (Column != Revision) Values.append(CopyOfField(FOriginal.field(Column), Value));
    QSqlRecord Where = RecordKey(Table, FOriginal);
    if (Revision >= 0) {
        // Written only over the revision the edit began with, and counted up with it.
        const QSqlField Loaded = FOriginal.field(Revision);
        Values.append(CopyOfField(Loaded, NextRevision(Loaded.value())));
        if (!Where.contains(Loaded.name())) Where.append(CopyOfField(Loaded, Loaded.value()));
    }
    const QSqlDriver& Driver = *Db.driver();
    const QString Sql =
        Driver.sqlStatement(QSqlDriver::UpdateStatement, Table.tableName(), Values, true) +
        QLatin1Char(' ') +
        Driver.sqlStatement(QSqlDriver::WhereStatement, Table.tableName(), Where, true);

    const bool OwnTransaction = Driver.hasFeature(QSqlDriver::Transactions) && Db.transaction();
    // A server that went away is found out here (Qt closes the connection then).
    if (!Db.isOpen()) return Fail(NotSaved(tr("the connection to the database was lost")));
    QSqlQuery Query(Db);
    QString Message;
    const bool Prepared = Query.prepare(Sql);
    if (Prepared) {
        for (int I = 0; I < Values.count(); ++I)
            Query.addBindValue(Values.value(I));
        for (int I = 0; I < Where.count(); ++I)
            if (!Where.isNull(I)) Query.addBindValue(Where.value(I));
    }
    bool NoRow = false;
    if (!Prepared || !Query.exec()) // a statement that cannot be prepared says why there
        Message = DatabaseMessage(Query.lastError());
    else if ((NoRow = Query.numRowsAffected() == 0))
        Message = DeletedMeanwhile();
    else if (Query.numRowsAffected() > 1)
        Message = tr("%1 records of the table match it").arg(Query.numRowsAffected());
    Query.finish();
    if (OwnTransaction) {
        if (Message.isEmpty() && !Db.commit()) Message = DatabaseMessage(Db.lastError());
        if (!Message.isEmpty()) Db.rollback();
    }
    if (Message.isEmpty()) return true;
    if (NoRow && Revision >= 0 && FindConflict(Table)) Message = SavedMeanwhile();
    return Fail(NotSaved(Message));
}

// After an update that matched no row: whether the record is still there, saved by someone
// else under another revision. If so, it becomes the conflict's stored record.
bool TDataSource::FindConflict(QSqlTableModel& Table) {
    QString Message;
    const QSqlRecord Stored = ReadStored(Table, FOriginal, Message);
    if (Stored.isEmpty()) return false;
    SetStored(Stored);
    return true;
}

// The column of RevisionField in a SQL table, or -1.
int TDataSource::RevisionColumn() const {
    const auto* Table = qobject_cast<const QSqlTableModel*>(FModel.data());
    return Table && !FRevisionField.isEmpty() ? Table->record().indexOf(FRevisionField) : -1;
}

// The record of the table that has Loaded's key, as stored now, with the model's columns; empty
// when there is none, or when reading failed (Message then says why).
QSqlRecord TDataSource::ReadStored(QSqlTableModel& Table, const QSqlRecord& Loaded,
                                   QString& Message) const {
    QSqlDatabase Db = Table.database();
    const QSqlDriver& Driver = *Db.driver();
    const QSqlRecord Where = RecordKey(Table, Loaded);
    QSqlRecord Stored = Table.record();
    QSqlQuery Query(Db);
    const bool Prepared = Query.prepare(
        Driver.sqlStatement(QSqlDriver::SelectStatement, Table.tableName(), Stored, false) +
        QLatin1Char(' ') +
        Driver.sqlStatement(QSqlDriver::WhereStatement, Table.tableName(), Where, true));
    for (int I = 0; I < Where.count(); ++I)
        if (!Where.isNull(I)) Query.addBindValue(Where.value(I));
    if (!Prepared || !Query.exec()) {
        Message =
            tr("The record could not be read again: %1.").arg(DatabaseMessage(Query.lastError()));
        return {};
    }
    if (!Query.next()) return {};
    for (int I = 0; I < Stored.count(); ++I)
        Stored.setValue(I, Query.value(I));
    return Stored;
}

void TDataSource::SetStored(const QSqlRecord& Record) {
    const bool Was = InConflict();
    FStored = Record;
    if (Was != InConflict()) emit ConflictChanged();
}

bool TDataSource::WriteToModel() {
    if (!FEditedRecord.isValid()) return Fail(NotSaved(tr("it was removed from the record set")));
    for (auto [Column, Value] : FChanges.asKeyValueRange()) {
        const QModelIndex Index = FModel->index(FEditedRecord.row(), Column);
        if (!FModel->setData(Index, Value, Qt::EditRole))
            return Fail(NotSaved(tr("the record set refused the value of %1")
                                     .arg(FModel->headerData(Column, Qt::Horizontal).toString())));
    }
    return true;
}

// Reads the row of Record (as stored now) again; where it cannot be read alone, the whole
// record set, finding the record again afterwards.
void TDataSource::ReadRowAgain(QSqlTableModel& Table, const QSqlRecord& Record) {
    const QSqlRecord Key = RecordKey(Table, Record);
    if (!Table.primaryKey().isEmpty() && FRow >= 0 && SameValues(Key, Table.record(FRow))) {
        Table.selectRow(FRow);
        return;
    }
    FBookmark = Key;
    Table.select();
}

void TDataSource::EndEdit() {
    FChanges.clear();
    FOriginal = QSqlRecord();
    FEditedRecord = QPersistentModelIndex();
    FEditing = false;
    SetStored({});
    NotifyState();
}

void TDataSource::SetRow(int Row) {
    if (Row == FRow) return;
    FRow = Row;
    NotifyState();
    emit CurrentRowChanged(CurrentRow());
    emit DataChanged();
}

void TDataSource::NotifyState() {
    if (State() == FReportedState) return;
    FReportedState = State();
    emit StateChanged(FReportedState);
}

void TDataSource::ConnectModel() {
    if (!FModel) return;
    QAbstractItemModel* Model = FModel;
    connect(Model, &QObject::destroyed, this, &TDataSource::ModelDestroyed);
    connect(Model, &QAbstractItemModel::modelAboutToBeReset, this,
            &TDataSource::ModelAboutToBeReset);
    connect(Model, &QAbstractItemModel::modelReset, this, &TDataSource::ModelReset);
    connect(Model, &QAbstractItemModel::rowsInserted, this, &TDataSource::RowsInserted);
    connect(Model, &QAbstractItemModel::rowsRemoved, this, &TDataSource::RowsRemoved);
    connect(Model, &QAbstractItemModel::layoutAboutToBeChanged, this,
            &TDataSource::LayoutAboutToChange);
    connect(Model, &QAbstractItemModel::layoutChanged, this, &TDataSource::LayoutChanged);
    connect(Model, &QAbstractItemModel::dataChanged, this, &TDataSource::ModelDataChanged);
}

void TDataSource::ModelDestroyed() {
    FRow = -1;
    emit CurrentRowChanged(-1);
    // Editors still in the edit see the record set gone and keep their text in sight.
    emit DataChanged();
    if (FEditing) Fail(tr("The record set was freed before the changed record was saved."));
    EndEdit();
}

void TDataSource::ModelAboutToBeReset() {
    const auto* Table = qobject_cast<const QSqlTableModel*>(FModel.data());
    if (FBookmark.isEmpty() && Table && FRow >= 0 && FRow < Table->rowCount())
        FBookmark = RecordKey(*Table, Table->record(FRow));
}

void TDataSource::ModelReset() {
    auto* Table = qobject_cast<QSqlTableModel*>(FModel.data());
    int Row = Table && !FBookmark.isEmpty() ? RowOfKey(*Table, FBookmark) : -1;
    FBookmark = QSqlRecord();
    if (Row < 0 && FModel->rowCount() > 0) {
        Row = std::max(FRow, 0);
        FetchUpTo(*FModel, Row);
        Row = std::min(Row, FModel->rowCount() - 1);
    }
    const bool Moved = Row != FRow;
    FRow = Row;
    NotifyState();
    if (Moved) emit CurrentRowChanged(Row);
    emit DataChanged();
}

void TDataSource::RowsInserted(const QModelIndex& Parent, int First, int Last) {
    if (Parent.isValid()) return;
    if (FRow < 0) {
        SetRow(0);
    } else if (First <= FRow) {
        FRow += Last - First + 1;
        emit CurrentRowChanged(FRow);
    }
}

void TDataSource::RowsRemoved(const QModelIndex& Parent, int First, int Last) {
    if (Parent.isValid() || FRow < First) return;
    if (FRow > Last) {
        FRow -= Last - First + 1;
        emit CurrentRowChanged(FRow);
        return;
    }
    // The current record is gone: the one after it (or the new last one) takes its place.
    FRow = std::min(First, FModel->rowCount() - 1);
    NotifyState();
    emit CurrentRowChanged(FRow);
    emit DataChanged();
}

void TDataSource::LayoutAboutToChange() {
    FLayoutCurrent =
        FRow >= 0 ? QPersistentModelIndex(FModel->index(FRow, 0)) : QPersistentModelIndex();
}

void TDataSource::LayoutChanged() {
    if (FRow >= 0 && !FLayoutCurrent.isValid()) {
        ModelReset();
        return;
    }
    const int Row = FLayoutCurrent.isValid() ? FLayoutCurrent.row() : FRow;
    FLayoutCurrent = QPersistentModelIndex();
    if (Row == FRow) return;
    FRow = Row;
    emit CurrentRowChanged(Row);
}

void TDataSource::ModelDataChanged(const QModelIndex& TopLeft, const QModelIndex& BottomRight) {
    if (!TopLeft.parent().isValid() && TopLeft.row() <= FRow && FRow <= BottomRight.row())
        emit DataChanged();
}

} // namespace zoZezo
