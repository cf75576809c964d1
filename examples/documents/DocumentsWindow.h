#pragma once

#include <QLabel>
#include <QListView>
#include <QSqlTableModel>
#include <QWidget>
#include <zoZezo/DBEquationMemo.h>
#include <zoZezo/DataSource.h>
#include <zoZezo/Evaluator.h>

// The data-aware memo at work: a list of the equation documents of the default connection's
// table "documents", the memo bound to the chosen one's body, and the values of its equations
// after each rebuild. Edits are written when another document is chosen, when the memo loses
// the focus, on Save and when the window closes; Revert drops them.
class TDocumentsWindow : public QWidget {
    Q_OBJECT

public:
    explicit TDocumentsWindow(QWidget* Parent = nullptr);

    zoZezo::TovDBEquationMemo& Memo() { return *FMemo; }
    zoZezo::TDataSource& Source() { return FSource; }

private:
    void ShowValues();
    void SelectCurrentRow(int Row);

    QSqlTableModel FModel;
    zoZezo::TDataSource FSource;
    zoZezo::TzoZezoEvaluator FEvaluator;
    QListView* FList;
    zoZezo::TovDBEquationMemo* FMemo;
    QLabel* FValues;
};
