#pragma once

#include "zoZezo/Component.h"
#include "zoZezo/Evaluator.h"
#include "zoZezo/Font.h"

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QFrame>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTextBlock>
#include <QTextCharFormat>
#include <array>
#include <memory>
#include <string>
#include <vector>

namespace zoZezo {

class TBevel;
class TEquationHighlighter;
class TLineClassesTracker;
class TRebuildClasses;
class TRefreshTimer;
class TStatusLine;

// The equation editor panel: an editor in which the user writes one equation per line, a
// separator line and a status line under it, and a refresh timer. After every pause in typing
// of RefreshDelay milliseconds it rebuilds the equation list of the evaluator it points at
// (which it does not own) from the editor's lines, shows the first faulty line's error in the
// status line (a click there puts the caret on it), and, when every line compiled, colours the
// text by character class with the four class fonts. OnEvaluate then fires, whatever the
// outcome.
//
// The class creates no editor: a variant creates one (any QPlainTextEdit) and hands it to
// SetUpEditor from its constructor. Until then the memo has no editor and rebuilds nothing but
// the error state.
//
// Design mode is TComponent's Designing(): while it is set, edits fire no OnChange and start no
// rebuild.
class TCustomovEquationMemo : public QFrame, public TComponent {
    Q_OBJECT
    Q_PROPERTY(int RefreshDelay READ RefreshDelay WRITE setRefreshDelay)
    Q_PROPERTY(QFont FontOfIds READ FontOfIdsQFont WRITE SetFontOfIdsQFont)
    Q_PROPERTY(QColor FontOfIdsColor READ FontOfIdsColor WRITE SetFontOfIdsColor)
    Q_PROPERTY(QFont FontOfNumbers READ FontOfNumbersQFont WRITE SetFontOfNumbersQFont)
    Q_PROPERTY(QColor FontOfNumbersColor READ FontOfNumbersColor WRITE SetFontOfNumbersColor)
    Q_PROPERTY(QFont FontOfSymbols READ FontOfSymbolsQFont WRITE SetFontOfSymbolsQFont)
    Q_PROPERTY(QColor FontOfSymbolsColor READ FontOfSymbolsColor WRITE SetFontOfSymbolsColor)
    Q_PROPERTY(QFont FontOfRemarks READ FontOfRemarksQFont WRITE SetFontOfRemarksQFont)
    Q_PROPERTY(QColor FontOfRemarksColor READ FontOfRemarksColor WRITE SetFontOfRemarksColor)
    // The evaluator by name, as a form file stores it (see zoZezoEvaluatorName). Bytes, as a
    // label's buddy is: a form designer stores a name of another component untranslated.
    Q_PROPERTY(QByteArray zoZezoEvaluator READ zoZezoEvaluatorUtf8 WRITE SetzoZezoEvaluatorUtf8)
    Q_PROPERTY(QString StatusText READ StatusText DESIGNABLE false STORED false)

public:
    // Panel 240 x 80 pixels in "Courier New" of the class fonts' size, fonts, status line,
    // bevel and an idle timer.
    // Installs the message-box handler for ShowMessage (see MessageBoxHandler.h).
    explicit TCustomovEquationMemo(QWidget* Parent = nullptr);
    ~TCustomovEquationMemo() override;

    const char* ClassName() const override { return "TCustomovEquationMemo"; }

    // Rebuilds at once: clears the evaluator's equation list, adds and compiles the editor's
    // lines in order until one fails, then shows that error, or clears the status line and
    // colours the text; fires OnEvaluate last. A memo that names an evaluator it does not have
    // resolves the name first (ResolveEvaluatorName). Without an evaluator it only clears the
    // error line and column and fires OnEvaluate. Leaves the timer as it was. Exceptions of the
    // host's handlers pass through; a call from a handler while the lines compile throws
    // EzoZezoEvaluatorError and changes nothing.
    //
    // Host code that runs while the lines compile (OnAcceptLabel) may free the equation being
    // compiled (its error is still shown), free the memo (nothing more happens), or assign
    // another evaluator or none: the rebuild then ends there, and another evaluator is rebuilt
    // after another pause. Text it edits meanwhile is coloured by the rebuild after the pause
    // that edit starts.
    void Refresh();
    // The timer's handler: in design mode nothing; otherwise Refresh, then the timer is idle
    // unless that rebuild left another one due. An exception from Refresh is shown through
    // ShowMessage and the timer is armed again, so the rebuild is retried after RefreshDelay.
    // Never throws.
    void CheckEquations();
    // The editor's change handler: outside design mode, restarts the pause from zero and fires
    // OnChange. An exception from an OnChange handler is shown through ShowMessage. Never
    // throws.
    void Change();
    // The status line's click handler: with an error recorded, focuses the editor and puts the
    // caret before the faulty character (at the end of the line when the error lies past it).
    void PositionateEquation();

    // Plain-text mode: no colouring. Here it only records Value; a variant also switches its
    // editor (see SetEditorPlainText).
    virtual void SetPlainText(bool Value);
    bool PlainText() const { return FPlainText; }

    // Milliseconds of pause after the last change before the rebuild; 500 by default. Takes
    // effect at once, also on a running countdown's next start.
    int RefreshDelay() const { return FRefreshDelay; }
    void SetRefreshDelay(int Value);
    // The same under Qt's setter name: a form designer stores a whole-number property without
    // marking its setter as non-standard, so uic-generated code calls setRefreshDelay.
    void setRefreshDelay(int Value) { SetRefreshDelay(Value); }
    // True while the timer counts down to a rebuild.
    bool RefreshPending() const;

    // The evaluator whose equation list the memo rebuilds, or null. Not owned; the reference
    // clears itself when that evaluator is destroyed.
    TzoZezoEvaluator* zoZezoEvaluator() const { return FEvaluator; }
    void SetzoZezoEvaluator(TzoZezoEvaluator* Value);
    // The name of the evaluator on the memo's form: that of the assigned evaluator, or else the
    // name given, which ResolveEvaluatorName resolves to the TzoZezoEvaluatorWidget of that
    // objectName. Setting a name other than the assigned evaluator's drops that evaluator.
    QString zoZezoEvaluatorName() const;
    void SetzoZezoEvaluatorName(const QString& Name);
    // Without an evaluator but with a name, takes the evaluator of the TzoZezoEvaluatorWidget
    // of that objectName nearest to the memo: the first found among the descendants of the
    // memo's parent, then of its parent, and so on up. True when the memo has an evaluator
    // afterwards. FormLoaded calls it, and so does every rebuild, so that a memo on a form that
    // nobody completed (Qt Designer's preview, say) finds its evaluator by itself.
    bool ResolveEvaluatorName();

    // The editor's lines, each block's text whole (no line breaks), the last line included.
    QStringList Equations() const;
    // Replaces the editor's text by Lines; the rebuild follows as after any edit.
    void SetEquations(const QStringList& Lines);

    // The fonts of the four character classes. Setting one copies it and repaints the text
    // coloured with it at once; nothing is rebuilt.
    const TFont& FontOfIds() const { return FFonts[ccId]; }
    const TFont& FontOfNumbers() const { return FFonts[ccNumber]; }
    const TFont& FontOfSymbols() const { return FFonts[ccSymbol]; }
    const TFont& FontOfRemarks() const { return FFonts[ccRemark]; }
    void SetFontOfIds(const TFont& Value) { SetClassFont(ccId, Value); }
    void SetFontOfNumbers(const TFont& Value) { SetClassFont(ccNumber, Value); }
    void SetFontOfSymbols(const TFont& Value) { SetClassFont(ccSymbol, Value); }
    void SetFontOfRemarks(const TFont& Value) { SetClassFont(ccRemark, Value); }

    // The same fonts as properties a form designer edits: face, size and style as a QFont,
    // the colour apart.
    QFont FontOfIdsQFont() const { return FontOfIds().ToQFont(); }
    QFont FontOfNumbersQFont() const { return FontOfNumbers().ToQFont(); }
    QFont FontOfSymbolsQFont() const { return FontOfSymbols().ToQFont(); }
    QFont FontOfRemarksQFont() const { return FontOfRemarks().ToQFont(); }
    void SetFontOfIdsQFont(const QFont& Value) { SetClassQFont(ccId, Value); }
    void SetFontOfNumbersQFont(const QFont& Value) { SetClassQFont(ccNumber, Value); }
    void SetFontOfSymbolsQFont(const QFont& Value) { SetClassQFont(ccSymbol, Value); }
    void SetFontOfRemarksQFont(const QFont& Value) { SetClassQFont(ccRemark, Value); }
    QColor FontOfIdsColor() const { return ToQColor(FontOfIds().Color); }
    QColor FontOfNumbersColor() const { return ToQColor(FontOfNumbers().Color); }
    QColor FontOfSymbolsColor() const { return ToQColor(FontOfSymbols().Color); }
    QColor FontOfRemarksColor() const { return ToQColor(FontOfRemarks().Color); }
    void SetFontOfIdsColor(const QColor& Value) { SetClassColor(ccId, Value); }
    void SetFontOfNumbersColor(const QColor& Value) { SetClassColor(ccNumber, Value); }
    void SetFontOfSymbolsColor(const QColor& Value) { SetClassColor(ccSymbol, Value); }
    void SetFontOfRemarksColor(const QColor& Value) { SetClassColor(ccRemark, Value); }

    // Gives the focus to the editor.
    void SetFocus();

    // Call once the memo has been read from a stored form: fires OnCreate, nothing else.
    virtual void Loaded();

    // The last rebuild's error: line and column count from 1 (the column in characters), both
    // 0 when the last rebuild found none or had no evaluator. Code and message describe the
    // last error and are cleared only by a rebuild in which every line compiled.
    int ErrorLine() const { return FErrorLine; }
    int ErrorColumn() const { return FErrorColumn; }
    int ErrorCode() const { return FErrorCode; }
    QString ErrorMessage() const { return FErrorMessage; }
    // What the status line shows.
    QString StatusText() const;

    // The hosted editor; null until a variant has set one up.
    QPlainTextEdit* Editor() const { return FEditor; }

    QSize sizeHint() const override { return {240, 80}; }

Q_SIGNALS:
    // From Loaded.
    void OnCreate(zoZezo::TCustomovEquationMemo* Sender);
    // At the end of every Refresh that returns normally.
    void OnEvaluate(zoZezo::TCustomovEquationMemo* Sender);
    // After every change of the editor's text outside design mode; recolouring is no change.
    void OnChange(zoZezo::TCustomovEquationMemo* Sender);

protected:
    // The character classes of the compiler's class digits '0' to '3'.
    enum TCharClass : int { ccRemark, ccSymbol, ccId, ccNumber };

    // For a variant's constructor: makes Editor (a new QPlainTextEdit or subclass, owned from
    // now on) the memo's editor: fills the panel above the bevel, no frame, no line wrap, both
    // scroll bars as needed, the memo's font, its text changes wired to Change and the
    // colouring attached; last it calls SetPlainText(false), which reaches the variant's
    // override. Call it once.
    void SetUpEditor(QPlainTextEdit* Editor);
    // For a variant's SetPlainText: the editor's own plain-text mode. True removes every
    // colour from the text and stops colouring; false colours again from the next rebuild.
    // Neither counts as a change of the text.
    void SetEditorPlainText(bool Value);

    // For a variant's own reports: shows Text in the status line until a rebuild replaces it.
    void SetStatusText(const QString& Text);

    // Clears the evaluator reference when that evaluator is destroyed.
    void Notification(TComponent* AComponent) override;
    // Follows the size of the editor's viewport (see FollowView).
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    QByteArray zoZezoEvaluatorUtf8() const { return zoZezoEvaluatorName().toUtf8(); }
    void SetzoZezoEvaluatorUtf8(const QByteArray& Name) {
        SetzoZezoEvaluatorName(QString::fromUtf8(Name));
    }
    void SetClassFont(TCharClass Class, const TFont& Value);
    void SetClassQFont(TCharClass Class, const QFont& Value);
    void SetClassColor(TCharClass Class, const QColor& Value);

    void Rebuild(const QPointer<TCustomovEquationMemo>& Self);
    // Ends this rebuild's use of what it compiled and arms the timer for another one.
    void RebuildAgain();
    std::vector<std::string> EquationTexts() const;
    void ShowError(const TEquation& Faulty);
    void Recolour();
    // Gives each line the classes of its equation in the last rebuild; returns the blocks
    // whose classes changed, in document order.
    std::vector<QTextBlock> TakeNewClasses();
    void RepaintColours();
    // Tells the colouring which columns are in view, so that long lines are coloured there.
    void FollowView();
    void GetEditorCaret(int& Line, int& Column) const;
    void SetEditorCaret(int Line, int Column);
    void EditorTextChanged();
    void EditorContentsChanged(int Position, int Removed, int Added);

    std::array<TFont, 4> FFonts;
    std::array<QTextCharFormat, 4> FFormats;
    TBevel* FBevel;
    TStatusLine* FStatusLine;
    TRefreshTimer* FTimer;
    QPointer<QPlainTextEdit> FEditor;
    TEquationHighlighter* FHighlighter = nullptr;
    std::unique_ptr<TLineClassesTracker> FLineClasses;
    std::unique_ptr<TRebuildClasses> FNewClasses; // the classes the last rebuild compiled
    TzoZezoEvaluator* FEvaluator = nullptr;
    QString FEvaluatorName; // the name a form gave, until FormLoaded resolves it
    int FErrorColumn = 0;
    int FErrorLine = 0;
    int FErrorCode = 0;
    QString FErrorMessage;
    int FRefreshDelay = 500;
    bool FPlainText = false;
    bool FRebuilding = false;
    bool FRebuildAgain = false; // what the rebuild compiled is stale: another one is due
    int FRecolouring = 0;       // > 0 while the memo changes formats, which is no edit of the text
};

} // namespace zoZezo
