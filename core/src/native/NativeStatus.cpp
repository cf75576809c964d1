#include "zoZezo/NativeStatus.h"

namespace zoZezo {

const char* NativeAbortText(TNativeAbort Reason) {
    switch (Reason) {
    case TNativeAbort::None: return "nothing stands in the way";
    case TNativeAbort::TooManyNodes:
        return "it has more operations than native code takes, the equations it calls included";
    case TNativeAbort::TooDeep:
        return "it nests values more deeply than native code takes, the equations it calls "
               "included";
    case TNativeAbort::TablePosition:
        return "it uses a table position beyond what native code addresses";
    case TNativeAbort::EntryGone: return "an entry it uses is gone or has lost its callback";
    case TNativeAbort::HostCallback: return "it calls an operator or function of the host's";
    case TNativeAbort::UntranslatedBuiltin:
        return "it calls a built-in operator or function that native code leaves to the "
               "interpreter";
    case TNativeAbort::CalleeNotReady:
        return "an equation it calls is not compiled, or has a compile error";
    case TNativeAbort::CallArity:
        return "it calls an equation with another number of arguments than it has parameters";
    case TNativeAbort::AliasedParameter:
        return "a variable it reads has a parameter of an equation it calls for its cell";
    case TNativeAbort::InlineDepth: return "the equations it calls call each other too deeply";
    case TNativeAbort::Recursion: return "it calls itself, directly or through other equations";
    case TNativeAbort::TooManyCallees: return "it calls more equations than native code inlines";
    case TNativeAbort::IrregularStack: return "its code does not leave exactly one value";
    case TNativeAbort::RegisterOverflow:
        return "it keeps more values pending than the x87 registers hold";
    case TNativeAbort::SpillOverflow:
        return "it keeps more values pending than fit the stack frame native code takes";
    case TNativeAbort::GeneratorFault: return "the translation met a state it does not expect";
    case TNativeAbort::VectorLayout:
        return "this build lays std::vector out otherwise than native code reads it";
    case TNativeAbort::NoExecutableMemory: return "no executable memory was to be had";
    case TNativeAbort::KeptDeclining:
        return "its native code handed over to the interpreter too often in a row, and is made "
               "again once the equation is compiled again";
    case TNativeAbort::Count: break;
    }
    return "an unknown reason";
}

std::string TNativeStatus::Text() const {
    switch (State) {
    case TNativeState::Translated: return "native code";
    case TNativeState::Unavailable: return "interpreted: this build has no native code";
    case TNativeState::Off: return "interpreted: native code is off";
    case TNativeState::NotCompiled: return "interpreted: not compiled without error";
    case TNativeState::NotYetHot:
        if (Reason != TNativeAbort::None)
            return std::string("interpreted: translating it would decline: ") +
                   NativeAbortText(Reason);
        return "interpreted until computed " +
               (Threshold == 1 ? std::string("once") : std::to_string(Threshold) + " times") +
               " (" + std::to_string(Computations) + " so far), then native code";
    case TNativeState::Declined:
        return std::string("interpreted: not translated: ") + NativeAbortText(Reason);
    }
    return "interpreted";
}

} // namespace zoZezo
