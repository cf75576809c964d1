#pragma once

#include "DocumentStore.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace workbench {

// What opening a store may have to ask the user.
struct TStorePrompts {
    // The server's password (Question says for what and why); none when the user cancels.
    std::function<std::optional<QString>(const QString& Question)> Password;
    // Whether to add the workbench's tables to a database that holds others.
    std::function<bool(const QString& Question)> Consent;

    // The questions as dialogs over Parent.
    static TStorePrompts Dialogs(QWidget* Parent);
};

// Opens the store at Location (a file or a connection URL), asking for a password while the
// server refuses the one it has (three times at most) and for consent before setting up a
// database that holds other tables. Null, with Error saying why, when it cannot be opened.
std::unique_ptr<TDocumentStore> OpenStore(const QString& Location,
                                          TDocumentStore::TOpenOptions Options,
                                          const TStorePrompts& Prompts, QString& Error);

} // namespace workbench
