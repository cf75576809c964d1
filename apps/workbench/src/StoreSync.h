#pragma once

#include "ConflictPanel.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

namespace zoZezo {
class TDataSource;
class TovDBEquationMemo;
} // namespace zoZezo

namespace workbench {

class TDocumentStore;

// Keeps the window's current document in step with a store that others share.
//
// - Others' changes: on PostgreSQL the store's notices read the documents again (a short while
//   after the last one), as CheckStore() does, which the window calls when it is activated;
//   CheckDocument(), called when the editor gains the focus, reads the current document alone.
//   A document without unsaved edits shows what is stored now; one being edited keeps the
//   user's text and, when someone else saved it meanwhile, shows the conflict.
// - Conflicts (found by a save or by such a check): the conflict panel shows the other version,
//   and the user's choice is carried out (Choose).
// - A server that went away: the text stays in the editor; the connection is tried again every
//   few seconds, and the edits are saved once it is back. A window that saves nothing learns of
//   it too: the connection is looked at every half minute, so that a server started again is
//   heard from again.
class TStoreSync : public QObject {
    Q_OBJECT

public:
    TStoreSync(zoZezo::TovDBEquationMemo& Memo, zoZezo::TDataSource& Source, TConflictPanel& Panel,
               QObject* Parent = nullptr);

    void SetStore(TDocumentStore* Store);
    // Reads the documents again and checks the current one against what is stored.
    void CheckStore();
    // Checks the current document against what is stored.
    void CheckDocument();
    // Carries out the user's choice in a conflict; false when nothing came of it (the save
    // failed, or there is no conflict).
    bool Choose(TConflictPanel::TChoice Choice);
    // Milliseconds between attempts to reach a server that went away.
    void SetRetryInterval(int Milliseconds) { FRetry.setInterval(Milliseconds); }
    // Milliseconds between looks at a server's connection while nothing else uses it.
    void SetWatchInterval(int Milliseconds) { FWatch.setInterval(Milliseconds); }
    bool Retrying() const { return FRetry.isActive(); }
    // What the user is told while the server cannot be reached.
    static QString LostText();

signals:
    // A line for the status bar.
    void Message(const QString& Text);

private:
    void ShowConflict();
    void AfterFailure();
    void Retry();
    void Watch();
    QString MergedText() const;

    zoZezo::TovDBEquationMemo& FMemo;
    zoZezo::TDataSource& FSource;
    TConflictPanel& FPanel;
    QPointer<TDocumentStore> FStore;
    QTimer FNoticed; // gathers a burst of notices into one reading
    QTimer FRetry;
    QTimer FWatch; // a connection no one uses may break unnoticed, and hear no notices
};

} // namespace workbench
