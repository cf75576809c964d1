#include "DocumentInputs.h"

#include "DocumentStore.h"
#include "VariablesModel.h"

#include <zoZezo/CustomEquationMemo.h>

namespace workbench {

TDocumentInputs::TDocumentInputs(TVariablesModel& Variables, zoZezo::TCustomovEquationMemo& Memo,
                                 TPlotGetter GetPlot, TPlotSetter SetPlot, QObject* Parent)
    : QObject(Parent), FVariables(Variables), FMemo(Memo), FGetPlot(std::move(GetPlot)),
      FSetPlot(std::move(SetPlot)) {
    connect(&Variables, &TVariablesModel::ValuesChanged, this, &TDocumentInputs::SaveVariables);
}

void TDocumentInputs::SetStore(TDocumentStore* Store) {
    FStore = Store;
    FId = -1;
}

void TDocumentInputs::Show(qint64 Id) {
    if (Id == FId) return;
    FId = Id;
    FVariables.Reset(FStore && Id >= 0 ? FStore->Variables(Id) : std::vector<TVariableCell>{});
    const std::optional<TPlotSettings> Plot = FStore ? FStore->PlotSettings(Id) : std::nullopt;
    if (Plot) FSetPlot(*Plot);
    FSavedPlot = FGetPlot();
    FMemo.CheckEquations(); // at once, against the document's own variables
}

void TDocumentInputs::SavePlot() {
    if (!FStore || FId < 0 || FStore->ReadOnly()) return;
    const TPlotSettings Plot = FGetPlot();
    if (Plot == FSavedPlot) return;
    if (!FStore->SetPlotSettings(FId, Plot))
        emit Failed(tr("The plot settings were not saved: %1").arg(FStore->ErrorText()));
    else
        FSavedPlot = Plot;
}

void TDocumentInputs::SaveVariables() {
    if (!FStore || FId < 0 || FStore->ReadOnly()) return;
    if (!FStore->SetVariables(FId, FVariables.Snapshot()))
        emit Failed(tr("The variables were not saved: %1").arg(FStore->ErrorText()));
}

} // namespace workbench
