#include "zoZezo/Equations.h"

#include "zoZezo/Platform.h"

namespace zoZezo {

void TEquations::SetEquation(int I, const TEquation& Source) {
    if (TEquation* Target = Get(I)) Target->SetEquationStr(Source.EquationStr());
}

// Names equal without regard to case have equal upper-case forms; comparing the names sorts
// out the rare different names whose forms coincide.
int TEquations::FunctionIndexByName(std::string_view Name) const {
    const TNameIndex& Index = NameIndex();
    const auto Found = Index.ByName.find(AnsiUpperCase(Name));
    if (Found == Index.ByName.end()) return -1;
    for (const int Position : Found->second)
        if (SameName(Get(Position)->FunctionName(), Name)) return Position;
    return -1;
}

void TEquations::TNameIndex::Enter(const TEquation& Equation, int Position) {
    Positions[&Equation] = Position;
    ByName[AnsiUpperCase(Equation.FunctionName())].insert(Position);
}

const TEquations::TNameIndex& TEquations::NameIndex() const {
    if (!FIndex) {
        FIndex.emplace();
        for (int I = 0; I < Count(); ++I)
            FIndex->Enter(*Get(I), I);
    }
    return *FIndex;
}

void TEquations::Append(TEquation* Equation) {
    TOwnedList::Append(Equation);
    if (FIndex) FIndex->Enter(*Equation, Count() - 1);
}

void TEquations::Remove(TEquation* Equation) {
    FIndex.reset();
    TOwnedList::Remove(Equation);
}

void TEquations::Renamed(const TEquation& Equation, const std::string& OldName) {
    if (!FIndex) return;
    const int Position = FIndex->Positions.at(&Equation);
    const auto Old = FIndex->ByName.find(AnsiUpperCase(OldName));
    Old->second.erase(Position);
    if (Old->second.empty()) FIndex->ByName.erase(Old);
    FIndex->ByName[AnsiUpperCase(Equation.FunctionName())].insert(Position);
}

} // namespace zoZezo
