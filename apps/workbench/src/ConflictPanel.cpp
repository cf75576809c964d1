#include "ConflictPanel.h"

#include <QBoxLayout>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>

namespace workbench {

TConflictPanel::TConflictPanel(QWidget* Parent)
    : QWidget(Parent), FTitle(new QLabel(this)), FTheirs(new QPlainTextEdit(this)),
      FKeepMine(new QPushButton(tr("Keep mine"), this)),
      FTakeTheirs(new QPushButton(tr("Take theirs"), this)),
      FMerge(new QPushButton(tr("Merge by hand"), this)) {
    setObjectName("ConflictPanel");
    FTitle->setWordWrap(true);
    FTitle->setTextFormat(Qt::PlainText);
    QFont Bold = FTitle->font();
    Bold.setBold(true);
    FTitle->setFont(Bold);
    auto* Hint = new QLabel(
        tr("Your text stays in the editor, unsaved. Their version is shown here."), this);
    Hint->setWordWrap(true);
    FTheirs->setReadOnly(true);
    FTheirs->setLineWrapMode(QPlainTextEdit::NoWrap);
    FTheirs->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    FKeepMine->setToolTip(tr("Save your text over their version"));
    FTakeTheirs->setToolTip(tr("Drop your changes and show their version"));
    FMerge->setToolTip(tr("Put both texts into the editor, one after the other, to join them "
                          "there; saving then writes over their version"));

    // Two to a row: the panel stays narrow beside the editor.
    auto* Buttons = new QGridLayout;
    Buttons->addWidget(FKeepMine, 0, 0);
    Buttons->addWidget(FTakeTheirs, 0, 1);
    Buttons->addWidget(FMerge, 1, 0, 1, 2);
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(6, 0, 0, 0);
    Layout->addWidget(FTitle);
    Layout->addWidget(Hint);
    Layout->addWidget(FTheirs, 1);
    Layout->addLayout(Buttons);

    connect(FKeepMine, &QPushButton::clicked, this, [this] { emit Chosen(TChoice::ccKeepMine); });
    connect(FTakeTheirs, &QPushButton::clicked, this,
            [this] { emit Chosen(TChoice::ccTakeTheirs); });
    connect(FMerge, &QPushButton::clicked, this, [this] { emit Chosen(TChoice::ccMergeByHand); });
    hide();
}

void TConflictPanel::ShowConflict(const QString& Theirs, qint64 Revision) {
    FTitle->setText(tr("Someone else saved this document meanwhile (revision %1).").arg(Revision));
    if (FTheirs->toPlainText() != Theirs) FTheirs->setPlainText(Theirs);
    show();
}

QString TConflictPanel::TheirText() const {
    return FTheirs->toPlainText();
}

void TConflictPanel::PlaceBeside(QWidget& Editor) {
    QWidget* Parent = Editor.parentWidget();
    auto* Split = new QSplitter(Qt::Horizontal, Parent);
    Split->setObjectName("ConflictSplitter");
    Split->setChildrenCollapsible(false);
    if (QLayout* Layout = Parent ? Parent->layout() : nullptr)
        delete Layout->replaceWidget(&Editor, Split);
    Split->addWidget(&Editor);
    Split->addWidget(this);
    Split->setStretchFactor(0, 3);
    Split->setStretchFactor(1, 2);
}

} // namespace workbench
