#include "PlotPanel.h"

#include "EquationChooser.h"
#include "PlotView.h"

#include <QAbstractItemView>
#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace workbench;

namespace {

TEST(EquationChooserTest, AClickInThePopupTogglesAndTheChoiceOutlivesTheList) {
    TEquationChooser Chooser;
    Chooser.show();
    Chooser.SetNames({"a", "b", "c"});
    EXPECT_EQ(Chooser.Chosen(), QStringList{"a"}); // none chosen yet: the first
    QSignalSpy Changed(&Chooser, &TEquationChooser::ChosenChanged);
    Chooser.showPopup();
    QWidget* Items = Chooser.view()->viewport();
    const QPoint C = Chooser.view()->visualRect(Chooser.model()->index(2, 0)).center();
    // The release of the click that opened the popup lands on an item: it toggles nothing.
    QTest::mouseRelease(Items, Qt::LeftButton, {}, C);
    EXPECT_EQ(Changed.count(), 0);
    QTest::mouseClick(Items, Qt::LeftButton, {}, C);
    EXPECT_EQ(Chooser.Chosen(), (QStringList{"a", "c"}));
    EXPECT_TRUE(Chooser.view()->isVisible()); // still open for the next one
    Chooser.SetNames({"b", "c"});             // a's line is faulty for a while
    EXPECT_EQ(Chooser.ChosenInList(), QStringList{"c"});
    Chooser.SetNames({"c", "a"});
    EXPECT_EQ(Chooser.ChosenInList(), (QStringList{"c", "a"}));
    EXPECT_EQ(Changed.count(), 1);
}

TEST(PlotPanelTest, SettingsComeBackAsSetAndOnlyTheUserChangesThem) {
    TPlotPanel Panel;
    Panel.SetNames({"current", "tank"}, {"f"});
    TPlotSettings Bode;
    Bode.Equations = QStringList{"tank", "current"};
    Bode.Variable = "f";
    Bode.From = "10";
    Bode.To = "1e5";
    Bode.Step = "not a number yet"; // kept as typed
    Bode.XScale = TAxisScale::Logarithmic;
    Bode.YRange = TValueRange{-60, 0};
    Bode.Parts = ppDecibels | ppPhase;
    QSignalSpy Changed(&Panel, &TPlotPanel::SettingsChanged);
    Panel.SetSettings(Bode);
    EXPECT_EQ(Panel.Settings(), Bode);
    EXPECT_EQ(Changed.count(), 0);
    // The Draw menu's actions, in the order of the parts, then the scales.
    const QList<QAction*> Actions = Panel.View()->actions();
    Actions[0]->trigger(); // the real part
    EXPECT_EQ(Changed.count(), 1);
    EXPECT_EQ(Panel.Settings().Parts, ppReal | ppDecibels | ppPhase);
    EXPECT_FALSE(Panel.Plot());
    EXPECT_EQ(Panel.Message(), "step: 'not a number yet' is not a number");
}

TEST(PlotPanelTest, ACancelledPlotShowsWhatWasComputedAndCanPlotAgain) {
    TPlotPanel Panel;
    QStringList Lines{"f0: Sin(x)"};
    for (int K = 1; K <= 12; ++K)
        Lines << QString("f%1: f%2 + f%2").arg(K).arg(K - 1);
    Panel.SetSource([Lines] {
        TSweepJob Job;
        Job.Lines = Lines;
        return Job;
    });
    Panel.SetNames({"f12"}, {});
    TPlotSettings Long;
    Long.Equations = QStringList{"f12"};
    Long.Variable = "x";
    Long.From = "0";
    Long.To = "99999";
    Long.Step = "1";
    Panel.SetSettings(Long);
    QSignalSpy Progress(&Panel.Sweep(), &TSweep::Progress);
    ASSERT_TRUE(Panel.Plot()) << Panel.Message().toStdString();
    ASSERT_TRUE(Progress.wait(5000));
    Panel.Cancel();
    EXPECT_TRUE(Panel.Message().startsWith("Cancelled after ")) << Panel.Message().toStdString();
    EXPECT_EQ(Panel.View()->Sweep().Count(), Panel.Sweep().Result().Count());
    Long.To = "10";
    Panel.SetSettings(Long);
    QSignalSpy Finished(&Panel.Sweep(), &TSweep::Finished);
    ASSERT_TRUE(Panel.Plot()) << Panel.Message().toStdString();
    ASSERT_TRUE(Finished.wait(5000));
    EXPECT_EQ(Panel.View()->Sweep().Count(), 11u);
    EXPECT_TRUE(Panel.Message().isEmpty());
}

} // namespace
