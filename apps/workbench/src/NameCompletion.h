#pragma once

#include "zoZezo/Evaluator.h"

#include <QObject>
#include <QSet>
#include <QStringList>

class QCompleter;
class QPlainTextEdit;
class QStringListModel;

namespace workbench {

// Offers the names a document can use while one is typed in the editor: once two characters
// of a name stand before the caret (or at once on Complete), a list of the names that begin
// so. Return or Tab puts the chosen name in place of what was typed, a function's with its
// opening parenthesis; Escape or any character that is no part of a name closes the list.
class TNameCompletion : public QObject {
    Q_OBJECT

public:
    explicit TNameCompletion(QPlainTextEdit* Editor);

    // The names to offer; those in Functions are called, so their parenthesis comes with
    // them. Comments between OpenComment and CloseComment are left alone.
    void SetNames(QStringList Names, const QStringList& Functions, QChar OpenParenthesis,
                  QChar OpenComment, QChar CloseComment);
    // Shows the list for the name before the caret, however short.
    void Complete();
    QCompleter* Completer() const { return FCompleter; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Typed(int Position, int Removed, int Added);
    void Offer(int Least);
    QString TypedName() const;
    void Insert(const QString& Name);

    QPlainTextEdit* FEditor;
    QCompleter* FCompleter;
    QStringListModel* FNames;
    QSet<QString> FFunctions; // lower case
    QChar FOpenParenthesis = zoZezo::TzoZezoEvaluator::DefaultOpenParentesis;
    QChar FOpenComment = zoZezo::TzoZezoEvaluator::DefaultOpenComment;
    QChar FCloseComment = zoZezo::TzoZezoEvaluator::DefaultCloseComment;
};

} // namespace workbench
