// The host example of the README: an application that owns a value, lets its user write an
// equation over it, and computes the equation for a few values of its own.
#include <cstdio>
#include <zoZezo/zoZezo.h>

int main() {
    zoZezo::TzoZezoEvaluator Evaluator; // holds the built-in functions, e and pi

    long double X = 0;                           // a cell the host owns and keeps alive
    Evaluator.Variables().Add("x", &X, nullptr); // x reads the cell at every computation

    zoZezo::TEquation* Y = Evaluator.Equations().Add("y: 2*x^2+Sin(x)");
    if (!Y->Check()) { // compile errors are recorded, never thrown
        std::fprintf(stderr, "%s: %s (position %d)\n", Y->EquationStr().c_str(),
                     Y->ErrorMsg().c_str(), Y->ErrorPos());
        return 1;
    }
    for (X = 0; X <= 2; X += 0.5L)
        std::printf("y(%Lg) = %.18Lg\n", X, Y->Compute());
    return 0;
}
