#include "zoZezo/Equations.h"

#include "zoZezo/Platform.h"

#include <algorithm>

namespace zoZezo {

// Out of line: a compiler that saw the allocation beside a delete of the result would take the
// equation's own operator delete for a mismatch.
TEquation* TEquations::Add(std::string Text) {
    return new TEquation(this, std::move(Text));
}

void TEquations::SetEquation(int I, const TEquation& Source) {
    if (TEquation* Target = Get(I)) Target->SetEquationStr(Source.EquationStr());
}

void TEquations::Delete(int I) {
    if (const TEquation* Equation = Get(I)) Equation->RequireIdle();
    TOwnedList::Delete(I);
}

void TEquations::Clear() {
    RequireIdle();
    TOwnedList::Clear();
}

void TEquations::RequireIdle() const {
    for (const TEquation* Equation : Items())
        Equation->RequireIdle();
}

// Every equation's name is looked up as the equations after it compile, so the lookup goes
// through an index from names to positions. Appending leaves positions as they are, and a new
// equation has no name yet; a rename updates the index; a removal shifts positions and drops it.
int TEquations::FunctionIndexByName(std::string_view Name) const {
    if (Name.empty()) { // empty names are not indexed: equations that never compiled have one
        const auto& List = Items();
        const auto Found = std::find_if(
            List.begin(), List.end(), [](const TEquation* E) { return E->FunctionName().empty(); });
        return Found == List.end() ? -1 : static_cast<int>(Found - List.begin());
    }
    if (!FIndexed) Index();
    const auto Found = FFirstByName.find(Name);
    return Found == FFirstByName.end() ? -1 : Found->second;
}

void TEquations::Index() const {
    FFirstByName.clear();
    FFirstByName.reserve(Items().size());
    const auto& List = Items();
    for (std::size_t I = 0; I < List.size(); ++I)
        if (!List[I]->FunctionName().empty())
            FFirstByName.emplace(List[I]->FunctionName(), static_cast<int>(I));
    FIndexed = true;
}

void TEquations::Append(TEquation* Equation) {
    TOwnedList::Append(Equation);
}

void TEquations::Remove(TEquation* Equation) {
    TOwnedList::Remove(Equation);
    FIndexed = false;
}

void TEquations::Renamed(const TEquation& Equation, const std::string& Old) {
    if (!FIndexed) return;
    const int Position = PositionOf(Equation);
    const auto OldEntry = Old.empty() ? FFirstByName.end() : FFirstByName.find(Old);
    if (Position < 0 || (OldEntry != FFirstByName.end() && OldEntry->second == Position)) {
        FIndexed = false; // which equation now comes first under the old name is unknown
        return;
    }
    const std::string& Name = Equation.FunctionName();
    if (Name.empty()) return;
    const auto [Entry, Inserted] = FFirstByName.emplace(Name, Position);
    if (!Inserted) Entry->second = std::min(Entry->second, Position);
}

// The position of an equation of the list: where the last renamed one stood or the one after it
// (equations are mostly compiled in order), else found from the end (the editor compiles each
// line as it appends it).
int TEquations::PositionOf(const TEquation& Equation) const {
    const auto& List = Items();
    for (int Guess : {FLastRenamed + 1, FLastRenamed})
        if (InRange(Guess) && List[static_cast<std::size_t>(Guess)] == &Equation)
            return FLastRenamed = Guess;
    const auto Found = std::find(List.rbegin(), List.rend(), &Equation);
    if (Found == List.rend()) return -1;
    return FLastRenamed = static_cast<int>(List.rend() - Found) - 1;
}

} // namespace zoZezo
