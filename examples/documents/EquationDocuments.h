#pragma once

#include <QString>

// The example's data-aware mode: the equation documents of the SQLite file at Database (made,
// with sample documents, when new) in a window, one picked from a list into the data-aware
// memo. With a Screenshot path the window is drawn after the first rebuild, saved there as PNG
// and closed. Needs a QApplication; returns the exit status (1 when the file cannot be opened
// or the image not saved).
int RunEquationDocuments(const QString& Database, const QString& Screenshot);
