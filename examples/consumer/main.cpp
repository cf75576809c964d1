// Uses the installed package: the evaluator with its tables, and a form-file round trip.
#include <cstdio>
#include <zoZezo/Form.h>
#include <zoZezo/zoZezo.h>

int main() {
    zoZezo::TzoZezoEvaluator Evaluator;
    long double X = 2;
    Evaluator.Variables().Add("x", &X, nullptr);
    Evaluator.Equations().Add("y: 2*x");
    Evaluator.CloseComment = '{';

    zoZezo::TzoZezoEvaluator Copy;
    zoZezo::LoadForm(Copy, zoZezo::SaveForm(Evaluator));

    const bool Ok = Evaluator.Variables().IndexOf("X") == 0 && Evaluator.Equations().Count() == 1 &&
                    Copy.CloseComment == '{';
    std::printf("consumer: %s\n", Ok ? "ok" : "FAILED");
    return Ok ? 0 : 1;
}
