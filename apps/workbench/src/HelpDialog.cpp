#include "HelpDialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace workbench {
namespace {

// The page is written with the default characters between '@': @(@ is the opening
// parenthesis, and so on; each stands for the user's own.
QString LanguagePage(const TSyntaxCharacters& Syntax) {
    QString Page = QObject::tr(
        "<h3>The equation language</h3>"
        "<p>One equation a line: a name, a colon and an expression. A line may use the lines "
        "above it.</p>"
        "<pre>y: 2*x^2 + Sin@(@x@)@\n"
        "f@(@a@;@ b@)@: a*b - 1        @{@ a function of two parameters @}@\n"
        "z: f@(@y@;@ 3@)@ + 2@.@5e-3 - 4@j@</pre>"
        "<ul>"
        "<li><b>Numbers</b>: <code>12</code>, <code>0@.@5</code>, <code>1@.@5e-3</code>; "
        "<code>4@j@</code> is imaginary. Every value is complex.</li>"
        "<li><b>Operators</b>, tightest first: <code>^</code>; <code>* / \\</code>; "
        "<code>+ -</code>; <code>&gt; &lt; &gt;= &lt;= &lt;&gt; =</code> (1 or 0); "
        "<code>and or xor</code>, written between blanks. A leading <code>-</code> touches "
        "its operand: <code>-x</code>.</li>"
        "<li><b>Functions</b> are called with the name touching the parenthesis: "
        "<code>If@(@c@;@ a@;@ b@)@</code>. View &gt; Reference lists them all.</li>"
        "<li><b>Constants</b>: <code>e</code> and <code>pi</code>.</li>"
        "<li><b>Comments</b>: <code>@{@ ... @}@</code>, anywhere, nested too.</li>"
        "<li><b>Names</b> begin with a letter or <code>_</code>; letter case does not matter. "
        "A name that nothing defines becomes a <b>variable</b>: set its value in the table of "
        "variables.</li>"
        "</ul>"
        "<p>Edit &gt; Syntax characters changes the decimal point, the imaginary suffix, the "
        "parentheses, the separator and the comment marks.</p>");
    const TSyntaxCharacters Defaults;
    for (const TSyntaxCharacters::TField& Field : TSyntaxCharacters::Fields())
        Page.replace(QString("@%1@").arg(QChar(Defaults.*Field.Member)),
                     QString(QChar(Syntax.*Field.Member)).toHtmlEscaped());
    return Page;
}

QString ShortcutsPage() {
    const char* const Keys[][2] = {
        {"Ctrl+N", QT_TRANSLATE_NOOP("THelpDialog", "new document")},
        {"F2", QT_TRANSLATE_NOOP("THelpDialog", "rename the document (in the list)")},
        {"Delete", QT_TRANSLATE_NOOP("THelpDialog", "delete the document (in the list)")},
        {"Ctrl+S", QT_TRANSLATE_NOOP("THelpDialog", "save")},
        {"Ctrl+O", QT_TRANSLATE_NOOP("THelpDialog", "open a document database")},
        {"Ctrl+E", QT_TRANSLATE_NOOP("THelpDialog", "export the document as a .zez file")},
        {"Ctrl+Z, Ctrl+Shift+Z", QT_TRANSLATE_NOOP("THelpDialog", "undo, redo")},
        {"Ctrl+X, Ctrl+C, Ctrl+V", QT_TRANSLATE_NOOP("THelpDialog", "cut, copy, paste; Copy in "
                                                                    "the results copies rows "
                                                                    "for a spreadsheet")},
        {"Ctrl+F, F3", QT_TRANSLATE_NOOP("THelpDialog", "find, find next")},
        {"Ctrl+G", QT_TRANSLATE_NOOP("THelpDialog", "go to a line")},
        {"Ctrl+Space", QT_TRANSLATE_NOOP("THelpDialog", "complete the name before the caret")},
        {"Tab, Shift+Tab", QT_TRANSLATE_NOOP("THelpDialog", "next, previous part of the window")},
        {"Return, double-click", QT_TRANSLATE_NOOP("THelpDialog", "on a result: go to its line")},
        {"F1", QT_TRANSLATE_NOOP("THelpDialog", "the equation language")},
        {"F4", QT_TRANSLATE_NOOP("THelpDialog", "the reference of functions, operators and "
                                                "constants")},
        {"Ctrl+Q", QT_TRANSLATE_NOOP("THelpDialog", "quit")},
    };
    QString Rows;
    for (const auto& Key : Keys)
        Rows += QString("<tr><td><b>%1</b></td><td>%2</td></tr>")
                    .arg(QString(Key[0]).toHtmlEscaped(),
                         QCoreApplication::translate("THelpDialog", Key[1]).toHtmlEscaped());
    return QObject::tr("<h3>Keyboard shortcuts</h3><table cellspacing=\"4\">%1</table>").arg(Rows);
}

} // namespace

THelpDialog::THelpDialog(TTopic Topic, const TSyntaxCharacters& Syntax, QWidget* Parent)
    : QDialog(Parent) {
    setWindowTitle(Topic == htLanguage ? tr("The equation language") : tr("Keyboard shortcuts"));
    auto* Text = new QTextBrowser(this);
    Text->setHtml(Page(Topic, Syntax));
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(Text);
    Layout->addWidget(Buttons);
    resize(560, 520);
}

QString THelpDialog::Page(TTopic Topic, const TSyntaxCharacters& Syntax) {
    return Topic == htLanguage ? LanguagePage(Syntax) : ShortcutsPage();
}

} // namespace workbench
