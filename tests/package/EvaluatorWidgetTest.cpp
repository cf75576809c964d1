// The evaluator as a widget on a form, and the memo's reference to it by name.

#include "zoZezo/EvaluatorWidget.h"

#include "zoZezo/EquationMemo.h"

#include <QImage>
#include <QMetaProperty>
#include <gtest/gtest.h>
#include <memory>

namespace {

using zoZezo::TovEquationMemo;
using zoZezo::TzoZezoEvaluatorWidget;

TEST(EvaluatorWidget, PropertiesStartAtTheEvaluatorDefaultsAndResetToThem) {
    TzoZezoEvaluatorWidget Widget;
    const char* Names[] = {"DecimalPoint", "Imaginary",   "OpenParentesis", "CloseParentesis",
                           "Separator",    "OpenComment", "CloseComment"};
    const char Defaults[] = {'.', 'j', '(', ')', ';', '{', '}'};
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(Names[i]);
        EXPECT_EQ(Widget.property(Names[i]).value<QChar>(), QLatin1Char(Defaults[i]));
        ASSERT_TRUE(Widget.setProperty(Names[i], QChar(u'#')));
        const QMetaObject* Meta = Widget.metaObject();
        ASSERT_TRUE(Meta->property(Meta->indexOfProperty(Names[i])).reset(&Widget));
        EXPECT_EQ(Widget.property(Names[i]).value<QChar>(), QLatin1Char(Defaults[i]));
    }
}

TEST(EvaluatorWidget, SyntaxCharactersReachTheOwnedEvaluator) {
    TzoZezoEvaluatorWidget Widget;
    Widget.SetDecimalPoint(QLatin1Char(','));
    Widget.SetSeparator(QLatin1Char('|'));
    EXPECT_EQ(Widget.Evaluator().DecimalPoint, ',');
    auto* Equation = Widget.Evaluator().Equations().Add("f(a|b): a+b*1,5");
    ASSERT_TRUE(Equation->Check()) << Equation->ErrorMsg();
}

TEST(EvaluatorWidget, ACharacterTheEvaluatorCannotReadIsRefused) {
    TzoZezoEvaluatorWidget Widget;
    Widget.SetOpenComment(QChar(u'\u00AB')); // « is two bytes of UTF-8
    Widget.SetCloseComment(QLatin1Char('\n'));
    Widget.SetImaginary(QChar());
    EXPECT_EQ(Widget.Evaluator().OpenComment, '{');
    EXPECT_EQ(Widget.Evaluator().CloseComment, '}');
    EXPECT_EQ(Widget.Evaluator().Imaginary, 'j');
}

TEST(EvaluatorWidget, TheEvaluatorIsNamedAfterTheWidget) {
    TzoZezoEvaluatorWidget Widget;
    Widget.setObjectName(QStringLiteral("Evaluator1"));
    EXPECT_EQ(Widget.Evaluator().Name, "Evaluator1");
}

TEST(EvaluatorWidget, AMarkerInDesignModeNothingAtRunTime) {
    QWidget Form;
    auto* Widget = new TzoZezoEvaluatorWidget(&Form);
    Form.show();
    EXPECT_FALSE(Widget->isVisible());
    EXPECT_EQ(Widget->sizeHint(), QSize(0, 0));
    Widget->SetDesigning(true);
    EXPECT_TRUE(Widget->isVisible());
    ASSERT_EQ(Widget->sizeHint(), QSize(28, 28));
    Widget->resize(Widget->sizeHint());
    const QImage Marker = Widget->grab().toImage();
    int Drawn = 0;
    for (int y = 0; y < Marker.height(); ++y)
        for (int x = 0; x < Marker.width(); ++x)
            Drawn += Marker.pixelColor(x, y) != Marker.pixelColor(0, 0);
    EXPECT_GT(Drawn, 100) << "the calculator is drawn";
}

TEST(EvaluatorReference, TheNameFollowsTheAssignedEvaluator) {
    TzoZezoEvaluatorWidget Evaluator;
    Evaluator.setObjectName(QStringLiteral("Evaluator1"));
    TovEquationMemo Memo;
    Memo.SetzoZezoEvaluator(&Evaluator.Evaluator());
    EXPECT_EQ(Memo.property("zoZezoEvaluator").toString(), QStringLiteral("Evaluator1"));
    Memo.SetzoZezoEvaluatorName(QStringLiteral("Evaluator1"));
    EXPECT_EQ(Memo.zoZezoEvaluator(), &Evaluator.Evaluator()) << "the same name keeps it";
    Memo.SetzoZezoEvaluatorName(QStringLiteral("Other"));
    EXPECT_EQ(Memo.zoZezoEvaluator(), nullptr) << "another name drops it";
    EXPECT_EQ(Memo.zoZezoEvaluatorName(), QStringLiteral("Other"));
}

TEST(EvaluatorReference, AFreedEvaluatorWidgetLeavesNoDanglingReference) {
    TovEquationMemo Memo;
    auto Evaluator = std::make_unique<TzoZezoEvaluatorWidget>();
    Evaluator->setObjectName(QStringLiteral("Evaluator1"));
    Memo.SetzoZezoEvaluator(&Evaluator->Evaluator());
    Evaluator.reset();
    EXPECT_EQ(Memo.zoZezoEvaluator(), nullptr);
    Memo.Refresh(); // a rebuild without an evaluator
    EXPECT_EQ(Memo.ErrorLine(), 0);
}

} // namespace
