#pragma once

#include "zoZezo/Equation.h"
#include "zoZezo/OwnedList.h"

#include <string>
#include <string_view>
#include <unordered_map>

namespace zoZezo {

// An evaluator's equation list. Equations call each other by position in this list.
// While an equation is being compiled or computed, the operations that would free or change it
// throw EzoZezoEvaluatorError and change nothing (see TEquation); adding equations is allowed.
class TEquations : public TOwnedList<TEquation> {
public:
    using TOwnedList::TOwnedList;

    // Appends an unchecked equation with this text; compiles nothing.
    TEquation* Add(std::string Text);

    [[nodiscard]] TEquation* GetEquation(int I) const { return Get(I); }
    // Gives the equation at I the text of Source (through SetEquationStr); nothing else is copied.
    void SetEquation(int I, const TEquation& Source);

    // Frees the equation at I; does nothing when I is out of range. Throws
    // EzoZezoEvaluatorError, freeing nothing, when that equation is busy.
    void Delete(int I);
    // Frees every equation, the last first. Throws EzoZezoEvaluatorError, freeing nothing, when
    // one of them is busy.
    void Clear();
    // Throws EzoZezoEvaluatorError when some equation of the list is busy.
    void RequireIdle() const;

    // Position of the first equation whose FunctionName() equals Name (case-insensitive), or -1.
    // Compiles nothing, so only equations that compiled successfully are found. Takes constant
    // time but after a removal, which makes the next lookup take one pass over the list.
    [[nodiscard]] int FunctionIndexByName(std::string_view Name) const;

private:
    friend TEquation;
    // The equations append and remove themselves, and tell when a compilation renamed them.
    void Append(TEquation* Equation);
    void Remove(TEquation* Equation);
    void Renamed(const TEquation& Equation, const std::string& Old);

    int PositionOf(const TEquation& Equation) const;
    void Index() const;

    struct TNameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view Name) const { return NameHash(Name); }
    };
    struct TNameEqual {
        using is_transparent = void;
        bool operator()(std::string_view A, std::string_view B) const { return SameName(A, B); }
    };
    // The position of the first equation of each non-empty FunctionName(), while FIndexed.
    mutable std::unordered_map<std::string, int, TNameHash, TNameEqual> FFirstByName;
    mutable bool FIndexed = false;
    mutable int FLastRenamed = -1; // where the last renamed equation stood: the next is often after
};

} // namespace zoZezo
