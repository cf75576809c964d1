#pragma once

// The first step of translating an equation into native code (see NativeCode.h): its postfix
// code read into a tree, the code of every equation it calls inlined in place of the call, and
// the guards the native code's prologue must check for every table entry the tree reads.

#include "engine/FastBuiltins.h"
#include "zoZezo/Equation.h"
#include "zoZezo/NativeStatus.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zoZezo {

class TzoZezoEvaluator;

namespace native {

// What translation takes on at most: nodes of a tree, the height of the tree (the generator
// recurses on it, and must fit a thread's stack of 64 KiB besides what the host uses), equations
// inlined into each other, distinct equations called, and a table position (whose byte offset
// must fit the code's 32-bit displacements).
constexpr int MaxNodes = 4096;
constexpr int MaxHeight = 256;
constexpr int MaxTablePosition = 1 << 24;
constexpr int MaxInlineDepth = 4;
constexpr std::size_t MaxCallees = 8;

// What a step of the translation throws when the equation cannot be translated.
struct TGenerationFailed {
    TNativeAbort Reason;
};

// Ends the translation for Reason.
[[noreturn]] void Abort(TNativeAbort Reason);

// The byte offset of Field in an entry of the table that holds Entry.
template <class Entry, class Field>
std::int32_t OffsetIn(const Entry& Object, const Field& Member) {
    return static_cast<std::int32_t>(reinterpret_cast<const char*>(&Member) -
                                     reinterpret_cast<const char*>(&Object));
}

// What a node of the tree computes, and which of its fields say from what.
enum TNodeKind : std::uint8_t {
    nkLiteral,   // Re + Im·j
    nkConstant,  // Slot: the entry's pointer
    nkVariable,  // ReSlot, ImSlot: the cells' pointers, -1 for none
    nkParameter, // Slot: the entry's pointer
    nkBinary,    // Builtin of A and B ("^" through a helper)
    nkPower,     // A ^ Exponent, a small whole literal
    nkNegate,    // -A
    nkFunction,  // Builtin of A: Sqrt, Re, Im and Abs inline, the others through a helper
    nkCall,      // Args bound to Callee's parameters, then Body
};

struct TNode {
    TNodeKind Kind = nkLiteral;
    TBuiltin Builtin = biNone;
    long double Re = 0, Im = 0;
    int Slot = -1, ReSlot = -1, ImSlot = -1;
    int Table = 0, Index = 0; // parameters: 0 own, K those of callee K; the position
    int Exponent = 0;
    int A = -1, B = -1;
    int Callee = -1; // position in the callee list
    int Body = -1;
    std::vector<int> Args;
    std::vector<int> Reads; // nkCall: how often Body reads each parameter
    int Height = 1;         // the nodes on the longest path down from here, itself included
    bool Calls = false;     // an equation call lies in the subtree: it writes parameters
    bool ImZero = false;    // nkConstant: its imaginary part is +0, as the prologue checks
};

// Calls Visit on each child of Node: A, B, and a call's arguments and body. Children stand
// before their parent in the tree's nodes.
template <class Visitor>
void ForEachChild(const TNode& Node, Visitor Visit) {
    for (const int Child : {Node.A, Node.B, Node.Body})
        if (Child >= 0) Visit(Child);
    for (const int Arg : Node.Args)
        Visit(Arg);
}

inline TNode NodeOf(TNodeKind Kind) {
    TNode Node;
    Node.Kind = Kind;
    return Node;
}

// An equation the code calls, with everything the code relies on.
struct TCallee {
    const TEquation* Equation;
    int Index;             // its position in the list
    std::uint64_t Version; // its code's version when translated
    int ParamCount;
};

// A guard the code's prologue checks: a table position, and what the entry there must hold.
struct TGuard {
    enum TKind : std::uint8_t { Operator, Function, Constant, Variable, Parameter } Kind;
    int Table = 0; // for parameters: 0 own, K callee K
    int Index = 0;
    std::uintptr_t Callback = 0; // operators and functions
    bool ReNull = false, ImNull = false;
    bool ImZero = false; // constants: the imaginary part +0 when translated, checked at every run
    int Slot = -1, ReSlot = -1, ImSlot = -1; // where the prologue leaves pointers
};

// Reads an equation's postfix code into a tree, collecting the guards its entries need.
class TTreeBuilder {
public:
    explicit TTreeBuilder(const TzoZezoEvaluator& Evaluator) : FEvaluator(Evaluator) {}

    // The root of Equation's tree; throws TGenerationFailed when it cannot be translated.
    int Build(const TEquation& Equation, int Table, int Depth);

    std::vector<TNode> Nodes;
    std::vector<TGuard> Guards;
    std::vector<TCallee> Callees;
    int PointerSlots = 0;
    std::uint64_t Runs = 1;

private:
    int Add(TNode Node);
    int NewSlot() { return PointerSlots++; }
    TGuard& Guard(TGuard::TKind Kind, int Table, int Index);
    int Operand(const TInstruction& Instruction, int Table);
    TBuiltin Callback(TGuard::TKind Kind, int Index);
    TNativeAbort WhyNotBuiltin(TGuard::TKind Kind, int Index) const;
    int Call(const TEquation& Caller, const TInstruction& Instruction, std::vector<int>& Stack,
             int Depth);

    const TzoZezoEvaluator& FEvaluator;
    std::vector<const TEquation*> FChain; // the equations being inlined, outermost first
};

} // namespace native
} // namespace zoZezo
