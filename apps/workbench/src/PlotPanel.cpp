#include "PlotPanel.h"

#include "EquationChooser.h"
#include "NumberText.h"
#include "PlotView.h"
#include "SweepCsv.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace workbench {
namespace {

const char* const PartTexts[] = {"&Real part", "&Imaginary part", "&Magnitude", "Magnitude in &dB",
                                 "&Phase in degrees"};

// The scale of a picture saved as PNG: twice the screen's pixels, sharp when printed.
constexpr qreal PictureScale = 2;

// A box for one number of the range: it turns red, with the reason as its tooltip, while its
// text does not read as a number.
QLineEdit* NumberBox(const QString& ToolTip, QWidget* Parent) {
    auto* Box = new QLineEdit(Parent);
    Box->setToolTip(ToolTip);
    Box->setMinimumWidth(Box->fontMetrics().horizontalAdvance("-0.000e-00"));
    Box->setMaximumWidth(Box->fontMetrics().horizontalAdvance("-0.00000000e-000"));
    QObject::connect(Box, &QLineEdit::textChanged, Box, [Box, ToolTip](const QString& Text) {
        const bool Readable = ReadNumber(Text).has_value();
        QPalette Colours = Box->parentWidget()->palette();
        if (!Readable) Colours.setColor(QPalette::Base, QColor(255, 220, 220));
        Box->setPalette(Colours);
        Box->setToolTip(
            Readable ? ToolTip
                     : QObject::tr("%1: not a number (such as 0.5, -2 or 1e-9)").arg(ToolTip));
    });
    return Box;
}

// An end of Range, with four significant digits more than it takes to tell the ends apart
// (-3.278 rather than -3.27841234123412).
QString RangeText(double Value, const TValueRange& Range) {
    const double Span = Range.Span();
    const double Largest = std::max(std::abs(Range.Low), std::abs(Range.High));
    const double Needed = Span > 0 ? std::ceil(std::log10(Largest / Span)) : 15;
    return QString::number(Value, 'g', static_cast<int>(std::clamp(Needed + 4, 4.0, 15.0)));
}

// Asks for a y range, starting from Shown; nothing when the user cancels. On a logarithmic
// axis both ends must be above 0.
std::optional<TValueRange> AskForYRange(QWidget* Parent, const TValueRange& Shown, bool Log) {
    QDialog Dialog(Parent);
    Dialog.setWindowTitle(QObject::tr("Y range"));
    auto* Low = new QLineEdit(RangeText(Shown.Low, Shown), &Dialog);
    auto* High = new QLineEdit(RangeText(Shown.High, Shown), &Dialog);
    auto* Problem = new QLabel(&Dialog);
    Problem->setStyleSheet("color: #800000");
    auto* Form = new QFormLayout;
    Form->addRow(QObject::tr("&From:"), Low);
    Form->addRow(QObject::tr("&To:"), High);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &Dialog);
    auto* Layout = new QVBoxLayout(&Dialog);
    Layout->addLayout(Form);
    Layout->addWidget(Problem);
    Layout->addWidget(Buttons);
    std::optional<TValueRange> Result;
    QObject::connect(Buttons, &QDialogButtonBox::rejected, &Dialog, &QDialog::reject);
    QObject::connect(Buttons, &QDialogButtonBox::accepted, &Dialog, [&] {
        const auto From = ReadNumber(Low->text()), To = ReadNumber(High->text());
        if (!From || !To)
            Problem->setText(QObject::tr("Both ends must be numbers."));
        else if (!(*From < *To))
            Problem->setText(QObject::tr("The range must go up."));
        else if (Log && !(*From > 0))
            Problem->setText(QObject::tr("A logarithmic axis shows only values above 0."));
        else {
            Result = TValueRange{static_cast<double>(*From), static_cast<double>(*To)};
            Dialog.accept();
        }
    });
    Dialog.exec();
    return Result;
}

// How many points of a sweep lack the value of some equation: the gaps.
std::size_t GapCount(const TSweepResult& Sweep) {
    std::size_t Gaps = 0;
    for (std::size_t K = 0; K < Sweep.Count(); ++K)
        Gaps += std::any_of(Sweep.Y.begin(), Sweep.Y.end(),
                            [K](const auto& Values) { return !Values[K]; });
    return Gaps;
}

} // namespace

TPlotPanel::TPlotPanel(QWidget* Parent)
    : QWidget(Parent), FEquations(new TEquationChooser(this)), FVariable(new QComboBox(this)),
      FFrom(NumberBox(tr("From"), this)), FTo(NumberBox(tr("To"), this)),
      FStep(NumberBox(tr("Step"), this)), FPlotButton(new QPushButton(tr("&Plot"), this)),
      FCancelButton(new QPushButton(tr("Cancel"), this)), FView(new TPlotView(this)),
      FProgress(new QProgressBar(this)), FMessage(new QLabel(this)) {
    FEquations->setToolTip(tr("The equations to plot: check one or several"));
    FVariable->setEditable(true);
    FVariable->setToolTip(tr("The variable to sweep; it hides an equation of the same name"));
    FVariable->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    FVariable->setMinimumContentsLength(6);
    FCancelButton->setEnabled(false);
    FProgress->setVisible(false);
    FMessage->setStyleSheet("color: #800000");
    FMessage->setWordWrap(true);
    FView->SetPlaceholderText(tr("Nothing plotted yet. Choose the equations and the variable they "
                                 "go over above, the range and the step, then Plot.\n\nWheel: zoom "
                                 "· drag: pan · Shift+drag: zoom into "
                                 "a box · double click: everything"));
    MakeActions();

    const auto MenuButton = [this](const QString& Text, const QList<QAction*>& Actions) {
        auto* Button = new QToolButton(this);
        Button->setText(Text);
        Button->setPopupMode(QToolButton::InstantPopup);
        Button->setMenu(new QMenu(Button));
        Button->menu()->addActions(Actions);
        return Button;
    };
    QList<QAction*> ViewActions = FView->actions();
    const auto SaveActions = ViewActions.mid(ViewActions.indexOf(FSaveCsv));
    ViewActions = ViewActions.mid(0, ViewActions.indexOf(FSaveCsv) - 1); // and its separator
    QToolButton* ViewButton = MenuButton(tr("&Draw"), ViewActions);
    QToolButton* SaveButton = MenuButton(tr("&Save"), SaveActions);

    auto* Choice = new QHBoxLayout;
    Choice->addWidget(FEquations, 1);
    Choice->addWidget(new QLabel(tr("over"), this));
    Choice->addWidget(FVariable);
    Choice->addWidget(FPlotButton);
    Choice->addWidget(FCancelButton);
    auto* Range = new QHBoxLayout;
    for (auto [Text, Box] : {std::pair{tr("from"), FFrom}, {tr("to"), FTo}, {tr("step"), FStep}}) {
        Range->addWidget(new QLabel(Text, this));
        Range->addWidget(Box, 1);
    }
    Range->addStretch();
    Range->addWidget(ViewButton);
    Range->addWidget(SaveButton);
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addLayout(Choice);
    Layout->addLayout(Range);
    Layout->addWidget(FView, 1);
    Layout->addWidget(FProgress);
    Layout->addWidget(FMessage);

    connect(FPlotButton, &QPushButton::clicked, this, &TPlotPanel::Plot);
    connect(FCancelButton, &QPushButton::clicked, this, &TPlotPanel::Cancel);
    connect(&FSweep, &TSweep::Progress, this, &TPlotPanel::SweepProgress);
    connect(&FSweep, &TSweep::Finished, this, &TPlotPanel::SweepFinished);
    connect(FEquations, &TEquationChooser::ChosenChanged, this, &TPlotPanel::Changed);
    connect(FVariable, &QComboBox::currentTextChanged, this, &TPlotPanel::Changed);
    for (QLineEdit* Box : {FFrom, FTo, FStep}) {
        connect(Box, &QLineEdit::textEdited, this, &TPlotPanel::Changed);
        connect(Box, &QLineEdit::returnPressed, this, &TPlotPanel::Plot);
    }
    SetSettings(TPlotSettings());
}

TPlotPanel::~TPlotPanel() = default;

void TPlotPanel::MakeActions() {
    const auto Add = [this](const QString& Text, bool Checkable) {
        auto* Action = new QAction(Text, this);
        Action->setCheckable(Checkable);
        FView->addAction(Action);
        return Action;
    };
    const auto Separate = [this] {
        auto* Separator = new QAction(this);
        Separator->setSeparator(true);
        FView->addAction(Separator);
    };
    for (const char* Text : PartTexts)
        FPartActions.push_back(Add(tr(Text), true));
    Separate();
    FLogX = Add(tr("Logarithmic &x axis"), true);
    FLogY = Add(tr("Logarithmic &y axis"), true);
    Separate();
    FAutoY = Add(tr("&Automatic y range"), true);
    QAction* SetY = Add(tr("Set the y &range..."), false);
    QAction* KeepY = Add(tr("&Keep the y range shown"), false);
    QAction* ShowAll = Add(tr("Show &everything"), false);
    Separate();
    FSaveCsv = Add(tr("Sweep as &CSV..."), false);
    FSavePng = Add(tr("Plot as &PNG..."), false);
    FSaveSvg = Add(tr("Plot as &SVG..."), false);
    FView->setContextMenuPolicy(Qt::ActionsContextMenu);

    for (QAction* Action : FPartActions)
        connect(Action, &QAction::toggled, this, &TPlotPanel::Changed);
    for (QAction* Action : {FLogX, FLogY})
        connect(Action, &QAction::toggled, this, &TPlotPanel::Changed);
    connect(FAutoY, &QAction::triggered, this, [this] {
        FYRange.reset();
        Changed();
        FView->ResetView(); // also when it was automatic already: back from zooming
    });
    connect(SetY, &QAction::triggered, this, &TPlotPanel::AskYRange);
    connect(KeepY, &QAction::triggered, this, &TPlotPanel::KeepShownYRange);
    connect(ShowAll, &QAction::triggered, FView, &TPlotView::ResetView);
    connect(FSaveCsv, &QAction::triggered, this,
            [this] { AskSave(tr("CSV files (*.csv)"), "csv", &TPlotPanel::SaveCsv); });
    connect(FSavePng, &QAction::triggered, this,
            [this] { AskSave(tr("PNG pictures (*.png)"), "png", &TPlotPanel::SavePicture); });
    connect(FSaveSvg, &QAction::triggered, this,
            [this] { AskSave(tr("SVG pictures (*.svg)"), "svg", &TPlotPanel::SavePicture); });
}

void TPlotPanel::SetNames(const QStringList& Equations, const QStringList& Variables) {
    FEquations->SetNames(Equations);
    const QString Typed = FVariable->currentText();
    const QSignalBlocker Quiet(FVariable);
    FVariable->clear();
    FVariable->addItems(Variables);
    FVariable->setCurrentText(Typed);
    UpdateActions();
}

TPlotSettings TPlotPanel::Settings() const {
    TPlotSettings Settings;
    Settings.Equations = FEquations->Chosen();
    Settings.Variable = FVariable->currentText();
    Settings.From = FFrom->text();
    Settings.To = FTo->text();
    Settings.Step = FStep->text();
    Settings.XScale = FLogX->isChecked() ? TAxisScale::Logarithmic : TAxisScale::Linear;
    Settings.YScale = FLogY->isChecked() ? TAxisScale::Logarithmic : TAxisScale::Linear;
    Settings.YRange = FYRange;
    Settings.Parts = 0;
    for (std::size_t K = 0; K < FPartActions.size(); ++K)
        if (FPartActions[K]->isChecked()) Settings.Parts |= PlotParts[K];
    return Settings;
}

void TPlotPanel::SetSettings(const TPlotSettings& Settings) {
    const QSignalBlocker Quiet(this);
    FEquations->SetChosen(Settings.Equations);
    FVariable->setCurrentText(Settings.Variable);
    FFrom->setText(Settings.From);
    FTo->setText(Settings.To);
    FStep->setText(Settings.Step);
    FLogX->setChecked(Settings.XScale == TAxisScale::Logarithmic);
    FLogY->setChecked(Settings.YScale == TAxisScale::Logarithmic);
    FYRange = Settings.YRange;
    for (std::size_t K = 0; K < FPartActions.size(); ++K)
        FPartActions[K]->setChecked(Settings.Parts & PlotParts[K]);
    ApplyView();
}

// Draws the sweep shown as the settings now say.
void TPlotPanel::ApplyView() {
    const TPlotSettings Now = Settings();
    FAutoY->setChecked(!FYRange);
    FView->SetParts(Now.Parts);
    FView->SetScales(Now.XScale, Now.YScale);
    FView->SetYRange(FYRange);
}

void TPlotPanel::Changed() {
    ApplyView();
    emit SettingsChanged();
}

bool TPlotPanel::Plot() {
    TSweepJob Job = FSource ? FSource() : TSweepJob();
    Job.Equations = FEquations->ChosenInList();
    Job.Variable = FVariable->currentText();
    const std::tuple<QString, QLineEdit*, long double*> Ends[] = {
        {tr("from"), FFrom, &Job.Range.From},
        {tr("to"), FTo, &Job.Range.To},
        {tr("step"), FStep, &Job.Range.Step}};
    for (const auto& [Name, Box, Number] : Ends) {
        const auto Read = ReadNumber(Box->text());
        if (!Read) {
            ShowMessage(tr("%1: '%2' is not a number").arg(Name, Box->text().trimmed()));
            return false;
        }
        *Number = *Read;
    }
    FSweep.Cancel(); // its message goes with it
    ShowMessage({});
    if (!FSweep.Start(Job)) {
        ShowMessage(FSweep.ErrorText());
        return false;
    }
    FProgress->setRange(0, static_cast<int>(Job.Range.Count()));
    FProgress->setValue(0);
    FCancelButton->setEnabled(true);
    FPlotButton->setEnabled(false);
    return true;
}

void TPlotPanel::Cancel() {
    FSweep.Cancel();
}

void TPlotPanel::Clear() {
    FSweep.Cancel();
    FView->Clear();
    ShowMessage({});
    UpdateActions();
}

void TPlotPanel::SweepProgress(int Done, int Total) {
    // A sweep that ends within a moment shows no progress bar at all.
    if (Done < Total && Done > 0) FProgress->setVisible(true);
    FProgress->setValue(Done);
}

void TPlotPanel::SweepFinished(bool Cancelled) {
    FProgress->setVisible(false);
    FCancelButton->setEnabled(false);
    FPlotButton->setEnabled(true);
    const TSweepResult& Result = FSweep.Result();
    FView->ShowSweep(Result);
    QString Text;
    if (Cancelled) Text = tr("Cancelled after %1 points.").arg(Result.Count());
    if (const std::size_t Gaps = GapCount(Result); Gaps > 0)
        Text += tr(" %1 of %2 points could not be computed and are gaps.")
                    .arg(Gaps)
                    .arg(Result.Count());
    ShowMessage(Text.trimmed());
    UpdateActions();
}

void TPlotPanel::ShowMessage(const QString& Text) {
    FMessage->setText(Text);
    FMessage->setVisible(!Text.isEmpty());
}

QString TPlotPanel::Message() const {
    return FMessage->text();
}

void TPlotPanel::UpdateActions() {
    const bool Shown = FView->Sweep().Count() > 0;
    for (QAction* Action : {FSaveCsv, FSavePng, FSaveSvg})
        Action->setEnabled(Shown);
}

void TPlotPanel::AskYRange() {
    const auto Range = AskForYRange(this, FView->VisibleY(), FLogY->isChecked());
    if (!Range) return;
    FYRange = Range;
    Changed();
}

void TPlotPanel::KeepShownYRange() {
    FYRange = FView->VisibleY();
    Changed();
}

QString TPlotPanel::SuggestedName(const QString& Suffix) const {
    const TSweepResult& Shown = FView->Sweep();
    QString Name = tr("%1 over %2").arg(Shown.Equations.join(", "), Shown.Variable);
    Name.replace(QRegularExpression(R"([\\/:*?"<>|])"), "_");
    return Name + '.' + Suffix;
}

void TPlotPanel::AskSave(const QString& Filter, const QString& Suffix,
                         bool (TPlotPanel::*Save)(const QString&)) {
    QString Path = QFileDialog::getSaveFileName(this, tr("Save"), SuggestedName(Suffix), Filter);
    if (Path.isEmpty()) return;
    if (QFileInfo(Path).suffix().compare(Suffix, Qt::CaseInsensitive) != 0) Path += '.' + Suffix;
    (this->*Save)(Path);
}

bool TPlotPanel::SaveCsv(const QString& Path) {
    QSaveFile File(Path);
    if (File.open(QIODevice::WriteOnly) && File.write(SweepCsv(FView->Sweep()).toUtf8()) >= 0 &&
        File.commit())
        return true;
    ShowMessage(
        tr("Cannot write '%1': %2").arg(QDir::toNativeSeparators(Path), File.errorString()));
    return false;
}

bool TPlotPanel::SavePicture(const QString& Path) {
    const QSize Size = FView->size();
    bool Written = false;
    QString Reason;
    if (QFileInfo(Path).suffix().compare("svg", Qt::CaseInsensitive) == 0) {
        QSvgGenerator Picture;
        Picture.setFileName(Path);
        Picture.setSize(Size);
        Picture.setViewBox(QRect(QPoint(), Size));
        Picture.setResolution(FView->logicalDpiX()); // text as large as on the screen
        Picture.setTitle(SuggestedName("svg").chopped(4));
        QPainter Painter;
        // The generator says nothing of a file it cannot open, but the painter does not start.
        Written = Painter.begin(&Picture);
        if (Written) FView->Render(Painter, QRectF(QPointF(), Size));
        Written = Painter.end() && Written;
    } else {
        QImage Picture(Size * PictureScale, QImage::Format_RGB32);
        Picture.setDevicePixelRatio(PictureScale);
        QPainter Painter(&Picture);
        FView->Render(Painter, QRectF(QPointF(), Size));
        Painter.end();
        Written = Picture.save(Path, "PNG");
    }
    if (!Written) ShowMessage(tr("Cannot write '%1'.").arg(QDir::toNativeSeparators(Path)));
    return Written;
}

} // namespace workbench
