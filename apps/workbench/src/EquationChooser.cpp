#include "EquationChooser.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <QStylePainter>
#include <algorithm>

namespace workbench {

TEquationChooser::TEquationChooser(QWidget* Parent) : QComboBox(Parent) {
    setModel(new QStandardItemModel(this));
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    setMinimumContentsLength(8);
    view()->viewport()->installEventFilter(this);
    view()->installEventFilter(this);
}

void TEquationChooser::SetNames(const QStringList& Names) {
    auto* Items = static_cast<QStandardItemModel*>(model());
    Items->clear();
    for (const QString& Name : Names) {
        auto* Item = new QStandardItem(Name);
        Item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        Items->appendRow(Item);
    }
    if (ChosenInList().isEmpty() && !Names.isEmpty()) FChosen = QStringList{Names.front()};
    view()->setMinimumWidth(std::max(0, view()->sizeHintForColumn(0) + 2 * view()->frameWidth()));
    ShowChecks();
}

QStringList TEquationChooser::Names() const {
    QStringList Result;
    for (int Row = 0; Row < count(); ++Row)
        Result << itemText(Row);
    return Result;
}

void TEquationChooser::SetChosen(const QStringList& Chosen) {
    FChosen = Chosen;
    ShowChecks();
}

QStringList TEquationChooser::ChosenInList() const {
    QStringList Result;
    for (const QString& Name : Names())
        if (FChosen.contains(Name)) Result << Name;
    return Result;
}

void TEquationChooser::ShowChecks() {
    for (int Row = 0; Row < count(); ++Row)
        setItemData(Row, FChosen.contains(itemText(Row)) ? Qt::Checked : Qt::Unchecked,
                    Qt::CheckStateRole);
    update();
}

void TEquationChooser::Toggle(int Row) {
    if (Row < 0 || Row >= count()) return;
    const QString Name = itemText(Row);
    if (!FChosen.removeAll(Name)) FChosen << Name;
    ShowChecks();
    emit ChosenChanged();
}

// Clicks and the space bar in the popup toggle the item under them instead of closing it. A
// click toggles only when it began on the item: the release of the click that opened the popup
// does not.
bool TEquationChooser::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == view()->viewport()) {
        const auto Row = [&] {
            return view()->indexAt(static_cast<QMouseEvent*>(Event)->position().toPoint()).row();
        };
        if (Event->type() == QEvent::MouseButtonPress) {
            FPressedRow = Row();
            return true;
        }
        if (Event->type() == QEvent::MouseButtonRelease) {
            if (FPressedRow >= 0 && FPressedRow == Row()) Toggle(FPressedRow);
            FPressedRow = -1;
            return true;
        }
    }
    if (Watched == view() && Event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Space) {
        Toggle(view()->currentIndex().row());
        return true;
    }
    return QComboBox::eventFilter(Watched, Event);
}

void TEquationChooser::paintEvent(QPaintEvent*) {
    QStylePainter Painter(this);
    QStyleOptionComboBox Option;
    initStyleOption(&Option);
    const QStringList Shown = ChosenInList();
    const QRect Field =
        style()->subControlRect(QStyle::CC_ComboBox, &Option, QStyle::SC_ComboBoxEditField, this);
    Option.currentText =
        fontMetrics().elidedText(Shown.isEmpty() ? tr("(no equation)") : Shown.join(", "),
                                 Qt::ElideRight, Field.width() - 2);
    Option.currentIcon = QIcon();
    Painter.drawComplexControl(QStyle::CC_ComboBox, Option);
    Painter.drawControl(QStyle::CE_ComboBoxLabel, Option);
}

} // namespace workbench
