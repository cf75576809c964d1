#pragma once

#include <QString>

namespace workbench {

class TMainWindow;

// Shows the circuit example in the window, with its results and a plot of the current over
// the frequency, and writes a picture of the window to Path. Returns false, with Error, when
// the document is missing or the picture cannot be written.
bool TakeScreenshot(TMainWindow& Window, const QString& Path, QString& Error);

} // namespace workbench
