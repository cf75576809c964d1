#include "ReferencePanel.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace workbench {
namespace {

// Where an entry keeps the text it writes at the caret.
constexpr int WrittenRole = Qt::UserRole;

} // namespace

TReferencePanel::TReferencePanel(QWidget* Parent)
    : QWidget(Parent), FFilter(new QLineEdit(this)), FTree(new QTreeWidget(this)) {
    FFilter->setPlaceholderText(tr("Filter: a name or a word"));
    FFilter->setClearButtonEnabled(true);
    FTree->setColumnCount(2);
    FTree->setHeaderLabels({tr("Write"), tr("What it gives")});
    FTree->setRootIsDecorated(false);
    FTree->setWordWrap(false);
    FTree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(FFilter);
    Layout->addWidget(FTree);
    connect(FFilter, &QLineEdit::textChanged, this, &TReferencePanel::ApplyFilter);
    connect(FTree, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* Item) {
        if (const QString Text = Item->data(0, WrittenRole).toString(); !Text.isEmpty())
            emit Chosen(Text);
    });
}

void TReferencePanel::SetEntries(const std::vector<TReferenceEntry>& Entries,
                                 const std::vector<TDefinition>& Document, QChar OpenParenthesis) {
    FTree->clear();
    QTreeWidgetItem* Groups[] = {Group(tr("Functions")), Group(tr("Operators")),
                                 Group(tr("Constants"))};
    for (const TReferenceEntry& Entry : Entries) {
        auto* Item = new QTreeWidgetItem(Groups[Entry.Kind], {Entry.Usage, Entry.Help});
        const bool Call = Entry.Kind == TReferenceEntry::rkFunction;
        Item->setData(0, WrittenRole, Call ? Entry.Name + OpenParenthesis : Entry.Name);
        Item->setToolTip(1, Entry.Help);
    }
    QTreeWidgetItem* Own = Group(tr("This document"));
    for (const TDefinition& Definition : Document) {
        auto* Item =
            new QTreeWidgetItem(Own, {Definition.Usage, tr("line %1").arg(Definition.Line)});
        Item->setData(0, WrittenRole,
                      Definition.Called ? Definition.Name + OpenParenthesis : Definition.Name);
    }
    FTree->expandAll();
    ApplyFilter();
}

QTreeWidgetItem* TReferencePanel::Group(const QString& Title) {
    auto* Item = new QTreeWidgetItem(FTree, {Title});
    QFont Bold = Item->font(0);
    Bold.setBold(true);
    Item->setFont(0, Bold);
    Item->setFirstColumnSpanned(true);
    return Item;
}

void TReferencePanel::ApplyFilter() {
    const QString Wanted = FFilter->text().trimmed();
    for (int G = 0; G < FTree->topLevelItemCount(); ++G) {
        QTreeWidgetItem* Group = FTree->topLevelItem(G);
        bool Any = false;
        for (int K = 0; K < Group->childCount(); ++K) {
            QTreeWidgetItem* Item = Group->child(K);
            const bool Shown = Item->text(0).contains(Wanted, Qt::CaseInsensitive) ||
                               Item->text(1).contains(Wanted, Qt::CaseInsensitive);
            Item->setHidden(!Shown);
            Any = Any || Shown;
        }
        Group->setHidden(!Any);
    }
}

} // namespace workbench
