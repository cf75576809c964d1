#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace workbench {

// Shown beside the editor when someone else saved the document that the user is editing: the
// other version, read-only, while the user's own text stays in the editor, unsaved. The user
// chooses what happens: keep mine (save it over the other version, knowingly), take theirs
// (drop mine), or merge by hand (both texts into the editor, to be joined there).
class TConflictPanel : public QWidget {
    Q_OBJECT

public:
    enum class TChoice { ccKeepMine, ccTakeTheirs, ccMergeByHand };

    explicit TConflictPanel(QWidget* Parent = nullptr);

    // Shows the other version: its text and the revision it was saved as.
    void ShowConflict(const QString& Theirs, qint64 Revision);
    QString TheirText() const;

    // Puts the panel beside Editor: the two share the editor's place in its layout, side by
    // side, the panel hidden until a conflict.
    void PlaceBeside(QWidget& Editor);

signals:
    void Chosen(workbench::TConflictPanel::TChoice Choice);

private:
    QLabel* FTitle;
    QPlainTextEdit* FTheirs;
    QPushButton* FKeepMine;
    QPushButton* FTakeTheirs;
    QPushButton* FMerge;
};

} // namespace workbench
