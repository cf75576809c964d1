#pragma once

#include "PlotSettings.h"
#include "Sweep.h"

#include <QWidget>
#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace workbench {

class TEquationChooser;
class TPlotView;

// The plot of a document: which equations to plot over which variable, the range and step, the
// plot itself, and what to draw of complex values and how (the Draw menu, also the plot's
// context menu); the sweep runs on every core, with progress and a way out, and its values and
// the picture can be saved (the Save menu: CSV, PNG, SVG). Everything the user sets is one
// TPlotSettings.
//
// The host tells the panel the names it may offer (SetNames) and gives it the document to
// sweep (SetSource); the panel computes nothing else of the document.
class TPlotPanel : public QWidget {
    Q_OBJECT

public:
    // A job with the document's lines, syntax characters and host variables filled in.
    using TSource = std::function<TSweepJob()>;

    explicit TPlotPanel(QWidget* Parent = nullptr);
    ~TPlotPanel() override;

    void SetSource(TSource Source) { FSource = std::move(Source); }
    // The equations that can be plotted and the variables that can be swept (a name typed in
    // the variable box stays as it is).
    void SetNames(const QStringList& Equations, const QStringList& Variables);

    TPlotSettings Settings() const;
    // Shows the settings; emits no SettingsChanged.
    void SetSettings(const TPlotSettings& Settings);

    // Sweeps the chosen equations over the range. False, with the reason shown under the plot,
    // when the settings or the document do not allow it.
    bool Plot();
    // Cancels a running sweep, and shows the empty plot.
    void Clear();
    void Cancel();

    // Writes the sweep shown as CSV, or the plot as a picture (SVG for a path ending in .svg,
    // PNG otherwise); false, with the reason shown, when the file cannot be written.
    bool SaveCsv(const QString& Path);
    bool SavePicture(const QString& Path);

    TSweep& Sweep() { return FSweep; }
    TPlotView* View() const { return FView; }
    // The reason the last plot could not be made, or what went wrong in it.
    QString Message() const;

signals:
    // The user changed a setting.
    void SettingsChanged();

private:
    void MakeActions();
    void ApplyView();
    void Changed();
    void SweepProgress(int Done, int Total);
    void SweepFinished(bool Cancelled);
    void ShowMessage(const QString& Text);
    void AskYRange();
    void KeepShownYRange();
    void AskSave(const QString& Filter, const QString& Suffix,
                 bool (TPlotPanel::*Save)(const QString&));
    QString SuggestedName(const QString& Suffix) const;
    void UpdateActions();

    TSource FSource;
    TSweep FSweep;
    std::optional<TValueRange> FYRange;
    TEquationChooser* FEquations = nullptr;
    QComboBox* FVariable = nullptr;
    QLineEdit* FFrom = nullptr;
    QLineEdit* FTo = nullptr;
    QLineEdit* FStep = nullptr;
    QPushButton* FPlotButton = nullptr;
    QPushButton* FCancelButton = nullptr;
    TPlotView* FView = nullptr;
    QProgressBar* FProgress = nullptr;
    QLabel* FMessage = nullptr;
    std::vector<QAction*> FPartActions; // in the order of PlotParts
    QAction* FLogX = nullptr;
    QAction* FLogY = nullptr;
    QAction* FAutoY = nullptr;
    QAction* FSaveCsv = nullptr;
    QAction* FSavePng = nullptr;
    QAction* FSaveSvg = nullptr;
};

} // namespace workbench
