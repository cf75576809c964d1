// Uses the installed editor widgets: a memo rebuilds an evaluator's list from its text.
#include <QApplication>
#include <cstdio>
#include <zoZezo/EquationMemo.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication Application(argc, argv);
    zoZezo::TzoZezoEvaluator Evaluator;
    zoZezo::TovEquationMemo Memo;
    Memo.SetzoZezoEvaluator(&Evaluator);
    Memo.SetEquations({QStringLiteral("a: 2"), QStringLiteral("b: a*3")});
    Memo.Refresh();
    const bool Ok =
        Evaluator.Equations().Count() == 2 && Evaluator.Equations().GetEquation(1)->Compute() == 6;
    std::printf("consumer-memo: %s\n", Ok ? "ok" : "FAILED");
    return Ok ? 0 : 1;
}
