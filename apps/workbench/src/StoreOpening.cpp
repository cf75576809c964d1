#include "StoreOpening.h"

#include <QInputDialog>
#include <QMessageBox>

namespace workbench {
namespace {

// The server's own words at the end of the client library's message ("... failed: FATAL:
// password authentication failed for user ..."), for a dialog that is not to fill the screen.
QString ServerReason(const QString& Message) {
    return Message.section("failed: ", -1).remove("FATAL:").simplified();
}

} // namespace

TStorePrompts TStorePrompts::Dialogs(QWidget* Parent) {
    TStorePrompts Prompts;
    Prompts.Password = [Parent](const QString& Question) -> std::optional<QString> {
        bool Ok = false;
        const QString Password = QInputDialog::getText(Parent, QObject::tr("Password"), Question,
                                                       QLineEdit::Password, QString(), &Ok);
        return Ok ? std::optional(Password) : std::nullopt;
    };
    Prompts.Consent = [Parent](const QString& Question) {
        return QMessageBox::question(Parent, QObject::tr("Set up the document store"), Question,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    return Prompts;
}

std::unique_ptr<TDocumentStore> OpenStore(const QString& Location,
                                          TDocumentStore::TOpenOptions Options,
                                          const TStorePrompts& Prompts, QString& Error) {
    TStoreLocation Where;
    if (!TStoreLocation::Parse(Location, Where, Error)) return nullptr;
    auto Store = std::make_unique<TDocumentStore>();
    constexpr int PasswordAttempts = 3;
    for (int Asked = 0;;) {
        switch (Store->Open(Where, Options)) {
        case TDocumentStore::TOpenResult::orOpened: return Store;
        case TDocumentStore::TOpenResult::orFailed: Error = Store->ErrorText(); return nullptr;
        case TDocumentStore::TOpenResult::orPasswordNeeded: {
            std::optional<QString> Password;
            const QString Question =
                QObject::tr("Password of %1 for %2:")
                    .arg(Where.User.isEmpty() ? qEnvironmentVariable("USER") : Where.User,
                         Where.Display());
            // The first time, the server only said that it wants one.
            if (Asked++ < PasswordAttempts && Prompts.Password)
                Password =
                    Prompts.Password(Where.Password.isEmpty()
                                         ? Question
                                         : QObject::tr("The server refused it: %1\n\n%2")
                                               .arg(ServerReason(Store->ErrorText()), Question));
            if (!Password) {
                Error = Store->ErrorText();
                return nullptr;
            }
            Where.Password = *Password;
            break;
        }
        case TDocumentStore::TOpenResult::orConsentNeeded:
            if (Options.MaySetUpBeside || !Prompts.Consent ||
                !Prompts.Consent(QObject::tr("%1.\n\nAdd the workbench's tables to it?")
                                     .arg(Store->ErrorText()))) {
                Error = QObject::tr("%1; nothing was changed there.").arg(Store->ErrorText());
                return nullptr;
            }
            Options.MaySetUpBeside = true;
            break;
        }
    }
}

} // namespace workbench
