// An equation memo in a window, bound to an evaluator with a variable x the program owns.
// After every rebuild it prints the value of each equation that has no parameters.
//   memo-example                      opens the window
//   memo-example --screenshot FILE    renders the window offscreen into FILE (PNG) and exits
//   memo-example --data DATABASE [--screenshot FILE]
//                                     the data-aware mode: the equation documents of a SQLite
//                                     file (made when new), picked from a list into the memo
#include "documents/EquationDocuments.h"

#include <QApplication>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <zoZezo/Controls.h>
#include <zoZezo/zoZezo.h>

namespace {

const QStringList SampleEquations = {
    QStringLiteral("{ a projectile thrown at 30 degrees }"),
    QStringLiteral("v0: 12.5"),
    QStringLiteral("angle: 30*pi/180"),
    QStringLiteral("range: v0^2*Sin(2*angle)/9.81"),
    QStringLiteral("height(t): v0*Sin(angle)*t - 9.81*t^2/2"),
    QStringLiteral("top: height(x)"),
    QStringLiteral("z: (1+2j)*(3-1j)"),
};

// Prints "name = value" for each equation of the list that compiled and takes no arguments.
void PrintValues(zoZezo::TzoZezoEvaluator& Evaluator, const zoZezo::TCustomovEquationMemo& Memo) {
    auto& List = Evaluator.Equations();
    for (int I = 0; I < List.Count(); ++I) {
        zoZezo::TEquation& Equation = *List.GetEquation(I);
        if (Equation.ErrorCode() != 0 || Equation.FunctionName().empty() ||
            Equation.LocalConstants().Count() > 0)
            continue;
        try {
            const zoZezo::TComplex Value = Equation.ComputeC();
            std::printf("%s = %.10Lg%+.10Lgj\n", Equation.FunctionName().c_str(), Value.Re,
                        Value.Im);
        } catch (const std::exception& Error) {
            std::printf("%s: %s\n", Equation.FunctionName().c_str(), Error.what());
        }
    }
    if (Memo.ErrorLine() > 0) std::printf("%s\n", qPrintable(Memo.StatusText()));
    std::printf("--\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    const bool Data = argc >= 3 && QByteArray(argv[1]) == "--data";
    const int Option = Data ? 3 : 1; // where --screenshot may stand
    const bool Screenshot = argc == Option + 2 && QByteArray(argv[Option]) == "--screenshot";
    if (Screenshot) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication Application(argc, argv);
    if (Data)
        return RunEquationDocuments(QString::fromLocal8Bit(argv[2]),
                                    Screenshot ? QString::fromLocal8Bit(argv[4]) : QString());

    zoZezo::TzoZezoEvaluator Evaluator;
    long double X = 0.5;
    Evaluator.Variables().Add("x", &X, nullptr);

    QWidget Window;
    Window.setWindowTitle(QStringLiteral("zoZezo equation memo"));
    auto* Layout = new QVBoxLayout(&Window);
    auto* Memo = new zoZezo::TovEquationMemo(&Window);
    Layout->addWidget(Memo);
    Memo->SetzoZezoEvaluator(&Evaluator);
    QObject::connect(
        Memo, &zoZezo::TCustomovEquationMemo::OnEvaluate, Memo,
        [&](zoZezo::TCustomovEquationMemo* Sender) { PrintValues(Evaluator, *Sender); });
    Memo->SetEquations(SampleEquations);
    Window.resize(460, 200);
    Window.show();

    if (!Screenshot) return Application.exec();
    // Rebuild at once rather than after the pause, then show a faulty line's report under
    // the coloured text: the last line fails, the lines above keep their colours.
    Memo->CheckEquations();
    QTextCursor Caret = Memo->Editor()->textCursor();
    Caret.movePosition(QTextCursor::End);
    Caret.insertText(QStringLiteral("\nbad: 2*(x+"));
    Memo->Editor()->setTextCursor(Caret);
    Memo->CheckEquations();
    QApplication::processEvents();
    return Window.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
