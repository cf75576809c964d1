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
    default: Asm.Store(rsp, Generator.PointerDisp(G.Slot), rax);
    }
}

void EmitGuards(TAssembler& Asm, const TTreeBuilder& Tree,
                std::span<const TDependency> Dependencies, TAssembler::TLabel Decline,
                const TGenerator& Generator) {
    const std::span<const TDependency> Entries = Dependencies.subspan(Tree.Callees.size());
    for (std::size_t K = 0; K < Tree.Guards.size(); ++K)
        EmitEntryGuard(Asm, Tree.Guards[K], Entries[K].Item, Decline, Generator);
}

} // namespace

std::unique_ptr<TNativeCode> TranslateToNative(const TEquation& Equation,
                                               const TzoZezoEvaluator& Evaluator) {
    TTreeBuilder Tree(Evaluator);
    const std::optional<int> Root = Tree.Build(Equation, 0, 0);
    if (!Root) return nullptr;
    std::optional<std::vector<TDependency>> Dependencies =
        DependenciesOf(Tree, Equation, Evaluator);
    if (!Dependencies) return nullptr;
    TAssembler Asm;
    TGenerator Generator(Asm, Tree, Tree.PointerSlots);
    try {
        Asm.Push(rbx);
        Asm.MovRegReg(rbx, rdi);
        const std::size_t Frame = Asm.SubRsp();
        EmitGuards(Asm, Tree, *Dependencies, Generator.DeclineAt(0), Generator);
        Generator.Return(Generator.Generate(*Root), offsetof(TNativeResult, Im),
                         offsetof(TNativeResult, WantIm));
        const std::int32_t Bytes = Generator.FrameBytes();
        Asm.PatchSubRsp(Frame, Bytes);
        Asm.AddRsp(Bytes);
        Asm.Pop(rbx);
        Asm.Ret();
        Generator.EmitDeclines(offsetof(TNativeResult, Declined), Bytes);
        Asm.EmitLiterals();
        Asm.Finish();
    } catch (const TGenerationFailed&) {
        return nullptr;
    }
    TCodePool::TPiece Piece = TCodePool::Process().Add(Asm.Code());
    if (!Piece.Memory) return nullptr;
    return std::make_unique<TNativeCode>(std::move(Piece.Memory), Tree.Runs,
                                         std::move(*Dependencies));
}

#else

std::unique_ptr<TNativeCode> TranslateToNative(const TEquation&, const TzoZezoEvaluator&) {
    return nullptr;
}

#endif

} // namespace zoZezo
