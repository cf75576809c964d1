// The last step of translating an equation into native code (see NativeCode.h): the prologue
// that checks the tree's guards, the code, and its memory.

#include "native/Translate.h"

#include "native/NativeCode.h"
#include "native/Tree.h"
#include "native/X87Generator.h"
#include "zoZezo/Equations.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

namespace zoZezo {

#if defined(__x86_64__) && defined(__linux__)

namespace {

using namespace native;
using namespace x87;

// Whether std::vector keeps its begin and end pointers first, as the code reads them.
bool VectorsAsNativeCodeReadsThem() {
    static const bool Holds = [] {
        const std::vector<int*> Probe(2);
        const void* Raw[2];
        std::memcpy(Raw, &Probe, sizeof Raw);
        return sizeof(Probe) == 3 * sizeof(void*) && Raw[0] == Probe.data() &&
               Raw[1] == Probe.data() + 2;
    }();
    return Holds;
}

// Leaves the table kept in the vector at Vector in rsi (its first entry) and rdx (its size in
// bytes).
void LoadTable(TAssembler& Asm, const void* Vector) {
    Asm.MovImm(rcx, reinterpret_cast<std::uintptr_t>(Vector));
    Asm.Load(rsi, rcx, 0);
    Asm.Load(rdx, rcx, 8);
    Asm.SubRegReg(rdx, rsi);
}

// Declines unless each equation the code calls is still the one at its position, with the code
// it was translated against.
void EmitCalleeGuards(TAssembler& Asm, const TTreeBuilder& Tree, const TEquation& Equation,
                      TAssembler::TLabel Decline) {
    if (Tree.Callees.empty()) return;
    int Last = 0;
    for (const TCallee& Callee : Tree.Callees)
        Last = std::max(Last, Callee.Index);
    LoadTable(Asm, &Equation.Owner()->Items());
    Asm.CmpImm(rdx, 8 * Last);
    Asm.Jump(ccBelowEqual, Decline);
    for (const TCallee& Callee : Tree.Callees) {
        const TNativeCode::TEquationLayout Layout = TNativeCode::LayoutOf(*Callee.Equation);
        Asm.Load(rax, rsi, 8 * Callee.Index);
        Asm.MovImm(rcx, reinterpret_cast<std::uintptr_t>(Callee.Equation));
        Asm.CmpRegReg(rax, rcx);
        Asm.Jump(ccNotEqual, Decline);
        Asm.MovImm(rcx, Callee.Version);
        Asm.CmpMem(rax, Layout.Version, rcx);
        Asm.Jump(ccNotEqual, Decline);
        Asm.CmpMem8Imm(rax, Layout.Checked, 1);
        Asm.Jump(ccNotEqual, Decline);
        Asm.CmpMem32Imm(rax, Layout.ErrorCode, 0);
        Asm.Jump(ccNotEqual, Decline);
    }
}

// Checks the entry in rax that guard G names, and leaves the pointers G's slots want.
void EmitEntryGuard(TAssembler& Asm, const TGuard& G, TAssembler::TLabel Decline,
                    const TGenerator& Generator) {
    static const TOperator OperatorProbe(nullptr, "", {});
    static const TFunction FunctionProbe(nullptr, "", {});
    static const TVariable VariableProbe(nullptr, "", {});
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

// Checks the entries of one table that the code reads. A called equation's parameter table
// must hold exactly its parameters; any other must reach the last position read.
void EmitTableGuards(TAssembler& Asm, const TTreeBuilder& Tree, TGuard::TKind Kind, int Table,
                     const void* Vector, TAssembler::TLabel Decline, const TGenerator& Generator) {
    std::vector<const TGuard*> Guards;
    int Last = 0;
    for (const TGuard& G : Tree.Guards)
        if (G.Kind == Kind && G.Table == Table) {
            Guards.push_back(&G);
            Last = std::max(Last, G.Index);
        }
    const bool CalleeParameters = Kind == TGuard::Parameter && Table > 0;
    if (Guards.empty() && !CalleeParameters) return;
    LoadTable(Asm, Vector);
    if (CalleeParameters) {
        Asm.CmpImm(rdx, 8 * Tree.Callees[static_cast<std::size_t>(Table - 1)].ParamCount);
        Asm.Jump(ccNotEqual, Decline);
    } else {
        Asm.CmpImm(rdx, 8 * Last);
        Asm.Jump(ccBelowEqual, Decline);
    }
    for (const TGuard* G : Guards) {
        Asm.Load(rax, rsi, 8 * G->Index);
        EmitEntryGuard(Asm, *G, Decline, Generator);
    }
}

void EmitGuards(TAssembler& Asm, const TTreeBuilder& Tree, const TEquation& Equation,
                const TzoZezoEvaluator& Evaluator, TAssembler::TLabel Decline,
                const TGenerator& Generator) {
    EmitCalleeGuards(Asm, Tree, Equation, Decline);
    auto Table = [&](TGuard::TKind Kind, int Index, const void* Vector) {
        EmitTableGuards(Asm, Tree, Kind, Index, Vector, Decline, Generator);
    };
    Table(TGuard::Operator, 0, &Evaluator.Operators().Items());
    Table(TGuard::Function, 0, &Evaluator.Functions().Items());
    Table(TGuard::Constant, 0, &Evaluator.Constants().Items());
    Table(TGuard::Variable, 0, &Evaluator.Variables().Items());
    Table(TGuard::Parameter, 0, &Equation.LocalConstants().Items());
    for (std::size_t K = 0; K < Tree.Callees.size(); ++K)
        Table(TGuard::Parameter, static_cast<int>(K + 1),
              &Tree.Callees[K].Equation->LocalConstants().Items());
}

} // namespace

std::unique_ptr<TNativeCode> TranslateToNative(const TEquation& Equation,
                                               const TzoZezoEvaluator& Evaluator) {
    if (!VectorsAsNativeCodeReadsThem()) return nullptr;
    TTreeBuilder Tree(Evaluator);
    const std::optional<int> Root = Tree.Build(Equation, 0, 0);
    if (!Root) return nullptr;
    TAssembler Asm;
    TGenerator Generator(Asm, Tree, Tree.PointerSlots);
    try {
        Asm.Push(rbx);
        Asm.MovRegReg(rbx, rdi);
        const std::size_t Frame = Asm.SubRsp();
        EmitGuards(Asm, Tree, Equation, Evaluator, Generator.DeclineAt(0), Generator);
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
    auto Memory = TExecutableMemory::Create(Asm.Code());
    if (!Memory) return nullptr;
    return std::make_unique<TNativeCode>(std::move(Memory), Tree.Runs);
}

#else

std::unique_ptr<TNativeCode> TranslateToNative(const TEquation&, const TzoZezoEvaluator&) {
    return nullptr;
}

#endif

} // namespace zoZezo
