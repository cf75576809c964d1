#pragma once

#include "zoZezo/Equation.h"
#include "zoZezo/OwnedList.h"

#include <string>
#include <string_view>

namespace zoZezo {

// An evaluator's equation list. Equations call each other by position in this list.
class TEquations : public TOwnedList<TEquation> {
public:
    using TOwnedList::TOwnedList;

    // Appends an unchecked equation with this text; compiles nothing.
    TEquation* Add(std::string Text) { return new TEquation(this, std::move(Text)); }

    TEquation* GetEquation(int I) const { return Get(I); }
    // Gives the equation at I the text of Source (through SetEquationStr); nothing else is copied.
    void SetEquation(int I, const TEquation& Source);

    // Position of the first equation whose FunctionName() equals Name (case-insensitive), or -1.
    // Compiles nothing, so only equations that compiled successfully are found.
    int FunctionIndexByName(std::string_view Name) const;
};

} // namespace zoZezo
