#include "zoZezo/Equation.h"

#include "zoZezo/Equations.h"

#include <utility>
#include <vector>

namespace zoZezo {

TEquation::TEquation(TEquations* Owner, std::string Text)
    : FOwner(Owner), FEquationStr(std::move(Text)) {
    if (FOwner) FOwner->Append(this);
}

TEquation::~TEquation() {
    if (FOwner) FOwner->Remove(this);
}

void TEquation::SetEquationStr(std::string Text) {
    if (CompareText(Text, FEquationStr) == 0) return;
    FEquationStr = std::move(Text);
    FChecked = false;
}

void TEquation::SetFunctionName(const std::string& Name) {
    if (Name == FFunctionName) return;
    const std::string Old = std::exchange(FFunctionName, Name);
    if (FOwner) FOwner->Renamed(*this, Old);
}

const std::string& TEquation::GetFunctionName() {
    if (!FChecked) Check();
    return FFunctionName;
}

void TEquation::ClearInstructions() {
    FCode.clear();
    FStackDepth = 0;
    FLocalConstants.Clear();
}

long double TEquation::ComputeArgs(std::span<const long double> Args) {
    std::vector<TComplex> Complex(Args.size());
    for (std::size_t K = 0; K < Args.size(); ++K)
        Complex[K] = {Args[K], 0};
    return ComputeArgsC(Complex).Re;
}

} // namespace zoZezo
