#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "zoZezo/zoZezo.h"

#include <array>

namespace zoZezo::fuzz {
namespace {

constexpr std::size_t MaxLines = 16;
// A refused computation is mostly a recursion that went 100,000 calls deep; an input stops
// after this many, so that such inputs do not take most of the fuzzing time.
constexpr int MaxRefusals = 2;

// Arguments for the computations: the K-th equation gets the first K % 4 of them, so that
// equations get too few, enough and too many.
constexpr std::array<TComplex, 3> Arguments = {TComplex{2, 0}, TComplex{-1.5L, 0.5L},
                                               TComplex{1e300L, -1e-300L}};

// Adds Line as a new equation, or with "!k text" gives equation k the new text; checks it.
void Enter(TEquations& Equations, std::string_view Line) {
    if (Line.size() >= 2 && Line[0] == '!' && Equations.Count() > 0) {
        TEquation& Target =
            *Equations.GetEquation(static_cast<unsigned char>(Line[1]) % Equations.Count());
        Target.SetEquationStr(std::string(Line.substr(2)));
        Target.Check();
    } else {
        Equations.Add(std::string(Line))->Check();
    }
}

// Computes the K-th equation; false when the computation was refused.
bool Compute(TEquation& Equation, std::size_t K) {
    const std::size_t Count = K % (Arguments.size() + 1);
    try {
        if (K % 2 == 0) {
            (void)Equation.ComputeArgsC(std::span(Arguments).first(Count));
        } else {
            std::array<long double, Arguments.size()> Reals{};
            for (std::size_t A = 0; A < Count; ++A)
                Reals[A] = Arguments[A].Re;
            (void)Equation.ComputeArgs(std::span(Reals).first(Count));
        }
        return true;
    } catch (const EzoZezoEvaluatorError&) {
        return false; // a clear refusal is a good outcome
    }
}

} // namespace

int FuzzCompute(const std::uint8_t* Data, std::size_t Size) {
    SilenceMessages();
    RandSeed(1);
    TzoZezoEvaluator Evaluator;
    long double Cells[3] = {3, -0.5L, 2};
    Evaluator.Variables().Add("x", &Cells[0], nullptr);
    Evaluator.Variables().Add("y", &Cells[1], &Cells[2]);
    Evaluator.Variables().Add("z", nullptr, nullptr);
    std::string_view Input(reinterpret_cast<const char*>(Data), Size);
    for (std::size_t Lines = 0; Lines < MaxLines && !Input.empty(); ++Lines) {
        const std::size_t End = std::min(Input.find('\n'), Input.size());
        Enter(Evaluator.Equations(), Input.substr(0, End));
        Input.remove_prefix(std::min(End + 1, Input.size()));
    }
    const auto& Equations = Evaluator.Equations().Items();
    int Refusals = 0;
    for (std::size_t K = 0; K < Equations.size() && Refusals < MaxRefusals; ++K)
        Refusals += Compute(*Equations[K], K) ? 0 : 1;
    return 0;
}

} // namespace zoZezo::fuzz
