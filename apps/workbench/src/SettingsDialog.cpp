#include "SettingsDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace workbench {
namespace {

const char* const Labels[] = {
    "&Decimal point:", "&Imaginary suffix:", "&Open parenthesis:", "&Close parenthesis:",
    "&Separator:",     "Open &comment:",     "Close co&mment:"};

} // namespace

TSettingsDialog::TSettingsDialog(const TSyntaxCharacters& Current, QWidget* Parent)
    : QDialog(Parent), FProblem(new QLabel(this)) {
    setWindowTitle(tr("Syntax characters"));
    auto* Form = new QFormLayout;
    const auto& Fields = TSyntaxCharacters::Fields();
    for (std::size_t K = 0; K < Fields.size(); ++K) {
        auto* Edit = new QLineEdit(QString(QChar(Current.*Fields[K].Member)), this);
        Edit->setMaxLength(1);
        Edit->setObjectName(Fields[K].Name);
        Edit->setMaximumWidth(Edit->fontMetrics().horizontalAdvance("MMMM"));
        connect(Edit, &QLineEdit::textChanged, this, &TSettingsDialog::ShowProblem);
        Form->addRow(tr(Labels[K]), Edit);
        FFields[K] = Edit;
    }
    FProblem->setStyleSheet("color: #800000");
    auto* Buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::RestoreDefaults, this);
    connect(Buttons, &QDialogButtonBox::accepted, this, &TSettingsDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &TSettingsDialog::reject);
    connect(Buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this,
            [this] {
                const TSyntaxCharacters Defaults;
                const auto& All = TSyntaxCharacters::Fields();
                for (std::size_t K = 0; K < All.size(); ++K)
                    FFields[K]->setText(QString(QChar(Defaults.*All[K].Member)));
            });
    auto* Layout = new QVBoxLayout(this);
    Layout->addLayout(Form);
    Layout->addWidget(FProblem);
    Layout->addWidget(Buttons);
}

TSyntaxCharacters TSettingsDialog::Characters() const {
    TSyntaxCharacters Result;
    const auto& Fields = TSyntaxCharacters::Fields();
    for (std::size_t K = 0; K < Fields.size(); ++K) {
        const QString Text = FFields[K]->text();
        const char16_t C = Text.isEmpty() ? u' ' : Text[0].unicode();
        Result.*Fields[K].Member = C < 128 ? static_cast<char>(C) : ' ';
    }
    return Result;
}

void TSettingsDialog::ShowProblem() {
    FProblem->setText(Characters().Problem());
}

void TSettingsDialog::accept() {
    ShowProblem();
    if (FProblem->text().isEmpty()) QDialog::accept();
}

} // namespace workbench
