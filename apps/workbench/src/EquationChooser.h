#pragma once

#include <QComboBox>
#include <QStringList>

namespace workbench {

// A box to choose any number of names from a list: its popup shows them with check boxes that
// a click or the space bar toggles, and stays open meanwhile; the closed box shows the chosen
// names. The choice outlives the list: a chosen name that leaves the list (while its line is
// faulty, say) is chosen again when it comes back.
class TEquationChooser : public QComboBox {
    Q_OBJECT

public:
    explicit TEquationChooser(QWidget* Parent = nullptr);

    // The names to choose from. When none of the chosen names is among them, the first is
    // chosen.
    void SetNames(const QStringList& Names);
    QStringList Names() const;

    // The chosen names, also those not in the list now.
    QStringList Chosen() const { return FChosen; }
    void SetChosen(const QStringList& Chosen);
    // The chosen names that the list holds, in its order.
    QStringList ChosenInList() const;

signals:
    // The user checked or unchecked a name.
    void ChosenChanged();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;

private:
    void Toggle(int Row);
    void ShowChecks();

    QStringList FChosen;
    int FPressedRow = -1;
};

} // namespace workbench
