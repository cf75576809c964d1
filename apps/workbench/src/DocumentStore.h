#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <memory>

class QSqlTableModel;

namespace workbench {

// The equation documents of one SQLite file: a table `documents` (id, name, body) seen
// through a QSqlTableModel, which the document list and the data-aware memo share, so that
// both always show the same rows. A new file gets the bundled examples as its first
// documents. A file that is not a database is refused before anything is written to it; a
// file without write permission opens read-only, and every write then fails with the
// database's message instead of changing the file.
class TDocumentStore : public QObject {
    Q_OBJECT

public:
    enum TColumn { dcId, dcName, dcBody };

    explicit TDocumentStore(QObject* Parent = nullptr);
    ~TDocumentStore() override;

    // Opens (or creates) the file, closing the one open before. Returns false, with
    // ErrorText() saying why, when the file cannot be used; the store is then closed.
    bool Open(const QString& Path);
    void Close();
    bool IsOpen() const;
    QString Path() const { return FPath; }
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
    // are then as they were.
    // Appends a document and gives its row in Row.
    bool Create(const QString& Name, const QString& Body, int& Row);
    bool Rename(int Row, const QString& Name);
    bool Remove(int Row);
    // Writes a document's text at once.
    bool SetBody(int Row, const QString& Body);

    // A name for a new document that no document has yet: "Untitled", "Untitled 2", ...
    QString UnusedName() const;

private:
    bool OpenFile(const QString& Path);
    bool Fail(const QString& Text);
    bool Submit();
    bool CreateSchema(bool& Created);
    bool AddExamples();

    QString FConnection;
    QString FPath;
    QString FErrorText;
    bool FReadOnly = false;
    std::unique_ptr<QSqlTableModel> FModel;
};

} // namespace workbench
