#include "DocumentsWindow.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QSqlRecord>
#include <QTextStream>
#include <QVBoxLayout>
#include <cstdio>
#include <zoZezo/Exception.h>

namespace {

QString ComplexText(const zoZezo::TComplex& Value) {
    const auto Re = static_cast<double>(Value.Re);
    const auto Im = static_cast<double>(Value.Im);
    if (Im == 0) return QString::number(Re, 'g', 8);
    return QStringLiteral("%1%2%3j").arg(QString::number(Re, 'g', 8),
                                         Im < 0 ? QStringLiteral("-") : QStringLiteral("+"),
                                         QString::number(Im < 0 ? -Im : Im, 'g', 8));
}

} // namespace

TDocumentsWindow::TDocumentsWindow(QWidget* Parent) : QWidget(Parent) {
    setWindowTitle(QStringLiteral("Equation documents"));
    FModel.setTable(QStringLiteral("documents"));
    FModel.setSort(FModel.fieldIndex(QStringLiteral("id")), Qt::AscendingOrder);
    FModel.select();
    FSource.SetModel(&FModel);

    FList = new QListView;
    FList->setModel(&FModel);
    FList->setModelColumn(FModel.fieldIndex(QStringLiteral("title")));
    FList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FList->setMaximumWidth(170);

    FMemo = new zoZezo::TovDBEquationMemo;
    FMemo->SetRefreshDelay(300);
    FMemo->SetzoZezoEvaluator(&FEvaluator);
    FMemo->SetDataSource(&FSource);
    FMemo->SetDataField(QStringLiteral("body"));

    FValues = new QLabel;
    FValues->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    FValues->setMinimumWidth(280);
    FValues->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* Save = new QPushButton(QStringLiteral("Save"));
    auto* Revert = new QPushButton(QStringLiteral("Revert"));
    Revert->setFocusPolicy(Qt::NoFocus); // taking the focus would save the edits first
    auto* Buttons = new QVBoxLayout;
    Buttons->addWidget(Save);
    Buttons->addWidget(Revert);
    Buttons->addStretch();

    auto* Layout = new QHBoxLayout(this);
    Layout->addWidget(FList);
    Layout->addWidget(FMemo, 1);
    Layout->addWidget(FValues);
    Layout->addLayout(Buttons);
    resize(880, 300);

    connect(Save, &QPushButton::clicked, FMemo, &zoZezo::TovDBEquationMemo::SaveEdits);
    connect(Revert, &QPushButton::clicked, &FSource, &zoZezo::TDataSource::Cancel);
    connect(FMemo, &zoZezo::TCustomovEquationMemo::OnEvaluate, this, &TDocumentsWindow::ShowValues);
    connect(FMemo, &zoZezo::TovDBEquationMemo::OnDataError, this,
            [](zoZezo::TCustomovEquationMemo*, const QString& Message) {
                std::fprintf(stderr, "%s\n", qPrintable(Message));
            });
    // The list picks the record; a refused move (unsaved text that cannot be written) puts
    // the list back on the record that is still shown.
    connect(FList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& Current) {
                if (!FSource.MoveTo(Current.row())) SelectCurrentRow(FSource.CurrentRow());
            });
    connect(&FSource, &zoZezo::TDataSource::CurrentRowChanged, this,
            &TDocumentsWindow::SelectCurrentRow);
    SelectCurrentRow(FSource.CurrentRow());
}

void TDocumentsWindow::SelectCurrentRow(int Row) {
    const QModelIndex Index = FModel.index(Row, FList->modelColumn());
    if (FList->currentIndex() != Index)
        FList->selectionModel()->setCurrentIndex(Index, QItemSelectionModel::ClearAndSelect);
}

// Lists "name = value" for every equation without parameters, and prints the list.
void TDocumentsWindow::ShowValues() {
    if (FMemo->ErrorLine() > 0) return;
    QString Text;
    auto& Equations = FEvaluator.Equations();
    for (int I = 0; I < Equations.Count(); ++I) {
        zoZezo::TEquation& Equation = *Equations.GetEquation(I);
        if (Equation.FunctionName().empty() || Equation.LocalConstants().Count() > 0) continue;
        QString Value;
        try {
            Value = ComplexText(Equation.ComputeC());
        } catch (const zoZezo::Exception& Error) {
            Value = QString::fromStdString(Error.what());
        }
        Text +=
            QStringLiteral("%1 = %2\n").arg(QString::fromStdString(Equation.FunctionName()), Value);
    }
    FValues->setText(Text);
    std::printf("%s\n", qPrintable(Text));
    std::fflush(stdout);
}
