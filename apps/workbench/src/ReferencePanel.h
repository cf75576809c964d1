#pragma once

#include "LineResults.h"
#include "Reference.h"

#include <QWidget>
#include <vector>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace workbench {

// The reference beside the editor: the functions, operators and constants the evaluator
// offers, each with its line of help, and the equations the document defines. A filter keeps
// the entries whose name or help holds what is typed. A double-click (or Return) on an entry
// asks for its name to be written at the caret, with the opening parenthesis of a call.
class TReferencePanel : public QWidget {
    Q_OBJECT

public:
    explicit TReferencePanel(QWidget* Parent = nullptr);

    void SetEntries(const std::vector<TReferenceEntry>& Entries,
                    const std::vector<TDefinition>& Document, QChar OpenParenthesis);
    QTreeWidget* Tree() const { return FTree; }
    QLineEdit* Filter() const { return FFilter; }

signals:
    void Chosen(const QString& Text);

private:
    void ApplyFilter();
    QTreeWidgetItem* Group(const QString& Title);

    QLineEdit* FFilter;
    QTreeWidget* FTree;
};

} // namespace workbench
