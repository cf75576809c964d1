#include "Screenshot.h"

#include "MainWindow.h"
#include "PlotPanel.h"

#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <zoZezo/DBEquationMemo.h>

namespace workbench {
namespace {

// Runs the event loop until Signal fires or the time is up; true when it fired.
template <class Sender, class Signal>
bool WaitFor(Sender* Object, Signal Which, int Milliseconds) {
    QEventLoop Loop;
    bool Fired = false;
    QObject::connect(Object, Which, &Loop, [&] {
        Fired = true;
        Loop.quit();
    });
    QTimer::singleShot(Milliseconds, &Loop, &QEventLoop::quit);
    Loop.exec();
    return Fired;
}

// Runs the event loop for a while.
void Settle(int Milliseconds) {
    QEventLoop Loop;
    QTimer::singleShot(Milliseconds, &Loop, &QEventLoop::quit);
    Loop.exec();
}

int RowNamed(const TDocumentStore& Store, const QString& Name) {
    for (int Row = 0; Row < Store.Count(); ++Row)
        if (Store.Name(Row) == Name) return Row;
    return -1;
}

} // namespace

bool TakeScreenshot(TMainWindow& Window, const QString& Path, QString& Error) {
    const int Row = Window.Store() ? RowNamed(*Window.Store(), "circuit") : -1;
    if (Row < 0 || !Window.SelectDocument(Row)) {
        Error = "the database holds no document named circuit";
        return false;
    }
    Window.resize(1180, 760);
    Window.show();
    QApplication::processEvents();
    Window.Memo()->Refresh();
    if (!WaitFor(&Window, &TMainWindow::ResultsUpdated, 10000)) {
        Error = "the results did not come";
        return false;
    }
    // A Bode plot of the circuit: the current's magnitude in decibels and its phase over a
    // logarithmic frequency axis.
    TPlotSettings Bode;
    Bode.Equations = QStringList{"current"};
    Bode.Variable = "f";
    Bode.From = "10";
    Bode.To = "1e5";
    Bode.Step = "1";
    Bode.XScale = TAxisScale::Logarithmic;
    Bode.Parts = ppDecibels | ppPhase;
    TPlotPanel& Plot = *Window.PlotPanel();
    Plot.SetSettings(Bode);
    if (!Plot.Plot() || !WaitFor(&Plot.Sweep(), &TSweep::Finished, 30000)) {
        Error = "the plot did not finish: " + Plot.Message();
        return false;
    }
    Settle(200); // the chart lays itself out and repaints
    if (!Window.grab().toImage().convertToFormat(QImage::Format_Indexed8).save(Path)) {
        Error = "cannot write " + Path;
        return false;
    }
    return true;
}

} // namespace workbench
