#pragma once

#include "PlotSettings.h"
#include "StoreLocation.h"
#include "VariablesModel.h"

#include <QObject>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QSqlTableModel;

namespace workbench {

// The equation documents of one store, an SQLite file or a PostgreSQL database (see
// StoreSchema for the tables): the table `documents` (id, name, body, revision) seen through a
// QSqlTableModel, which the document list and the data-aware memo share, so that both always
// show the same rows; beside each document its variables' values and plot settings, and for
// each user the document last opened.
//
// Opening sets up an empty database silently (a new file, a new database), upgrades the tables
// of an older workbench, and refuses those of a newer one. A database that holds other tables is
// changed only when the caller says the user agreed (orConsentNeeded). A file that is not a
// database is refused before anything is written to it; a file without write permission opens
// read-only (an older one is read as it is), and every write then fails with the database's
// message instead of changing the file.
//
// Several workbenches may share a store: the memo writes a document's text only over the
// revision it loaded (TDataSource::RevisionField, "revision"). On PostgreSQL the store hears
// of documents that others add, change or delete (DocumentChanged). When the server goes away,
// operations fail with its message; Reconnect() opens the connection again.
class TDocumentStore : public QObject {
    Q_OBJECT

public:
    enum TColumn { dcId, dcName, dcBody, dcRevision };
    enum class TOpenResult {
        orOpened,
        orFailed,         // ErrorText() says why
        orPasswordNeeded, // the server wants a password (none given, or a wrong one)
        orConsentNeeded,  // the database holds other tables; ErrorText() names them
    };
    struct TOpenOptions {
        bool MaySetUpBeside = false; // the user agreed to add the tables beside others
        bool Examples = true;        // a new store starts with the bundled examples
        bool MustBeNew = false;      // a file that exists already is refused
    };

    explicit TDocumentStore(QObject* Parent = nullptr);
    ~TDocumentStore() override;

    // Opens (or creates) the store, closing the one open before; the store is closed again
    // unless the result is orOpened.
    TOpenResult Open(const TStoreLocation& Location, const TOpenOptions& Options);
    // Opens a file or a connection URL with the default options; true when opened.
    bool Open(const QString& Location);
    void Close();
    bool IsOpen() const;
    const TStoreLocation& Location() const { return FLocation; }
    // The file or the URL (without password) as the user would give it again.
    QString Path() const { return FLocation.Text(); }
    bool ReadOnly() const { return FReadOnly; }
    // Why the last operation failed; empty after one that succeeded.
    QString ErrorText() const { return FErrorText; }

    // The documents, ordered by id; null while closed.
    QSqlTableModel* Model() const { return FModel.get(); }
    int Count() const;
    QString Name(int Row) const;
    QString Body(int Row) const;
    // The row of the document with this id, -1 when there is none.
    int RowOfId(qint64 Id) const;
    qint64 IdOfRow(int Row) const;

    // Each returns false, with ErrorText(), when the database refused the change; the rows
    // are then as they were. Each reads the documents again, so others' changes show too.
    // Appends a document and gives its row in Row.
    bool Create(const QString& Name, const QString& Body, int& Row);
    bool Rename(int Row, const QString& Name);
    bool Remove(int Row);
    // Writes a document's text at once, as a save of its next revision.
    bool SetBody(int Row, const QString& Body);

    // A name for a new document that no document has yet: "Untitled", "Untitled 2", ...
    QString UnusedName() const;

    // Reads the documents again (the current one of a data source stays current). False, with
    // ErrorText(), when the database cannot be reached; the rows stay as they were then.
    bool Refresh();
    // Asks the database for nothing, to learn whether it can still be reached; false, with
    // ErrorText(), when it cannot (a broken connection is then ConnectionLost()).
    bool Reachable();
    // True when the connection to the server broke (the last statement found it gone).
    bool ConnectionLost() const;
    // Opens a broken connection again and reads the documents again; true when connected.
    bool Reconnect();

    // Each document's inputs. Reading gives nothing when there are none (or the store keeps
    // none, as an older read-only file); writing returns false, with ErrorText(), on failure.
    std::vector<TVariableCell> Variables(qint64 Id);
    bool SetVariables(qint64 Id, const std::vector<TVariableCell>& Variables);
    std::optional<TPlotSettings> PlotSettings(qint64 Id);
    bool SetPlotSettings(qint64 Id, const TPlotSettings& Settings);
    // The document this user opened last in this store, -1 when none is known.
    qint64 LastDocument();
    bool SetLastDocument(qint64 Id);

signals:
    // Someone else added, changed or deleted the document with this id (PostgreSQL only).
    void DocumentChanged(qint64 Id);

private:
    TOpenResult OpenStore(const TStoreLocation& Location, const TOpenOptions& Options);
    bool CheckFile(const TStoreLocation& Location, const TOpenOptions& Options);
    TOpenResult PrepareSchema(const TOpenOptions& Options, bool& Created);
    bool AddExamples();
    void Subscribe();
    void Notified(const QString& Name, QSqlDriver::NotificationSource Source,
                  const QVariant& Payload);
    QSqlDatabase Database() const;
    bool Fail(const QString& Text);
    bool Changed(bool Written, const QString& Error);
    bool CheckRow(int Row);

    QString FConnection;
    TStoreLocation FLocation;
    QString FSchema; // where the documents are on a server (another schema's notices are not ours)
    QString FErrorText;
    bool FReadOnly = false;
    std::unique_ptr<QSqlTableModel> FModel;
};

} // namespace workbench
