// The last step of translating an equation into native code (see NativeCode.h): the prologue
// that checks the tree's guards, the code, and its memory; and what the code depends on.

#include "native/Translate.h"

#include "native/NativeCode.h"
#include "native/Tree.h"
#include "native/X87Generator.h"
#include "zoZezo/Equations.h"

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace zoZezo {

#if defined(__x86_64__) && defined(__linux__)

namespace {

using namespace native;
using namespace x87;

using TDependency = TNativeCode::TDependency;

// The entry that guard G reads, where the code finds it now; null when there is none.
const void* EntryOf(const TGuard& G, const TTreeBuilder& Tree, const TEquation& Equation,
                    const TzoZezoEvaluator& Evaluator) {
    switch (G.Kind) {
    case TGuard::Operator: return Evaluator.Operators().Get(G.Index);
    case TGuard::Function: return Evaluator.Functions().Get(G.Index);
    case TGuard::Constant: return Evaluator.Constants().Get(G.Index);
    case TGuard::Variable: return Evaluator.Variables().Get(G.Index);
    default: {
        const TEquation& Owner =
            G.Table == 0 ? Equation : *Tree.Callees[static_cast<std::size_t>(G.Table - 1)].Equation;
        return Owner.LocalConstants().Get(G.Index);
    }
    }
}

// The callees, then one dependency for each guard, in the order of Tree.Guards; none when an
// entry a guard reads is missing.
std::optional<std::vector<TDependency>> DependenciesOf(const TTreeBuilder& Tree,
                                                       const TEquation& Equation,
                                                       const TzoZezoEvaluator& Evaluator) {
    std::vector<TDependency> Dependencies;
    for (const TCallee& Callee : Tree.Callees)
        Dependencies.push_back({TDependency::Callee, 0, Callee.Index, Callee.Equation,
                                Callee.Version, Callee.ParamCount});
    for (const TGuard& G : Tree.Guards) {
        const void* Entry = EntryOf(G, Tree, Equation, Evaluator);
        if (!Entry) return std::nullopt;
        constexpr TDependency::TKind Kinds[] = {TDependency::Operator, TDependency::Function,
                                                TDependency::Constant, TDependency::Variable,
                                                TDependency::Parameter};
        Dependencies.push_back({Kinds[G.Kind], G.Table, G.Index, Entry});
    }
    return Dependencies;
}

// Checks at the entry at Entry what the host may change there without the evaluator knowing,
// and leaves the pointers that G's slots want.
void EmitEntryGuard(TAssembler& Asm, const TGuard& G, const void* Entry, TAssembler::TLabel Decline,
                    const TGenerator& Generator) {
    static const TOperator OperatorProbe(nullptr, "", {});
    static const TFunction FunctionProbe(nullptr, "", {});
    static const TVariable VariableProbe(nullptr, "", {});
    static const TConstant ConstantProbe(nullptr, "", {});
    Asm.MovImm(rax, reinterpret_cast<std::uintptr_t>(Entry));
    switch (G.Kind) {
    case TGuard::Operator:
    case TGuard::Function: {
        const bool IsOperator = G.Kind == TGuard::Operator;
        Asm.MovImm(rcx, G.Callback);
        Asm.CmpMem(rax,
                   IsOperator ? OffsetIn(OperatorProbe, OperatorProbe.Callback)
                              : OffsetIn(FunctionProbe, FunctionProbe.Callback),
                   rcx);
        Asm.Jump(ccNotEqual, Decline);
        if (!IsOperator) {
            Asm.CmpMem32Imm(rax, OffsetIn(FunctionProbe, FunctionProbe.ParamCount), 1);
            Asm.Jump(ccNotEqual, Decline);
        }
        break;
    }
    case TGuard::Variable:
        for (const bool Real : {true, false}) {
            Asm.Load(rcx, rax,
                     Real ? OffsetIn(VariableProbe, VariableProbe.RePtr)
                          : OffsetIn(VariableProbe, VariableProbe.ImPtr));
            Asm.Test(rcx);
            const bool Null = Real ? G.ReNull : G.ImNull;
            Asm.Jump(Null ? ccNotEqual : ccEqual, Decline);
            if (!Null) Asm.Store(rsp, Generator.PointerDisp(Real ? G.ReSlot : G.ImSlot), rcx);
        }
        break;
    default:
        Asm.Store(rsp, Generator.PointerDisp(G.Slot), rax);
        if (G.ImZero) { // all ten bytes of +0
            const std::int32_t Im = OffsetIn(ConstantProbe, ConstantProbe.Im);
            Asm.Load(rcx, rax, Im);
            Asm.Test(rcx);
            Asm.Jump(ccNotEqual, Decline);
            Asm.Load16(rcx, rax, Im + 8);
            Asm.Test(rcx);
            Asm.Jump(ccNotEqual, Decline);
        }
    }
}

// The x87 control word in force: its rounding and precision decide what arithmetic gives.
std::uint16_t ControlWord() {
    std::uint16_t Word;
    asm volatile("fnstcw %0" : "=m"(Word));
    return Word;
}

// Declines unless the control word in force is Word, the one the code was translated under:
// what it worked out while translating holds under that word alone.
void EmitControlWordGuard(TAssembler& Asm, std::uint16_t Word, std::int32_t Scratch,
                          TAssembler::TLabel Decline) {
    Asm.Fnstcw(rsp, Scratch);
    Asm.Load16(rcx, rsp, Scratch);
    Asm.CmpImm(rcx, Word);
    Asm.Jump(ccNotEqual, Decline);
}

// The cell addresses from which a variable's ten bytes overlap a parameter entry's Re or Im,
// relative to the entry: [Low, Low + Span).
struct TParameterBytes {
    std::int32_t Low, Span;
};

TParameterBytes ParameterBytes() {
    static const TConstant Probe(nullptr, "", {});
    const std::int32_t Re = OffsetIn(Probe, Probe.Re), Im = OffsetIn(Probe, Probe.Im);
    const std::int32_t Low = std::min(Re, Im) - 9;
    return {Low, std::max(Re, Im) + 10 - Low};
}

// Every cell of a variable the code reads, as guards name them, with the parameter entries of
// the equations it calls: Visit(variable guard, whether the real cell, parameter guard).
template <class Visitor>
void ForEachCellAndParameter(const TTreeBuilder& Tree, Visitor Visit) {
    for (const TGuard& Cell : Tree.Guards)
        if (Cell.Kind == TGuard::Variable)
            for (const int Slot : {Cell.ReSlot, Cell.ImSlot})
                if (Slot >= 0)
                    for (const TGuard& Parameter : Tree.Guards)
                        if (Parameter.Kind == TGuard::Parameter && Parameter.Table > 0)
                            Visit(Cell, Slot == Cell.ReSlot, Parameter);
}

// Whether a variable's cell is a parameter of an equation the code calls now. Native code
// writes those parameters where the interpreter does, but may hold a value read from the cell
// before in a register.
bool AliasesParameters(const TTreeBuilder& Tree, const TzoZezoEvaluator& Evaluator) {
    const TParameterBytes Bytes = ParameterBytes();
    bool Aliases = false;
    ForEachCellAndParameter(Tree, [&](const TGuard& Cell, bool Real, const TGuard& Parameter) {
        const TVariable* V = Evaluator.Variables().GetVariable(Cell.Index);
        const TConstant* P = Tree.Callees[static_cast<std::size_t>(Parameter.Table - 1)]
                                 .Equation->LocalConstants()
                                 .GetConstant(Parameter.Index);
        if (!V || !P) return;
        const auto At = reinterpret_cast<std::uintptr_t>(Real ? V->RePtr : V->ImPtr) -
                        reinterpret_cast<std::uintptr_t>(P) - Bytes.Low;
        Aliases = Aliases || At < static_cast<std::uintptr_t>(Bytes.Span);
    });
    return Aliases;
}

// The same at every run, since the host may point a variable at other cells: declines when a
// cell overlaps a parameter of an equation the code calls.
void EmitAliasGuards(TAssembler& Asm, const TTreeBuilder& Tree, TAssembler::TLabel Decline,
                     const TGenerator& Generator) {
    const TParameterBytes Bytes = ParameterBytes();
    ForEachCellAndParameter(Tree, [&](const TGuard& Cell, bool Real, const TGuard& Parameter) {
        Asm.Load(rax, rsp, Generator.PointerDisp(Real ? Cell.ReSlot : Cell.ImSlot));
        Asm.Load(rcx, rsp, Generator.PointerDisp(Parameter.Slot));
        Asm.SubRegReg(rax, rcx);
        Asm.Lea(rax, rax, -Bytes.Low);
        Asm.CmpImm(rax, Bytes.Span);
        Asm.Jump(ccBelow, Decline);
    });
}

void EmitGuards(TAssembler& Asm, const TTreeBuilder& Tree,
                std::span<const TDependency> Dependencies, TAssembler::TLabel Decline,
                const TGenerator& Generator) {
    const std::span<const TDependency> Entries = Dependencies.subspan(Tree.Callees.size());
    for (std::size_t K = 0; K < Tree.Guards.size(); ++K)
        EmitEntryGuard(Asm, Tree.Guards[K], Entries[K].Item, Decline, Generator);
    EmitAliasGuards(Asm, Tree, Decline, Generator);
}

// The code of Equation in executable memory, or the reason it cannot be had; throws
// TGenerationFailed when the equation cannot be translated. With Keep false, the code is only
// made, to learn whether it can be.
TTranslation Emit(const TEquation& Equation, const TzoZezoEvaluator& Evaluator, bool WithIm,
                  bool Keep) {
    TTreeBuilder Tree(Evaluator);
    const int Root = Tree.Build(Equation, 0, 0);
    if (AliasesParameters(Tree, Evaluator)) Abort(TNativeAbort::AliasedParameter);
    std::optional<std::vector<TDependency>> Dependencies =
        DependenciesOf(Tree, Equation, Evaluator);
    if (!Dependencies) Abort(TNativeAbort::EntryGone);
    const int Scratch = Tree.PointerSlots++; // where the control word is read to
    const std::uint16_t Word = ControlWord();
    TAssembler Asm;
    TGenerator Generator(Asm, Tree, Tree.PointerSlots, Word, Root, WithIm);
    Asm.Push(rbx);
    Asm.MovRegReg(rbx, rdi);
    const std::size_t Frame = Asm.SubRsp();
    EmitControlWordGuard(Asm, Word, Generator.PointerDisp(Scratch), Generator.DeclineAt(0));
    EmitGuards(Asm, Tree, *Dependencies, Generator.DeclineAt(0), Generator);
    Generator.Return(Generator.Generate(Root), offsetof(TNativeResult, Im),
                     offsetof(TNativeResult, WantIm));
    const std::int32_t Bytes = Generator.FrameBytes();
    Asm.PatchSubRsp(Frame, Bytes);
    Asm.AddRsp(Bytes);
    Asm.Pop(rbx);
    Asm.Ret();
    Generator.EmitDeclines(offsetof(TNativeResult, Declined), Bytes);
    Asm.EmitLiterals();
    Asm.Finish();
    if (!Keep) return {nullptr, TNativeAbort::None};
    TCodePool::TPiece Piece = TCodePool::Process().Add(Asm.Code());
    if (!Piece.Memory) return {nullptr, TNativeAbort::NoExecutableMemory};
    return {std::make_unique<TNativeCode>(std::move(Piece.Memory), Tree.Runs,
                                          std::move(*Dependencies), WithIm),
            TNativeAbort::None};
}

} // namespace

TTranslation TranslateToNative(const TEquation& Equation, const TzoZezoEvaluator& Evaluator,
                               bool WithIm) {
    try {
        return Emit(Equation, Evaluator, WithIm, true);
    } catch (const TGenerationFailed& Failed) {
        return {nullptr, Failed.Reason};
    }
}

TNativeAbort TranslationVerdict(const TEquation& Equation, const TzoZezoEvaluator& Evaluator) {
    try {
        return Emit(Equation, Evaluator, true, false).Reason;
    } catch (const TGenerationFailed& Failed) {
        return Failed.Reason;
    }
}

#else

// Never called: TNativeCode::Available() is false.
TTranslation TranslateToNative(const TEquation&, const TzoZezoEvaluator&, bool) {
    return {nullptr, TNativeAbort::GeneratorFault};
}

TNativeAbort TranslationVerdict(const TEquation&, const TzoZezoEvaluator&) {
    return TNativeAbort::GeneratorFault;
}

#endif

} // namespace zoZezo
