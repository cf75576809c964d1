#include "native/Tree.h"

#include "engine/Steps.h"
#include "native/NativeCode.h"
#include "zoZezo/Equations.h"
#include "zoZezo/Evaluator.h"

namespace zoZezo::native {

TGuard& TTreeBuilder::Guard(TGuard::TKind Kind, int Table, int Index) {
    for (TGuard& Existing : Guards)
        if (Existing.Kind == Kind && Existing.Table == Table && Existing.Index == Index)
            return Existing;
    Guards.push_back({Kind, Table, Index});
    return Guards.back();
}

std::optional<int> TTreeBuilder::Operand(const TInstruction& Instruction, int Table) {
    TNode Node = NodeOf(nkLiteral);
    switch (Instruction.Kind) {
    case opRealNum: Node.Re = Instruction.Value; break;
    case opImaginaryNum: Node.Im = Instruction.Value; break;
    case opConstant: {
        if (!FEvaluator.Constants().GetConstant(Instruction.Index)) return std::nullopt;
        TGuard& G = Guard(TGuard::Constant, 0, Instruction.Index);
        if (G.Slot < 0) G.Slot = NewSlot();
        Node.Kind = nkConstant;
        Node.Slot = G.Slot;
        break;
    }
    case opVariable: {
        const TVariable* V = FEvaluator.Variables().GetVariable(Instruction.Index);
        if (!V) return std::nullopt;
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

// Whether the entry holds a built-in that native code runs in place; guards it when it does.
bool TTreeBuilder::Callback(TGuard::TKind Kind, int Index, TBuiltin& Builtin) {
    const bool IsOperator = Kind == TGuard::Operator;
    Builtin = BuiltinOf(FEvaluator, IsOperator ? opOperator : opFunction, Index);
    if (Builtin == biNone) return false;
    TGuard& G = Guard(Kind, 0, Index);
    const TBuiltinCallback& Known = BuiltinCallbacks[Builtin];
    G.Callback = IsOperator ? reinterpret_cast<std::uintptr_t>(Known.Operator)
                            : reinterpret_cast<std::uintptr_t>(Known.Function);
    return true;
}

std::optional<int> TTreeBuilder::Call(const TEquation& Caller, const TInstruction& Instruction,
                                      std::vector<int>& Stack, int Depth) {
    const TEquation* Callee = Caller.Owner()->GetEquation(Instruction.Index);
    if (!Callee || !Callee->Checked() || Callee->ErrorCode() != 0 ||
        Callee->LocalConstants().Count() != Instruction.Args || Depth >= MaxInlineDepth ||
        Stack.size() < Instruction.Args)
        return std::nullopt;
    for (const TEquation* Running : FChain)
        if (Running == Callee) return std::nullopt; // recursion: its parameters are shared
    int Position = -1;
    for (std::size_t K = 0; K < Callees.size(); ++K)
        if (Callees[K].Equation == Callee) Position = static_cast<int>(K);
    if (Position < 0) {
        if (Callees.size() == MaxCallees) return std::nullopt;
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
    const std::optional<int> Body = Build(*Callee, Position + 1, Depth + 1);
    if (!Body) return std::nullopt;
    Node.Body = *Body;
    ++Runs;
    return Add(Node);
}

std::optional<int> TTreeBuilder::Build(const TEquation& Equation, int Table, int Depth) {
    FChain.push_back(&Equation);
    std::vector<int> Stack;
    for (const TInstruction& Instruction : Equation.Instructions()) {
        if (Nodes.size() >= MaxNodes || Instruction.Index < 0 ||
            Instruction.Index > MaxTablePosition)
            return std::nullopt;
        switch (Instruction.Kind) {
        case opOperator: {
            TNode Node = NodeOf(nkBinary);
            if (Stack.size() < 2 || !Callback(TGuard::Operator, Instruction.Index, Node.Builtin))
                return std::nullopt;
            Node.B = Stack.back();
            Stack.pop_back();
            Node.A = Stack.back();
            Stack.pop_back();
            if (Node.Builtin == biPower) {
                const TNode& Exponent = Nodes[static_cast<std::size_t>(Node.B)];
                const long double E = Exponent.Re;
                if (Exponent.Kind != nkLiteral || Exponent.Im != 0 || !steps::IsWholePower(E))
                    return std::nullopt;
                Node.Kind = nkPower;
                Node.Exponent = static_cast<int>(E);
            }
            Stack.push_back(Add(Node));
            break;
        }
        case opFunction: {
            TNode Node = NodeOf(nkFunction);
            if (Stack.empty() || Instruction.Arity != 1 || Instruction.Args != 1 ||
                !Callback(TGuard::Function, Instruction.Index, Node.Builtin))
                return std::nullopt;
            if (Node.Builtin == biNeg) Node.Kind = nkNegate;
            Node.A = Stack.back();
            Stack.back() = Add(Node);
            break;
        }
        case opLocalFunction: {
            const std::optional<int> Called = Call(Equation, Instruction, Stack, Depth);
            if (!Called) return std::nullopt;
            Stack.push_back(*Called);
            break;
        }
        default: {
            const std::optional<int> Leaf = Operand(Instruction, Table);
            if (!Leaf) return std::nullopt;
            Stack.push_back(*Leaf);
        }
        }
    }
    FChain.pop_back();
    if (Stack.size() != 1) return std::nullopt;
    return Stack.back();
}

} // namespace zoZezo::native
