#include "zoZezo/CustomEquationMemo.h"

#include "Bevel.h"
#include "EquationHighlighter.h"
#include "LineClasses.h"
#include "RefreshTimer.h"
#include "StatusLine.h"
#include "TextPosition.h"
#include "zoZezo/EvaluatorWidget.h"
#include "zoZezo/Exception.h"
#include "zoZezo/MessageBoxHandler.h"
#include "zoZezo/Platform.h"

#include <QFontMetricsF>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <cmath>
#include <exception>
#include <string>
#include <vector>

namespace zoZezo {
namespace {

const QString Rebuilding = QStringLiteral("Rebuilding...");
const QString ErrorFormat = QStringLiteral("Error: %1 (position:%2,%3).");

// Counts the memo as recolouring while it lives: format changes it makes are no edits.
class TRecolouring {
public:
    explicit TRecolouring(int& Depth) : FDepth(Depth) { ++FDepth; }
    ~TRecolouring() { --FDepth; }
    TRecolouring(const TRecolouring&) = delete;
    TRecolouring& operator=(const TRecolouring&) = delete;

private:
    int& FDepth;
};

// Marks the memo as rebuilding while it lives, unless host code frees the memo meanwhile.
class TRebuilding {
public:
    TRebuilding(QObject* Memo, bool& Flag) : FMemo(Memo), FFlag(Flag) { FFlag = true; }
    ~TRebuilding() {
        if (FMemo) FFlag = false;
    }
    TRebuilding(const TRebuilding&) = delete;
    TRebuilding& operator=(const TRebuilding&) = delete;

private:
    QPointer<QObject> FMemo;
    bool& FFlag;
};

// Runs Action, which calls out to host code. An exception it throws never reaches Qt's event
// loop: its message, or Otherwise for one that carries none, is shown through ShowMessage.
// Returns false when it threw.
template <typename TAction>
bool ShowingFailure(const char* Otherwise, TAction&& Action) {
    QString Failure;
    try {
        Action();
        return true;
    } catch (const std::exception& E) {
        Failure = QString::fromUtf8(E.what());
    } catch (...) {
        Failure = QString::fromUtf8(Otherwise);
    }
    try {
        ShowMessage(Failure.toStdString());
    } catch (...) {
    }
    return false;
}

} // namespace

TCustomovEquationMemo::TCustomovEquationMemo(QWidget* Parent)
    : QFrame(Parent), FNewClasses(std::make_unique<TRebuildClasses>()) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    resize(240, 80);
    // The size of the class fonts: text shows in one size whether or not it is coloured yet.
    // No typographic shaping (kerning, ligatures) where the script does not need it: equations
    // want none, and a keystroke in a long line costs half the time without.
    QFont Face = font();
    Face.setFamily(QStringLiteral("Courier New"));
    Face.setPointSize(TFont{}.Size);
    Face.setStyleStrategy(QFont::PreferNoShaping);
    setFont(Face);
    QPalette Colours = palette();
    Colours.setColor(QPalette::Window, ToQColor(clBtnFace));
    setPalette(Colours);
    setAutoFillBackground(true);

    TFont Symbols;
    Symbols.Color = clBlack;
    FFonts[ccSymbol] = Symbols;
    FFonts[ccId].Assign(Symbols);
    FFonts[ccId].Color = clNavy;
    FFonts[ccId].Style = fsBold;
    FFonts[ccNumber].Assign(Symbols);
    FFonts[ccNumber].Color = clRed;
    FFonts[ccRemark].Assign(Symbols);
    FFonts[ccRemark].Color = clOlive;
    for (std::size_t I = 0; I < FFonts.size(); ++I)
        FFormats[I] = FFonts[I].ToCharFormat();

    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);
    FBevel = new TBevel(this);
    FStatusLine = new TStatusLine(this);
    FStatusLine->SetTextColor(ToQColor(clMaroon));
    Layout->addWidget(FBevel);
    Layout->addWidget(FStatusLine);
    connect(FStatusLine, &TStatusLine::Clicked, this, &TCustomovEquationMemo::PositionateEquation);

    FTimer = new TRefreshTimer(this);
    FTimer->setInterval(FRefreshDelay);
    connect(FTimer, &QTimer::timeout, this, &TCustomovEquationMemo::CheckEquations);

    InstallMessageBoxHandler();
}

TCustomovEquationMemo::~TCustomovEquationMemo() {
    SetzoZezoEvaluator(nullptr);
    if (FEditor) {
        disconnect(FEditor, nullptr, this, nullptr);
        disconnect(FEditor->document(), nullptr, this, nullptr);
        FEditor->viewport()->removeEventFilter(this);
    }
    delete FHighlighter;
    delete FEditor.data();
}

void TCustomovEquationMemo::SetUpEditor(QPlainTextEdit* Editor) {
    FEditor = Editor;
    Editor->setParent(this);
    Editor->setFrameShape(QFrame::NoFrame);
    Editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    Editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Editor->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The editor takes what the panel leaves it; its own minimum would grow the panel.
    Editor->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, Editor, 1);
    setFocusProxy(Editor);
    connect(Editor, &QPlainTextEdit::textChanged, this, &TCustomovEquationMemo::EditorTextChanged);
    // Before the highlighter connects: the line classes follow an edit before it repaints.
    FLineClasses = std::make_unique<TLineClassesTracker>(*Editor->document());
    connect(Editor->document(), &QTextDocument::contentsChange, this,
            &TCustomovEquationMemo::EditorContentsChanged);
    FHighlighter = new TEquationHighlighter(this, FFormats);
    connect(Editor->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &TCustomovEquationMemo::FollowView);
    Editor->viewport()->installEventFilter(this);
    SetEditorPlainText(false);
    SetPlainText(false);
}

bool TCustomovEquationMemo::eventFilter(QObject* Watched, QEvent* Event) {
    // The type first: the editor may be in its destructor, no longer a QPlainTextEdit.
    if (Event->type() == QEvent::Resize && FEditor && Watched == FEditor->viewport())
        FollowView();
    return QFrame::eventFilter(Watched, Event);
}

void TCustomovEquationMemo::FollowView() {
    if (!FEditor || !FHighlighter) return;
    TRecolouring Guard(FRecolouring);
    // Columns from pixels, through the narrowest and the widest of the fonts the text shows in.
    qreal Narrowest = QFontMetricsF(FEditor->font()).averageCharWidth();
    qreal Widest = Narrowest;
    for (const TFont& Font : FFonts) {
        const qreal Width = QFontMetricsF(Font.ToQFont()).averageCharWidth();
        Narrowest = std::min(Narrowest, Width);
        Widest = std::max(Widest, Width);
    }
    const int Left = FEditor->horizontalScrollBar()->value();
    const int Right = Left + FEditor->viewport()->width();
    FHighlighter->SetColumnsInView(static_cast<int>(Left / Widest),
                                   static_cast<int>(std::ceil(Right / std::max(Narrowest, 1.0))));
}

void TCustomovEquationMemo::SetEditorPlainText(bool Value) {
    if (!FEditor || !FHighlighter) return;
    const bool Colouring = FHighlighter->document() != nullptr;
    if (Colouring == !Value) return;
    TRecolouring Guard(FRecolouring);
    QTextDocument* Document = FEditor->document();
    if (Value) {
        for (QTextBlock Block = Document->begin(); Block.isValid(); Block = Block.next())
            Block.setUserData(nullptr);
        FHighlighter->setDocument(nullptr);
        FEditor->viewport()->update();
    } else {
        FHighlighter->setDocument(Document);
        // At once rather than on the next pass of the event loop, where it would look like an
        // edit of the text.
        FHighlighter->rehighlight();
    }
}

void TCustomovEquationMemo::Refresh() {
    if (FRebuilding)
        throw EzoZezoEvaluatorError("The equations are being rebuilt: a rebuild cannot start "
                                    "inside another");
    FErrorLine = 0;
    FErrorColumn = 0;
    FRebuildAgain = false;
    const QPointer<TCustomovEquationMemo> Self(this);
    if (ResolveEvaluatorName()) {
        const TRebuilding Guard(this, FRebuilding);
        Rebuild(Self);
        if (!Self) return;
    }
    emit OnEvaluate(this);
}

void TCustomovEquationMemo::Rebuild(const QPointer<TCustomovEquationMemo>& Self) {
    TzoZezoEvaluator* const Evaluator = FEvaluator;
    // A copy: a host's handler may edit the text while the lines compile.
    std::vector<std::string> Texts = EquationTexts();
    Evaluator->Equations().Clear();
    FNewClasses->Clear();
    for (std::size_t I = 0; I < Texts.size(); ++I) {
        TEquation* Equation = Evaluator->Equations().Add(std::move(Texts[I]));
        const TEquation::TKeepAlive Keep(*Equation);
        const bool Compiled = Equation->Check();
        // Host code ran: it may have freed the memo or the equation, or changed the evaluator.
        if (!Self) return;
        if (FEvaluator != Evaluator) {
            // Another evaluator gets the lines after another pause; none ends here.
            if (FEvaluator) RebuildAgain();
            return;
        }
        if (!Compiled) {
            FErrorLine = static_cast<int>(I) + 1;
            ShowError(*Equation);
            return;
        }
        FNewClasses->Append(Equation->EquationStr(), Equation->CharClasses());
    }
    FErrorMessage.clear();
    FErrorCode = 0;
    if (FPlainText) {
        if (FEditor) FEditor->viewport()->update();
    } else if (!FRebuildAgain) { // text edited meanwhile is coloured by the next rebuild
        Recolour();
    }
    FStatusLine->setText({});
}

void TCustomovEquationMemo::RebuildAgain() {
    FRebuildAgain = true;
    FTimer->Restart();
}

std::vector<std::string> TCustomovEquationMemo::EquationTexts() const {
    std::vector<std::string> Texts;
    if (!FEditor || FEditor->document()->isEmpty()) return Texts;
    const QTextDocument* Document = FEditor->document();
    Texts.reserve(static_cast<std::size_t>(Document->blockCount()));
    for (QTextBlock Block = Document->begin(); Block.isValid(); Block = Block.next())
        Texts.push_back(ToEquationText(Block.text()));
    return Texts;
}

void TCustomovEquationMemo::ShowError(const TEquation& Faulty) {
    const QString Line = QString::fromStdString(Faulty.EquationStr());
    const int Byte = Faulty.ErrorPos() - 1;
    FErrorColumn = Byte < 0 ? Faulty.ErrorPos()
                            : CharacterCountBefore(Line, Utf16OffsetOfByte(Line, Byte)) + 1;
    FErrorMessage = QString::fromStdString(Faulty.ErrorMsg());
    FErrorCode = Faulty.ErrorCode();
    FStatusLine->setText(ErrorFormat.arg(FErrorMessage).arg(FErrorLine).arg(FErrorColumn));
}

void TCustomovEquationMemo::Recolour() {
    if (!FEditor || !FHighlighter) return;
    TRecolouring Guard(FRecolouring);
    int Line = 0, Column = 0;
    GetEditorCaret(Line, Column);
    FStatusLine->SetTextColor(ToQColor(clGrayText));
    FStatusLine->setText(Rebuilding);
    FStatusLine->repaint();
    FHighlighter->PaintBlocks(TakeNewClasses());
    // The caret goes back where it was, a selection collapsing to its start; the view stays
    // where the user scrolled it, even when the caret is out of sight.
    const int Across = FEditor->horizontalScrollBar()->value();
    const int Down = FEditor->verticalScrollBar()->value();
    SetEditorCaret(Line, Column);
    FEditor->horizontalScrollBar()->setValue(Across);
    FEditor->verticalScrollBar()->setValue(Down);
    FStatusLine->SetTextColor(ToQColor(clMaroon));
}

std::vector<QTextBlock> TCustomovEquationMemo::TakeNewClasses() {
    std::vector<QTextBlock> Changed;
    int I = 0;
    for (QTextBlock Block = FEditor->document()->begin();
         Block.isValid() && I < FNewClasses->Count(); Block = Block.next(), ++I) {
        const QByteArrayView Digits = FNewClasses->Line(I);
        const auto* Old = static_cast<const TLineClasses*>(Block.userData());
        if (Old && Old->Digits == Digits) continue;
        Block.setUserData(new TLineClasses(Digits.toByteArray()));
        Changed.push_back(Block);
    }
    return Changed;
}

void TCustomovEquationMemo::RepaintColours() {
    if (!FEditor || !FHighlighter || !FHighlighter->document()) return;
    TRecolouring Guard(FRecolouring);
    FHighlighter->PaintAll();
}

void TCustomovEquationMemo::GetEditorCaret(int& Line, int& Column) const {
    const int Start = FEditor->textCursor().selectionStart();
    const QTextBlock Block = FEditor->document()->findBlock(Start);
    Line = Block.blockNumber();
    Column = Start - Block.position();
}

void TCustomovEquationMemo::SetEditorCaret(int Line, int Column) {
    const QTextBlock Block = FEditor->document()->findBlockByNumber(Line);
    if (!Block.isValid()) return;
    QTextCursor Caret = FEditor->textCursor();
    Caret.setPosition(Block.position() + std::clamp(Column, 0, Block.length() - 1));
    FEditor->setTextCursor(Caret);
}

void TCustomovEquationMemo::CheckEquations() {
    if (Designing()) return;
    const QPointer<TCustomovEquationMemo> Self(this);
    // A failure is shown before the timer is armed again, so that a modal message box is not
    // followed by another one while it is still open.
    const bool Rebuilt =
        ShowingFailure("The equations could not be rebuilt.", [this] { Refresh(); });
    if (!Self) return;
    if (Rebuilt && !FRebuildAgain)
        FTimer->Stop();
    else
        FTimer->Restart();
}

void TCustomovEquationMemo::Change() {
    if (Designing()) return;
    if (FRebuilding)
        RebuildAgain();
    else
        FTimer->Restart();
    ShowingFailure("The handler of the change failed.", [this] { emit OnChange(this); });
}

void TCustomovEquationMemo::EditorTextChanged() {
    if (FRecolouring == 0) Change();
}

void TCustomovEquationMemo::EditorContentsChanged(int Position, int Removed, int Added) {
    if (FRecolouring == 0) FLineClasses->FollowEdit(*FEditor->document(), Position, Removed, Added);
}

void TCustomovEquationMemo::PositionateEquation() {
    if (FErrorLine + FErrorColumn <= 0 || !FEditor) return;
    FEditor->setFocus();
    const QTextBlock Block = FEditor->document()->findBlockByNumber(FErrorLine - 1);
    SetEditorCaret(FErrorLine - 1, Utf16OffsetOfCharacter(Block.text(), FErrorColumn - 1));
}

void TCustomovEquationMemo::SetPlainText(bool Value) {
    FPlainText = Value;
}

void TCustomovEquationMemo::SetRefreshDelay(int Value) {
    FRefreshDelay = std::max(Value, 0);
    FTimer->setInterval(FRefreshDelay);
}

bool TCustomovEquationMemo::RefreshPending() const {
    return FTimer->Armed();
}

void TCustomovEquationMemo::SetzoZezoEvaluator(TzoZezoEvaluator* Value) {
    FEvaluatorName = Value ? QString::fromStdString(Value->Name) : QString();
    if (Value == FEvaluator) return;
    if (FEvaluator) FEvaluator->RemoveFreeNotification(this);
    FEvaluator = Value;
    if (FEvaluator) FEvaluator->FreeNotification(this);
}

QString TCustomovEquationMemo::zoZezoEvaluatorName() const {
    return FEvaluator ? QString::fromStdString(FEvaluator->Name) : FEvaluatorName;
}

void TCustomovEquationMemo::SetzoZezoEvaluatorName(const QString& Name) {
    if (FEvaluator && QString::fromStdString(FEvaluator->Name) != Name) SetzoZezoEvaluator(nullptr);
    FEvaluatorName = Name;
}

bool TCustomovEquationMemo::ResolveEvaluatorName() {
    if (FEvaluator || FEvaluatorName.isEmpty()) return FEvaluator != nullptr;
    for (QWidget* Around = parentWidget(); Around; Around = Around->parentWidget())
        if (auto* Named = Around->findChild<TzoZezoEvaluatorWidget*>(FEvaluatorName)) {
            SetzoZezoEvaluator(&Named->Evaluator());
            return true;
        }
    return false;
}

void TCustomovEquationMemo::Notification(TComponent* AComponent) {
    if (AComponent == FEvaluator) FEvaluator = nullptr;
}

QStringList TCustomovEquationMemo::Equations() const {
    QStringList Lines;
    if (!FEditor || FEditor->document()->isEmpty()) return Lines;
    const QTextDocument* Document = FEditor->document();
    Lines.reserve(Document->blockCount());
    for (QTextBlock Block = Document->begin(); Block.isValid(); Block = Block.next())
        Lines.append(Block.text());
    return Lines;
}

void TCustomovEquationMemo::SetEquations(const QStringList& Lines) {
    if (FEditor) FEditor->setPlainText(Lines.join(QLatin1Char('\n')));
}

void TCustomovEquationMemo::SetClassFont(TCharClass Class, const TFont& Value) {
    const auto I = static_cast<std::size_t>(Class);
    FFonts[I] = Value;
    FFormats[I] = Value.ToCharFormat();
    FollowView();
    RepaintColours();
}

void TCustomovEquationMemo::SetClassQFont(TCharClass Class, const QFont& Value) {
    TFont Font = FFonts[static_cast<std::size_t>(Class)];
    Font.SetFromQFont(Value);
    SetClassFont(Class, Font);
}

void TCustomovEquationMemo::SetClassColor(TCharClass Class, const QColor& Value) {
    TFont Font = FFonts[static_cast<std::size_t>(Class)];
    Font.Color = FromQColor(Value);
    SetClassFont(Class, Font);
}

void TCustomovEquationMemo::SetFocus() {
    if (FEditor) FEditor->setFocus();
}

void TCustomovEquationMemo::Loaded() {
    emit OnCreate(this);
}

void TCustomovEquationMemo::SetStatusText(const QString& Text) {
    FStatusLine->setText(Text);
}

QString TCustomovEquationMemo::StatusText() const {
    return FStatusLine->text();
}

} // namespace zoZezo
