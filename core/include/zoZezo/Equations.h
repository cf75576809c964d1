#pragma once

#include "zoZezo/Equation.h"
#include "zoZezo/OwnedList.h"

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>

namespace zoZezo {

// An evaluator's equation list. Equations call each other by position in this list.
class TEquations : public TOwnedList<TEquation> {
public:
    using TOwnedList::TOwnedList;
    // Frees the equations while the name index they report to still exists.
    ~TEquations() { Clear(); }

    // Appends an unchecked equation with this text; compiles nothing.
    TEquation* Add(std::string Text) { return new TEquation(this, std::move(Text)); }

    TEquation* GetEquation(int I) const { return Get(I); }
    // Gives the equation at I the text of Source (through SetEquationStr); nothing else is copied.
    void SetEquation(int I, const TEquation& Source);

    // Position of the first equation whose FunctionName() equals Name (case-insensitive), or -1.
    // Compiles nothing, so only equations that compiled successfully are found.
    int FunctionIndexByName(std::string_view Name) const;

private:
    friend class TEquation;
    // An equation joins, leaves, or has a new FunctionName.
    void Append(TEquation* Equation);
    void Remove(TEquation* Equation);
    void Renamed(const TEquation& Equation, const std::string& OldName);

    // The positions of the equations by the upper-case form of their FunctionName, so that an
    // editor rebuilding a long text finds each name without searching the list. Built by the
    // first lookup, kept up to date while equations join or are renamed, and dropped when one
    // leaves, since the later positions shift.
    struct TNameIndex {
        std::unordered_map<const TEquation*, int> Positions;
        std::unordered_map<std::string, std::set<int>> ByName;

        void Enter(const TEquation& Equation, int Position);
    };
    const TNameIndex& NameIndex() const;
    mutable std::optional<TNameIndex> FIndex;
};

} // namespace zoZezo
