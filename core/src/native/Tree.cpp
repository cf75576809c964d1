#include "native/Tree.h"

#include "engine/Steps.h"
#include "native/NativeCode.h"
#include "zoZezo/Builtins.h"
#include "zoZezo/Equations.h"
#include "zoZezo/Evaluator.h"

#include <algorithm>
#include <cstring>

namespace zoZezo::native {
namespace {

// Whether all ten bytes of the extended real are those of +0.
bool IsPlusZero(const long double& Value) {
    static constexpr char Zero[10] = {};
    return std::memcmp(&Value, Zero, sizeof Zero) == 0;
}

} // namespace

void Abort(TNativeAbort Reason) {
    throw TGenerationFailed{Reason};
}

int TTreeBuilder::Add(TNode Node) {
    Node.Calls = Node.Kind == nkCall;
    ForEachChild(Node, [&](int Child) {
        const TNode& Below = Nodes[static_cast<std::size_t>(Child)];
        Node.Height = std::max(Node.Height, Below.Height + 1);
        Node.Calls = Node.Calls || Below.Calls;
    });
    if (Node.Height > MaxHeight) Abort(TNativeAbort::TooDeep);
    Nodes.push_back(std::move(Node));
    return static_cast<int>(Nodes.size() - 1);
}

TGuard& TTreeBuilder::Guard(TGuard::TKind Kind, int Table, int Index) {
    for (TGuard& Existing : Guards)
        if (Existing.Kind == Kind && Existing.Table == Table && Existing.Index == Index)
            return Existing;
    Guards.push_back({Kind, Table, Index});
    return Guards.back();
}

int TTreeBuilder::Operand(const TInstruction& Instruction, int Table) {
    TNode Node = NodeOf(nkLiteral);
    switch (Instruction.Kind) {
    case opRealNum: Node.Re = Instruction.Value; break;
    case opImaginaryNum: Node.Im = Instruction.Value; break;
    case opConstant: {
        const TConstant* Constant = FEvaluator.Constants().GetConstant(Instruction.Index);
        if (!Constant) Abort(TNativeAbort::EntryGone);
        TGuard& G = Guard(TGuard::Constant, 0, Instruction.Index);
        if (G.Slot < 0) {
            G.Slot = NewSlot();
            G.ImZero = IsPlusZero(Constant->Im);
        }
        Node.Kind = nkConstant;
        Node.Slot = G.Slot;
        Node.ImZero = G.ImZero;
        break;
    }
    case opVariable: {
        const TVariable* V = FEvaluator.Variables().GetVariable(Instruction.Index);
        if (!V) Abort(TNativeAbort::EntryGone);
        TGuard& G = Guard(TGuard::Variable, 0, Instruction.Index);
        if (G.ReSlot < 0 && G.ImSlot < 0 && !G.ReNull && !G.ImNull) {
            G.ReNull = !V->RePtr;
            G.ImNull = !V->ImPtr;
            if (!G.ReNull) G.ReSlot = NewSlot();
            if (!G.ImNull) G.ImSlot = NewSlot();
        }
        Node.Kind = nkVariable;
        Node.ReSlot = G.ReSlot;
        Node.ImSlot = G.ImSlot;
        break;
    }
    default: { // opLocalVar
        TGuard& G = Guard(TGuard::Parameter, Table, Instruction.Index);
        if (G.Slot < 0) G.Slot = NewSlot();
        Node.Kind = nkParameter;
        Node.Slot = G.Slot;
        Node.Table = Table;
        Node.Index = Instruction.Index;
    }
    }
    return Add(Node);
}

// The built-in that native code runs in place which the entry holds, guarded; declines for any
// other entry.
TBuiltin TTreeBuilder::Callback(TGuard::TKind Kind, int Index) {
    const bool IsOperator = Kind == TGuard::Operator;
    const TBuiltin Builtin = BuiltinOf(FEvaluator, IsOperator ? opOperator : opFunction, Index);
    if (Builtin == biNone) Abort(WhyNotBuiltin(Kind, Index));
    TGuard& G = Guard(Kind, 0, Index);
    const TBuiltinCallback& Known = BuiltinCallbacks[Builtin];
    G.Callback = IsOperator ? reinterpret_cast<std::uintptr_t>(Known.Operator)
                            : reinterpret_cast<std::uintptr_t>(Known.Function);
    return Builtin;
}

// Why the entry holds no built-in that native code runs in place.
TNativeAbort TTreeBuilder::WhyNotBuiltin(TGuard::TKind Kind, int Index) const {
    bool Builtin;
    if (Kind == TGuard::Operator) {
        const TOperator* Op = FEvaluator.Operators().GetOperator(Index);
        if (!Op || !Op->Callback) return TNativeAbort::EntryGone;
        Builtin = IsBuiltin(Op->Callback);
    } else {
        const TFunction* Fn = FEvaluator.Functions().GetFunction(Index);
        if (!Fn || !Fn->Callback) return TNativeAbort::EntryGone;
        Builtin = IsBuiltin(Fn->Callback);
    }
    return Builtin ? TNativeAbort::UntranslatedBuiltin : TNativeAbort::HostCallback;
}

int TTreeBuilder::Call(const TEquation& Caller, const TInstruction& Instruction,
                       std::vector<int>& Stack, int Depth) {
    const TEquation* Callee = Caller.Owner()->GetEquation(Instruction.Index);
    if (!Callee) Abort(TNativeAbort::EntryGone);
    if (!Callee->Checked() || Callee->ErrorCode() != 0) Abort(TNativeAbort::CalleeNotReady);
    if (Callee->LocalConstants().Count() != Instruction.Args) Abort(TNativeAbort::CallArity);
    if (Stack.size() < Instruction.Args) Abort(TNativeAbort::IrregularStack);
    // recursion: its parameters are shared
    if (std::find(FChain.begin(), FChain.end(), Callee) != FChain.end())
        Abort(TNativeAbort::Recursion);
    if (Depth >= MaxInlineDepth) Abort(TNativeAbort::InlineDepth);
    int Position = -1;
    for (std::size_t K = 0; K < Callees.size(); ++K)
        if (Callees[K].Equation == Callee) Position = static_cast<int>(K);
    if (Position < 0) {
        if (Callees.size() == MaxCallees) Abort(TNativeAbort::TooManyCallees);
        Callees.push_back({Callee, Instruction.Index, TNativeCode::VersionOf(*Callee),
                           Callee->LocalConstants().Count()});
        Position = static_cast<int>(Callees.size() - 1);
    }
    TNode Node = NodeOf(nkCall);
    Node.Callee = Position;
    Node.Args.assign(Stack.end() - Instruction.Args, Stack.end());
    Stack.resize(Stack.size() - Instruction.Args);
    // Every parameter is read through a pointer that the prologue fetches.
    for (int K = 0; K < Instruction.Args; ++K) {
        TGuard& G = Guard(TGuard::Parameter, Position + 1, K);
        if (G.Slot < 0) G.Slot = NewSlot();
    }
    const std::size_t First = Nodes.size(); // the body's nodes come next
    Node.Body = Build(*Callee, Position + 1, Depth + 1);
    Node.Reads.assign(static_cast<std::size_t>(Instruction.Args), 0);
    for (std::size_t K = First; K < Nodes.size(); ++K)
        if (Nodes[K].Kind == nkParameter && Nodes[K].Table == Position + 1)
            ++Node.Reads[static_cast<std::size_t>(Nodes[K].Index)];
    ++Runs;
    return Add(Node);
}

int TTreeBuilder::Build(const TEquation& Equation, int Table, int Depth) {
    FChain.push_back(&Equation);
    std::vector<int> Stack;
    for (const TInstruction& Instruction : Equation.Instructions()) {
        if (Nodes.size() >= MaxNodes) Abort(TNativeAbort::TooManyNodes);
        if (Instruction.Index < 0 || Instruction.Index > MaxTablePosition)
            Abort(TNativeAbort::TablePosition);
        switch (Instruction.Kind) {
        case opOperator: {
            TNode Node = NodeOf(nkBinary);
            if (Stack.size() < 2) Abort(TNativeAbort::IrregularStack);
            Node.Builtin = Callback(TGuard::Operator, Instruction.Index);
            Node.B = Stack.back();
            Stack.pop_back();
            Node.A = Stack.back();
            Stack.pop_back();
            // A small whole literal exponent is worked out in place; any other goes to the
            // operator's helper.
            const TNode& Exponent = Nodes[static_cast<std::size_t>(Node.B)];
            if (Node.Builtin == biPower && Exponent.Kind == nkLiteral && Exponent.Im == 0 &&
                steps::IsWholePower(Exponent.Re)) {
                Node.Kind = nkPower;
                Node.Exponent = static_cast<int>(Exponent.Re);
            }
            Stack.push_back(Add(Node));
            break;
        }
        case opFunction: {
            TNode Node = NodeOf(nkFunction);
            if (Stack.empty()) Abort(TNativeAbort::IrregularStack);
            if (Instruction.Arity != 1 || Instruction.Args != 1)
                Abort(WhyNotBuiltin(TGuard::Function, Instruction.Index));
            Node.Builtin = Callback(TGuard::Function, Instruction.Index);
            if (Node.Builtin == biNeg) Node.Kind = nkNegate;
            Node.A = Stack.back();
            Stack.back() = Add(Node);
            break;
        }
        case opLocalFunction: {
            const int Called = Call(Equation, Instruction, Stack, Depth);
            Stack.push_back(Called);
            break;
        }
        default: Stack.push_back(Operand(Instruction, Table));
        }
    }
    FChain.pop_back();
    if (Stack.size() != 1) Abort(TNativeAbort::IrregularStack);
    return Stack.back();
}

} // namespace zoZezo::native
