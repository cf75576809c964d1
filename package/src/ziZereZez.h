#pragma once

#include "PaletteEntry.h"

#include <QList>

namespace zoZezo {

// The entries of Qt Designer's widget box that the package fills, in order; the entries are
// QObjects owned by the palette's Owner.
struct TPalette {
    QObject* Owner;
    QList<QDesignerCustomWidgetInterface*> Entries;
};

// Puts one component class on the named page of the palette, after those already there.
void RegisterComponents(TPalette& Palette, const QString& Page, TComponentClass Class);

// The package's registration: the evaluator, the equation memo and the data-aware equation
// memo, in this order, on the page "Orvane Math". The memos' abstract base is not offered.
void Register(TPalette& Palette);

} // namespace zoZezo
