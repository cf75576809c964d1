#pragma once

#include <QString>
#include <QStringList>
#include <zoZezo/zoZezo.h>

// Rebuilds the evaluator's list from the lines as the equation memo does: each line added and
// compiled at once, up to the first one that fails.
inline void Rebuild(zoZezo::TzoZezoEvaluator& Evaluator, const QStringList& Lines) {
    Evaluator.Equations().Clear();
    for (const QString& Line : Lines)
        if (!Evaluator.Equations().Add(Line.toStdString())->Check()) return;
}
