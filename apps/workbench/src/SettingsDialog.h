#pragma once

#include "SyntaxCharacters.h"

#include <QDialog>
#include <array>

class QLabel;
class QLineEdit;

namespace workbench {

// Lets the user choose the seven syntax characters (a comma as the decimal point, say). The
// dialog accepts only characters the equation language can work with, and says why it
// refuses others.
class TSettingsDialog : public QDialog {
    Q_OBJECT

public:
    explicit TSettingsDialog(const TSyntaxCharacters& Current, QWidget* Parent = nullptr);

    // The characters as the fields stand; check Problem() before using them.
    TSyntaxCharacters Characters() const;
    QLineEdit* Field(int Index) const { return FFields[static_cast<std::size_t>(Index)]; }

    void accept() override;

private:
    void ShowProblem();

    std::array<QLineEdit*, 7> FFields{};
    QLabel* FProblem;
};

} // namespace workbench
