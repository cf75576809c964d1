#include "zoZezo/Equations.h"

#include "zoZezo/Platform.h"

namespace zoZezo {

void TEquations::SetEquation(int I, const TEquation& Source) {
    if (TEquation* Target = Get(I)) Target->SetEquationStr(Source.EquationStr());
}

int TEquations::FunctionIndexByName(std::string_view Name) const {
    const auto& List = Items();
    for (std::size_t I = 0; I < List.size(); ++I)
        if (SameName(List[I]->FunctionName(), Name)) return static_cast<int>(I);
    return -1;
}

} // namespace zoZezo
