#pragma once

// Whether an equation's computations run as native machine code (see TNativeMode), and when
// they do not, why: TEquation::NativeStatus().

#include <cstdint>
#include <string>

namespace zoZezo {

// Why an equation is not translated into native code, or why its native code was dropped.
// NativeAbortText() words each reason.
enum class TNativeAbort : std::uint8_t {
    None,                // nothing: the equation is, or would be, translated
    TooManyNodes,        // more operations than native code takes, called equations inlined
    TooDeep,             // values nested more deeply than native code takes
    TablePosition,       // a table position beyond what native code addresses
    EntryGone,           // an entry the code uses is gone or has lost its callback
    HostCallback,        // an operator or function with a callback of the host's
    UntranslatedBuiltin, // a built-in native code leaves to the interpreter (If, Ln, ...)
    CalleeNotReady,      // a called equation is unchecked or has a compile error
    CallArity,           // a called equation takes another count of parameters than the call
    AliasedParameter,    // a variable's cell is a parameter of an equation the code calls
    InlineDepth,         // equations call each other too deeply to inline
    Recursion,           // the equation calls itself, directly or through others
    TooManyCallees,      // it calls more distinct equations than native code inlines
    IrregularStack,      // its code does not leave exactly one value
    RegisterOverflow,    // more values must stay in the x87 registers than there are
    SpillOverflow,       // more values pending than fit the frame native code takes
    GeneratorFault,      // the translation met a state it does not expect
    VectorLayout,        // std::vector is not laid out as native code reads it
    NoExecutableMemory,  // no executable memory could be had for the code
    KeptDeclining,       // the code handed over to the interpreter too often in a row
    Count
};

// The reason as a clause, e.g. "it calls itself, directly or through other equations".
[[nodiscard]] const char* NativeAbortText(TNativeAbort Reason);

// Where an equation stands with native code.
enum class TNativeState : std::uint8_t {
    Translated,  // its computations run native code
    Unavailable, // this build has no native code
    Off,         // the evaluator's mode is TNativeMode::Off
    NotCompiled, // the equation is unchecked or has a compile error
    NotYetHot,   // not computed often enough to be translated yet
    Declined,    // not translated, or its code dropped, for Reason
};

struct TNativeStatus {
    TNativeState State = TNativeState::Unavailable;
    // Declined: why. NotYetHot: what translating the equation now would give (None when it
    // would be translated).
    TNativeAbort Reason = TNativeAbort::None;
    // NotYetHot: the computations so far, and the count at which it is translated.
    std::uint32_t Computations = 0;
    std::uint32_t Threshold = 0;

    // One line for people, e.g. "interpreted: not translated: it calls itself, directly or
    // through other equations".
    [[nodiscard]] std::string Text() const;
};

} // namespace zoZezo
