#include "zoZezo/Evaluator.h"

#include "engine/Engine.h"
#include "native/NativeCode.h"
#include "zoZezo/Builtins.h"

#include <cstdlib>
#include <string_view>

namespace zoZezo {
namespace {

// The mode ZOZEZO_NATIVE names; Often when it names none.
TNativeMode ModeFromEnvironment() {
    const char* Name = std::getenv("ZOZEZO_NATIVE");
    const std::string_view Mode = Name ? Name : "";
    if (Mode == "off") return TNativeMode::Off;
    if (Mode == "always") return TNativeMode::Always;
    return TNativeMode::Often;
}

} // namespace

TzoZezoEvaluator::TzoZezoEvaluator(TComponent* AOwner)
    : TComponent(AOwner), FNativeMode(ModeFromEnvironment()),
      FEngine(std::make_unique<TEngine>(*this)) {
    PublishChar("DecimalPoint", DecimalPoint, DefaultDecimalPoint);
    PublishChar("Imaginary", Imaginary, DefaultImaginary);
    PublishChar("OpenParentesis", OpenParentesis, DefaultOpenParentesis);
    PublishChar("CloseParentesis", CloseParentesis, DefaultCloseParentesis);
    PublishChar("Separator", Separator, DefaultSeparator);
    PublishChar("OpenComment", OpenComment, DefaultOpenComment);
    PublishChar("CloseComment", CloseComment, DefaultCloseComment);
    Start();
}

// The collections are members declared in the order Constants, Variables, Functions,
// Operators, Equations, so they are destroyed from Equations back to Constants.
TzoZezoEvaluator::~TzoZezoEvaluator() = default;

void TzoZezoEvaluator::Start() {
    FEquations.RequireIdle();
    FFunctions.Clear();
    FOperators.Clear();
    FConstants.Clear();
    FEquations.Clear();
    FVariables.Clear();
    RegisterBuiltins(*this);
}

std::uint64_t* ChangesOf(TzoZezoEvaluator& Evaluator) {
    return &Evaluator.FChanges;
}

bool TzoZezoEvaluator::NativeCodeAvailable() {
    return TNativeCode::Available();
}

void TzoZezoEvaluator::ReleaseComputeMemory() {
    FEngine->ReleaseStacks();
}

std::size_t TzoZezoEvaluator::ComputeMemory() const {
    return FEngine->StackMemory();
}

void TzoZezoEvaluator::LoadReferencedConstants(TStrings& List) const {
    List.clear();
    for (const TEquation* Equation : FEquations.Items())
        for (const TInstruction& Instruction : Equation->Instructions())
            if (Instruction.Kind == opConstant)
                if (const TConstant* Constant = FConstants.GetConstant(Instruction.Index))
                    List.push_back(Constant->Name);
}

} // namespace zoZezo
