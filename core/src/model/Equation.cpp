#include "zoZezo/Equation.h"

#include "native/NativeCode.h"
#include "zoZezo/Equations.h"
#include "zoZezo/Exception.h"

#include <atomic>
#include <utility>
#include <vector>

namespace zoZezo {
namespace {
// Versions of compiled code, unique in the process, so that native code can tell a called
// equation's code from every other.
std::atomic<std::uint64_t> CodeVersions{0};
} // namespace

TEquation::TEquation(TEquations* Owner, std::string Text)
    : FOwner(Owner), FEquationStr(std::move(Text)) {
    if (FOwner) FOwner->Append(this);
}

TEquation::~TEquation() {
    if (FOwner && !FFreed) FOwner->Remove(this);
}

void TEquation::operator delete(TEquation* Equation, std::destroying_delete_t) {
    if (!Equation) return; // a compiler may call it for a null pointer
    if (Equation->FLocks > 0 || Equation->FPins > 0) {
        if (Equation->FOwner && !Equation->FFreed) Equation->FOwner->Remove(Equation);
        Equation->FFreed = true;
        return;
    }
    Equation->~TEquation();
    ::operator delete(Equation);
}

void TEquation::FreeWhenUnused() {
    if (FLocks == 0 && FPins == 0) delete this;
}

void TEquation::RequireIdle() const {
    if (!Busy()) return;
    const std::string& Name = FFunctionName.empty() ? FEquationStr : FFunctionName;
    throw EzoZezoEvaluatorError("Equation '" + Name +
                                "' cannot be changed while it is being compiled or computed");
}

void TEquation::SetEquationStr(std::string Text) {
    if (CompareText(Text, FEquationStr) == 0) return;
    RequireIdle();
    FEquationStr = std::move(Text);
    FChecked = false;
}

void TEquation::SetFunctionName(const std::string& Name) {
    if (Name == FFunctionName) return;
    const std::string Old = std::exchange(FFunctionName, Name);
    if (FOwner && !FFreed) FOwner->Renamed(*this, Old);
}

const std::string& TEquation::GetFunctionName() {
    if (!FChecked) Check();
    return FFunctionName;
}

void TEquation::ClearInstructions() {
    RequireIdle();
    ClearCode();
}

void TEquation::ClearCode() {
    FNative.reset();
    FCodeVersion = ++CodeVersions;
    FComputations = 0;
    FDeclines = 0;
    FNativeRefused = false;
    FCode.clear();
    FStackDepth = 0;
    FLocalConstants.Clear();
}

bool TEquation::HasNativeCode() const {
    return FNative != nullptr;
}

long double TEquation::ComputeArgs(std::span<const long double> Args) {
    std::vector<TComplex> Complex(Args.size());
    for (std::size_t K = 0; K < Args.size(); ++K)
        Complex[K] = {Args[K], 0};
    return ComputeArgsC(Complex).Re;
}

} // namespace zoZezo
