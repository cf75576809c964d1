#include "zoZezo/Equation.h"

#include "compiler/Compiler.h"
#include "engine/Engine.h"
#include "engine/Steps.h"
#include "native/NativeCode.h"
#include "zoZezo/Equations.h"
#include "zoZezo/Exception.h"
#include "zoZezo/MathMsg.h"

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
    : FOwner(Owner), FEquationStr(std::move(Text)),
      FLocalConstants(nullptr, Owner ? Owner->FChanges : nullptr) {
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
    if (FOwner) FOwner->Changed();
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
    if (FOwner) FOwner->Changed();
    FComputations = 0;
    FDeclines = 0;
    FNativeRefusal = TNativeAbort::None;
    FCode.clear();
    FStackDepth = 0;
    FLocalConstants.Clear();
}

bool TEquation::HasNativeCode() const {
    return FNative != nullptr;
}

TNativeStatus TEquation::NativeStatus() const {
    return TNativeCode::StatusOf(*this);
}

bool TEquation::Check() {
    if (!FOwner || !FOwner->Evaluator())
        throw EzoZezoEvaluatorError("An equation compiles only as a member of an evaluator's "
                                    "equation list");
    RequireIdle();
    const THold Compiling(*this, true); // the last to go: the equation may be freed then
    ClearCode();
    FCharClasses.clear();
    FErrorCode = ceOk;
    FErrorPos = 0;
    FChecked = false;
    struct TLinker { // links the code even when a host handler throws mid-way
        std::vector<TInstruction>& Code;
        ~TLinker() {
            for (std::size_t I = 1; I < Code.size(); ++I)
                Code[I - 1].Next = &Code[I];
        }
    };
    {
        TLinker Link{FCode};
        if (!FEquationStr.empty()) TCompiler(*this).Run();
        FCode.shrink_to_fit();
        PlanSteps(FCode, *FOwner->Evaluator());
    }
    FErrorMsg = MathMsg[static_cast<std::size_t>(FErrorCode)];
    FChecked = true;
    return FErrorCode == ceOk;
}

namespace {

// Whether Equation may run: compiles it when unchecked; one with a compile error shows its
// message and yields 0 instead.
bool Runnable(TEquation& Equation) {
    if (!Equation.Checked()) Equation.Check();
    if (Equation.ErrorCode() == 0) return true;
    ShowMessage(Equation.ErrorMsg());
    return false;
}

} // namespace

// Native code runs first when there is some: it calls no host code, so nothing can free the
// equation meanwhile. Otherwise the equation is held while it computes: host code that runs
// meanwhile may free it.
TComplex TEquation::ComputeArgsC(std::span<const TComplex> Args) {
    TComplex Result;
    if (FChecked && FErrorCode == 0 &&
        TNativeCode::Compute(*FOwner->Evaluator(), *this, Args, &Result.Im, Result.Re))
        return Result;
    const THold Hold(*this, false);
    if (Runnable(*this)) Result.Re = FOwner->Evaluator()->FEngine->Run(*this, Args, &Result.Im);
    return Result;
}

long double TEquation::Compute() {
    if (long double Re; FChecked && FErrorCode == 0 &&
                        TNativeCode::Compute(*FOwner->Evaluator(), *this, {}, nullptr, Re))
        return Re;
    const THold Hold(*this, false);
    return Runnable(*this) ? FOwner->Evaluator()->FEngine->Run(*this, {}, nullptr) : 0;
}

long double TEquation::ComputeArgs(std::span<const long double> Args) {
    std::vector<TComplex> Complex(Args.size());
    for (std::size_t K = 0; K < Args.size(); ++K)
        Complex[K] = {Args[K], 0};
    return ComputeArgsC(Complex).Re;
}

} // namespace zoZezo
