#include "MainWindow.h"
#include "Screenshot.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTemporaryDir>
#include <cstdio>

int main(int Argc, char** Argv) {
    QApplication Application(Argc, Argv);
    QApplication::setOrganizationName("zoZezo");
    QApplication::setApplicationName("zezo-workbench");
    QApplication::setApplicationVersion("1.0.0");

    QCommandLineParser Parser;
    Parser.setApplicationDescription("Write equations, see their values, plot them.");
    Parser.addHelpOption();
    Parser.addVersionOption();
    const QCommandLineOption Database(
        {"d", "database"},
        QString("The document store: an SQLite file, or a PostgreSQL server's database as "
                "postgresql://user@host:5432/dbname (the password from PGPASSWORD or "
                "~/.pgpass, or asked for). Default: the store opened last, else %1.")
            .arg(workbench::TMainWindow::DefaultDatabasePath()),
        "store");
    const QCommandLineOption Screenshot(
        "screenshot",
        "Show the circuit example with a plot, save a picture of the window to <png> and quit. "
        "Without --database it uses a new database of its own.",
        "png");
    Parser.addOption(Database);
    Parser.addOption(Screenshot);
    Parser.process(Application);

    QTemporaryDir Scratch;
    QString Path = Parser.value(Database);
    if (Path.isEmpty() && Parser.isSet(Screenshot)) Path = Scratch.filePath("documents.sqlite");
    if (Path.isEmpty()) Path = workbench::TMainWindow::LastDatabase();
    if (Path.isEmpty()) Path = workbench::TMainWindow::DefaultDatabasePath();

    workbench::TMainWindow Window;
    if (Parser.isSet(Screenshot)) {
        Window.SetWarning([](const QString& Text) {
            std::fprintf(stderr, "zezo-workbench: %s\n", qPrintable(Text));
        });
        Window.SetStorePrompts({}); // nobody to ask: a store that needs a password is refused
        if (!Window.OpenDatabase(Path)) return 1; // the warning said why
        QString Error;
        if (!workbench::TakeScreenshot(Window, Parser.value(Screenshot), Error)) {
            std::fprintf(stderr, "zezo-workbench: %s\n", qPrintable(Error));
            return 1;
        }
        return 0;
    }
    Window.OpenDatabase(Path);
    Window.show();
    return QApplication::exec();
}
