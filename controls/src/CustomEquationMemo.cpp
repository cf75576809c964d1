#include "zoZezo/CustomEquationMemo.h"

#include "Bevel.h"
#include "EquationHighlighter.h"
#include "LineClasses.h"
#include "RefreshTimer.h"
#include "StatusLine.h"
#include "TextPosition.h"
#include "zoZezo/Exception.h"
#include "zoZezo/MessageBoxHandler.h"
#include "zoZezo/Platform.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
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

// Marks the memo as rebuilding while it lives.
class TRebuilding {
public:
    explicit TRebuilding(bool& Flag) : FFlag(Flag) { FFlag = true; }
    ~TRebuilding() { FFlag = false; }
    TRebuilding(const TRebuilding&) = delete;
    TRebuilding& operator=(const TRebuilding&) = delete;

private:
    bool& FFlag;
};

} // namespace

TCustomovEquationMemo::TCustomovEquationMemo(QWidget* Parent) : QFrame(Parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    resize(240, 80);
    QFont Face = font();
    Face.setFamily(QStringLiteral("Courier New"));
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
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, Editor, 1);
    setFocusProxy(Editor);
    connect(Editor, &QPlainTextEdit::textChanged, this, &TCustomovEquationMemo::EditorTextChanged);
    // Before the highlighter connects: the line classes follow an edit before it repaints.
    FLineClasses = std::make_unique<TLineClassesTracker>(*Editor->document());
    connect(Editor->document(), &QTextDocument::contentsChange, this,
            &TCustomovEquationMemo::EditorContentsChanged);
    FHighlighter = new TEquationHighlighter(this, FFormats);
    SetEditorPlainText(false);
    SetPlainText(false);
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
    if (FEvaluator) {
        const TRebuilding Guard(FRebuilding);
        Rebuild();
    }
    emit OnEvaluate(this);
}

void TCustomovEquationMemo::Rebuild() {
    // A copy: a host's handler may edit the text while the lines compile.
    std::vector<std::string> Texts = EquationTexts();
    auto& List = FEvaluator->Equations();
    List.Clear();
    for (std::size_t I = 0; I < Texts.size(); ++I) {
        TEquation* Equation = List.Add(std::move(Texts[I]));
        if (!Equation->Check()) {
            FErrorLine = static_cast<int>(I) + 1;
            ShowError(*Equation);
            return;
        }
    }
    FErrorMessage.clear();
    FErrorCode = 0;
    if (FPlainText) {
        if (FEditor) FEditor->viewport()->update();
    } else {
        Recolour();
    }
    FStatusLine->setText({});
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
    const auto& List = FEvaluator->Equations();
    std::vector<QTextBlock> Changed;
    QByteArray Digits;
    int I = 0;
    for (QTextBlock Block = FEditor->document()->begin(); Block.isValid() && I < List.Count();
         Block = Block.next(), ++I) {
        const TEquation& Equation = *List.GetEquation(I);
        ClassesPerUtf16Unit(Equation.EquationStr(), Equation.CharClasses(), Digits);
        const auto* Old = static_cast<const TLineClasses*>(Block.userData());
        if (Old && Old->Digits == Digits) continue;
        Block.setUserData(new TLineClasses(std::move(Digits)));
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
    QString Failure;
    try {
        Refresh();
        FTimer->Stop();
        return;
    } catch (const std::exception& E) {
        Failure = QString::fromUtf8(E.what());
    } catch (...) {
        Failure = QStringLiteral("The equations could not be rebuilt.");
    }
    // Shown before the timer is armed again, so that a modal message box is not followed by
    // another one while it is still open.
    try {
        ShowMessage(Failure.toStdString());
    } catch (...) {
    }
    FTimer->Restart();
}

void TCustomovEquationMemo::Change() {
    if (Designing()) return;
    FTimer->Restart();
    emit OnChange(this);
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
    if (Value == FEvaluator) return;
    if (FEvaluator) FEvaluator->RemoveFreeNotification(this);
    FEvaluator = Value;
    if (FEvaluator) FEvaluator->FreeNotification(this);
}

QString TCustomovEquationMemo::zoZezoEvaluatorName() const {
    return FEvaluator ? QString::fromStdString(FEvaluator->Name) : FEvaluatorName;
}

void TCustomovEquationMemo::SetzoZezoEvaluatorName(const QString& Name) {
    FEvaluatorName = Name;
    if (FEvaluator && QString::fromStdString(FEvaluator->Name) != Name) SetzoZezoEvaluator(nullptr);
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
