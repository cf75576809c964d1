// Computes one equation with the core built as a subproject; fails when the value is wrong.
#include <zoZezo/zoZezo.h>

#include <cstdio>

int main() {
    zoZezo::TzoZezoEvaluator Evaluator;
    long double X = 3;
    Evaluator.Variables().Add("x", &X, nullptr);
    auto* Equation = Evaluator.Equations().Add("y: 2*x^2 + 1");
    const long double Y = Equation->Compute();
    std::printf("y = %Lg\n", Y);
    return Y == 19 ? 0 : 1;
}
