#include "zoZezo/MessageBoxHandler.h"

#include "zoZezo/Platform.h"

#include <QApplication>
#include <QMessageBox>

namespace zoZezo {
namespace {

using TPlainHandler = void (*)(const std::string&);

// The core's default handler, taken out for a moment and put back with the current one.
TMessageHandler DefaultHandler() {
    auto Current = SetMessageHandler({});
    return SetMessageHandler(std::move(Current));
}

// True when the installed handler is the core's default one (or the same plain function).
bool DefaultHandlerInstalled(const TMessageHandler& Default) {
    auto Current = SetMessageHandler({});
    const auto* Installed = Current.target<TPlainHandler>();
    const auto* Plain = Default.target<TPlainHandler>();
    const bool Same = Installed && Plain && *Installed == *Plain;
    SetMessageHandler(std::move(Current));
    return Same;
}

bool& InstalledOnce() {
    static bool Flag = false;
    return Flag;
}

} // namespace

bool InstallMessageBoxHandler() {
    if (InstalledOnce()) return true;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
    auto Default = DefaultHandler();
    if (!DefaultHandlerInstalled(Default)) return false;
    SetMessageHandler([Fallback = std::move(Default)](const std::string& Text) {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return Fallback(Text);
        QMessageBox::warning(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                             QString::fromStdString(Text));
    });
    InstalledOnce() = true;
    return true;
}

} // namespace zoZezo
