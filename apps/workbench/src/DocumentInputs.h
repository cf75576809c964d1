#pragma once

#include "PlotSettings.h"

#include <QObject>
#include <QPointer>
#include <functional>

namespace zoZezo {
class TCustomovEquationMemo;
}

namespace workbench {

class TDocumentStore;
class TVariablesModel;

// Each document's inputs, kept in its store: the values of its variables and its plot settings.
// When a document becomes current they are loaded into the window (its variables replace the
// ones before, and the equations compile again against them); a changed value is written at
// once, the plot settings when a plot starts and when another document becomes current.
class TDocumentInputs : public QObject {
    Q_OBJECT

public:
    using TPlotGetter = std::function<TPlotSettings()>;
    using TPlotSetter = std::function<void(const TPlotSettings&)>;

    TDocumentInputs(TVariablesModel& Variables, zoZezo::TCustomovEquationMemo& Memo,
                    TPlotGetter GetPlot, TPlotSetter SetPlot, QObject* Parent = nullptr);

    // The store the documents come from; none forgets the document shown.
    void SetStore(TDocumentStore* Store);
    // Shows the inputs of the document with this id (-1: none). Call SavePlot() first, while
    // the plot controls still show the document before.
    void Show(qint64 Id);
    // Writes the current document's plot settings when they changed.
    void SavePlot();

signals:
    // A write failed; Message says why.
    void Failed(const QString& Message);

private:
    void SaveVariables();

    TVariablesModel& FVariables;
    zoZezo::TCustomovEquationMemo& FMemo;
    TPlotGetter FGetPlot;
    TPlotSetter FSetPlot;
    QPointer<TDocumentStore> FStore;
    qint64 FId = -1;
    TPlotSettings FSavedPlot; // as last read or written
};

} // namespace workbench
