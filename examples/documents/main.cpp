// The data-aware equation memo on a SQLite file of equation documents:
//   equation-documents [DATABASE] [--screenshot IMAGE.png]
// DATABASE defaults to equation-documents.sqlite in the current folder and gets sample
// documents when new. With --screenshot the window is drawn after the first rebuild, saved to
// the image and closed (QT_QPA_PLATFORM=offscreen runs it without a display).
#include "DocumentDatabase.h"
#include "DocumentsWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication App(argc, argv);
    QCommandLineParser Parser;
    Parser.setApplicationDescription(QStringLiteral("Equation documents in a SQLite file"));
    Parser.addHelpOption();
    Parser.addPositionalArgument(QStringLiteral("database"), QStringLiteral("the SQLite file"));
    const QCommandLineOption Screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save the window to <image> and quit."),
                                        QStringLiteral("image"));
    Parser.addOption(Screenshot);
    Parser.process(App);

    const QStringList Files = Parser.positionalArguments();
    QString Error;
    if (!TDocumentDatabase::Open(
            Files.isEmpty() ? QStringLiteral("equation-documents.sqlite") : Files.first(), Error)) {
        std::fprintf(stderr, "equation-documents: %s\n", qPrintable(Error));
        return 1;
    }
    int Status = 0;
    {
        TDocumentsWindow Window;
        Window.show();
        if (Parser.isSet(Screenshot)) {
            QObject::connect(&Window.Memo(), &zoZezo::TCustomovEquationMemo::OnEvaluate, &App, [&] {
                if (!Window.grab().save(Parser.value(Screenshot))) Status = 1;
                QTimer::singleShot(0, &Window, &QWidget::close);
            });
        }
        const int Result = App.exec();
        Status = Status ? Status : Result;
    }
    return Status;
}
