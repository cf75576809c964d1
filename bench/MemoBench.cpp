// The equation memo on a 10,000-line document, offscreen: the rebuild with its recolouring,
// and one keystroke from the edit to the repainted line; and a keystroke in one coloured line
// of 100,000 characters. Its own program, as it needs a QApplication:
// build/bench/bench/zoZezoMemoBench.

#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <benchmark/benchmark.h>
#include <zoZezo/EquationMemo.h>

namespace {

constexpr int Lines = 10000;

// Values, functions with parameters, calls of them, references to earlier lines and
// comments, as a user might write them.
QStringList Document() {
    const char* Bodies[] = {"2*x^2+Sin(x)", "(x+1)*(x-1)/(x*x+1)", "Sqrt(x*x+2.5e-1)",
                            "Exp(-x*x/2)*Cos(3*x)", "pi*x+e-2.5 {constants}"};
    QStringList Text;
    for (int K = 0; K < Lines; ++K) {
        const QString N = QString::number(K), Before = QString::number(K - 1);
        switch (K % 4) {
        case 0: Text << "v" + N + ": " + Bodies[(K / 4) % 5]; break;
        case 1: Text << "g" + N + "(a;b): a*b+v" + Before; break;
        case 2: Text << "v" + N + ": 2*g" + Before + "(x;3)-pi {a call}"; break;
        default: Text << "v" + N + ": v" + Before + "+v" + QString::number(K - 3);
        }
    }
    return Text;
}

// One equation of 100,000 characters: names, numbers, symbols, calls and comments by turns,
// ending in a comment that pads it to the length.
QString LongLine() {
    constexpr int Length = 100'000;
    const char* Terms[] = {"+2*x", "-Sin(x)", "*1.5e-3", "+pi {c}"};
    QString Line = QStringLiteral("y: x");
    for (int K = 0; Line.size() + 16 < Length; ++K)
        Line += QLatin1String(Terms[K % 4]);
    return Line + '{' + QString(Length - Line.size() - 2, u'r') + '}';
}

// A shown memo holding Text, bound to an evaluator with a variable x.
struct TMemoSetup {
    long double X = 0.5;
    zoZezo::TzoZezoEvaluator Evaluator;
    zoZezo::TovEquationMemo Memo;

    explicit TMemoSetup(const QStringList& Text = Document()) {
        Evaluator.Variables().Add("x", &X, nullptr);
        Memo.SetzoZezoEvaluator(&Evaluator);
        Memo.SetRefreshDelay(3'600'000); // no rebuild but the measured ones
        Memo.resize(600, 400);
        Memo.show();
        Memo.SetEquations(Text);
    }

    // Forgets the colours, so that the next rebuild colours every line anew.
    void ForgetColours() {
        Memo.SetPlainText(true);
        Memo.SetPlainText(false);
    }
};

// The pause's rebuild of the whole document: every line compiled and every line coloured,
// then the editor repainted.
void RebuildAndRecolour(benchmark::State& State) {
    TMemoSetup Setup;
    for (auto _ : State) {
        State.PauseTiming();
        Setup.ForgetColours();
        State.ResumeTiming();
        Setup.Memo.CheckEquations();
        Setup.Memo.Editor()->viewport()->repaint();
    }
    if (Setup.Memo.ErrorLine() != 0) State.SkipWithError("the document has a faulty line");
}

// The same rebuild when no line's classes changed: only the compilation and the comparison.
void RebuildUnchangedColours(benchmark::State& State) {
    TMemoSetup Setup;
    Setup.Memo.CheckEquations();
    for (auto _ : State) {
        Setup.Memo.CheckEquations();
        Setup.Memo.Editor()->viewport()->repaint();
    }
}

// The editor's loop as a user meets it: one line of the coloured document edited, then the
// pause's rebuild, which compiles every line and recolours the one whose classes changed.
void EditOneLineAndRebuild(benchmark::State& State) {
    TMemoSetup Setup;
    Setup.Memo.CheckEquations();
    QTextCursor Caret(Setup.Memo.Editor()->document()->findBlockByNumber(Lines / 2 + 3));
    Caret.movePosition(QTextCursor::EndOfBlock);
    bool Append = true;
    for (auto _ : State) {
        if (Append) {
            Caret.insertText(QStringLiteral("+1"));
        } else {
            Caret.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, 2);
            Caret.removeSelectedText();
        }
        Append = !Append;
        Setup.Memo.CheckEquations();
        Setup.Memo.Editor()->viewport()->repaint();
    }
    if (Setup.Memo.ErrorLine() != 0) State.SkipWithError("the document has a faulty line");
}

// Keystrokes at Column of Line of the coloured text of Setup, in view: the edit, the line's
// classes following it, the highlighter repainting it, the editor repainted. Typing and
// deleting a character by turns keeps the text as it was.
void TypeInColouredText(benchmark::State& State, TMemoSetup& Setup, int Line, int Column) {
    Setup.Memo.CheckEquations();
    if (Setup.Memo.ErrorLine() != 0) State.SkipWithError("the text has a faulty line");
    QPlainTextEdit& Editor = *Setup.Memo.Editor();
    QTextCursor Caret(Editor.document()->findBlockByNumber(Line));
    Caret.setPosition(Caret.position() + std::min(Column, Caret.block().length() - 1));
    Editor.setTextCursor(Caret);
    Editor.ensureCursorVisible();
    Editor.viewport()->repaint();
    const int Equations = Setup.Evaluator.Equations().Count();
    bool Type = true;
    for (auto _ : State) {
        if (Type)
            QTest::keyClick(&Editor, Qt::Key_7);
        else
            QTest::keyClick(&Editor, Qt::Key_Backspace);
        Type = !Type;
        Editor.viewport()->repaint();
    }
    if (Setup.Evaluator.Equations().Count() != Equations) State.SkipWithError("a rebuild ran");
    if (Caret.block().layout()->formats().isEmpty()) State.SkipWithError("the line is uncoloured");
}

// One keystroke in a line in view of the coloured 10,000-line document.
void Keystroke(benchmark::State& State) {
    TMemoSetup Setup;
    TypeInColouredText(State, Setup, Lines / 2, Lines);
}

// One keystroke in the middle of one coloured line of 100,000 characters.
void LongLineKeystroke(benchmark::State& State) {
    TMemoSetup Setup({LongLine()});
    TypeInColouredText(State, Setup, 0, 50'000);
}

BENCHMARK(RebuildAndRecolour)->Unit(benchmark::kMillisecond);
BENCHMARK(RebuildUnchangedColours)->Unit(benchmark::kMillisecond);
BENCHMARK(EditOneLineAndRebuild)->Unit(benchmark::kMillisecond);
BENCHMARK(Keystroke)->Unit(benchmark::kMicrosecond);
BENCHMARK(LongLineKeystroke)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication Application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
