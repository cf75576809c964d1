// Forms that hold the package's components: loading a .ui file through QUiLoader and the
// module, and saving one the way Qt Designer does, with only the changed properties.

#include "PluginFixture.h"
#include "ui_Equations.h"
#include "zoZezo/Controls.h" // the one header brings in all a form of the components needs

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QMetaProperty>
#include <QScopedPointer>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QUiLoader>
#include <QXmlStreamReader>
#include <QtDesigner/QFormBuilder>
#include <memory>

namespace {

using zoZezo::TCustomovEquationMemo;
using zoZezo::TovDBEquationMemo;
using zoZezo::TovEquationMemo;
using zoZezo::TzoZezoEvaluatorWidget;

// Saves forms as Qt Designer does: a property is written only when its value differs from
// that of a component freshly made by the class's palette entry (Designer's property sheet
// marks just the edited properties as changed, and shows only designable, stored ones), other
// widgets keep only their geometry here, and the inner widgets of a component are its own business,
// not part of the form.
class DesignerLikeWriter : public QFormBuilder {
public:
    explicit DesignerLikeWriter(const QList<QDesignerCustomWidgetInterface*>& Entries) {
        for (auto* Entry : Entries)
            FDefaults.emplace(Entry->name(), Entry->createWidget(nullptr));
    }

protected:
    bool checkProperty(QObject* Object, const QString& Name) const override {
        const auto Default = FDefaults.find(QString::fromLatin1(Object->metaObject()->className()));
        if (Default == FDefaults.end()) return Name == QLatin1String("geometry");
        const QByteArray Property = Name.toLatin1();
        const QMetaObject* Meta = Object->metaObject();
        const QMetaProperty Declared = Meta->property(Meta->indexOfProperty(Property));
        return Declared.isDesignable() && Declared.isStored() &&
               Object->property(Property) != Default->second->property(Property);
    }

    DomWidget* createDom(QWidget* Widget, DomWidget* Parent, bool Recursive) override {
        const bool Component =
            FDefaults.count(QString::fromLatin1(Widget->metaObject()->className()));
        return QFormBuilder::createDom(Widget, Parent, Recursive && !Component);
    }

private:
    std::map<QString, std::unique_ptr<QWidget>> FDefaults;
};

// The property names that a saved form gives each widget, by object name.
QHash<QString, QSet<QString>> PropertiesByWidget(const QByteArray& Ui) {
    QHash<QString, QSet<QString>> Result;
    QStringList Widgets;
    QXmlStreamReader Reader(Ui);
    while (!Reader.atEnd()) {
        Reader.readNext();
        if (Reader.isStartElement() && Reader.name() == QLatin1String("widget"))
            Widgets.append(Reader.attributes().value(QLatin1String("name")).toString());
        else if (Reader.isEndElement() && Reader.name() == QLatin1String("widget"))
            Widgets.removeLast();
        else if (Reader.isStartElement() && Reader.name() == QLatin1String("property") &&
                 !Widgets.isEmpty())
            Result[Widgets.last()].insert(
                Reader.attributes().value(QLatin1String("name")).toString());
    }
    EXPECT_FALSE(Reader.hasError()) << Reader.errorString().toStdString();
    return Result;
}

class UiFormTest : public PluginTest {
protected:
    void SetUp() override {
        ASSERT_NE(Collection(), nullptr);
        Loader.clearPluginPaths();
        Loader.addPluginPath(QStringLiteral(ZERUZED5_PLUGIN_DIR "/designer"));
    }

    QWidget* Load(const QByteArray& Ui) {
        QBuffer Buffer;
        Buffer.setData(Ui);
        Form.reset(Loader.load(&Buffer));
        EXPECT_NE(Form, nullptr) << Loader.errorString().toStdString();
        return Form.get();
    }

    template <typename T>
    T* Find(const char* Name) {
        auto* Found = Form ? Form->findChild<T*>(QLatin1String(Name)) : nullptr;
        EXPECT_NE(Found, nullptr) << Name;
        return Found;
    }

    QByteArray Save() {
        DesignerLikeWriter Writer(Entries());
        QBuffer Buffer;
        Buffer.open(QIODevice::WriteOnly);
        Writer.save(&Buffer, Form.get());
        return Buffer.data();
    }

    QUiLoader Loader;
    std::unique_ptr<QWidget> Form;
};

TEST_F(UiFormTest, TheLoaderKnowsTheComponentsThroughTheModule) {
    const QStringList Known = Loader.availableWidgets();
    EXPECT_TRUE(Known.contains(QStringLiteral("zoZezo::TzoZezoEvaluatorWidget")));
    EXPECT_TRUE(Known.contains(QStringLiteral("zoZezo::TovEquationMemo")));
    EXPECT_TRUE(Known.contains(QStringLiteral("zoZezo::TovDBEquationMemo")));
}

TEST_F(UiFormTest, ALoadedFormGivesBackItsComponentsAndProperties) {
    ASSERT_NE(Load(FormFile()), nullptr);
    auto* Evaluator = Find<TzoZezoEvaluatorWidget>("Evaluator1");
    auto* Memo = Find<TovEquationMemo>("Memo1");
    auto* DBMemo = Find<TovDBEquationMemo>("DBMemo1");
    ASSERT_TRUE(Evaluator && Memo && DBMemo);
    EXPECT_EQ(Evaluator->OpenComment(), QLatin1Char('['));
    EXPECT_EQ(Evaluator->CloseComment(), QLatin1Char(']'));
    EXPECT_EQ(Evaluator->Separator(), QLatin1Char(';')) << "not in the file: the default";
    EXPECT_FALSE(Evaluator->Designing());
    EXPECT_EQ(Memo->RefreshDelay(), 20);
    EXPECT_EQ(Memo->zoZezoEvaluatorName(), QStringLiteral("Evaluator1"));
    EXPECT_EQ(Memo->zoZezoEvaluator(), nullptr) << "resolved when the form is complete";
    EXPECT_EQ(DBMemo->GetDataField(), QStringLiteral("Equations"));
}

TEST_F(UiFormTest, FormLoadedResolvesTheEvaluatorAndFiresOnCreateOnce) {
    ASSERT_NE(Load(FormFile()), nullptr);
    auto* Evaluator = Find<TzoZezoEvaluatorWidget>("Evaluator1");
    auto* Memo = Find<TovEquationMemo>("Memo1");
    auto* DBMemo = Find<TovDBEquationMemo>("DBMemo1");
    ASSERT_TRUE(Evaluator && Memo && DBMemo);
    QSignalSpy Created(Memo, &TCustomovEquationMemo::OnCreate);
    QSignalSpy DBCreated(DBMemo, &TCustomovEquationMemo::OnCreate);
    zoZezo::FormLoaded(Form.get());
    EXPECT_EQ(Memo->zoZezoEvaluator(), &Evaluator->Evaluator());
    EXPECT_EQ(DBMemo->zoZezoEvaluator(), &Evaluator->Evaluator());
    EXPECT_EQ(Created.count(), 1);
    EXPECT_EQ(DBCreated.count(), 1);
    EXPECT_EQ(Created.first().first().value<TCustomovEquationMemo*>(), Memo);
}

TEST_F(UiFormTest, TypingAndPausingRebuildsTheEvaluatorNamedInTheForm) {
    ASSERT_NE(Load(FormFile()), nullptr);
    auto* Evaluator = Find<TzoZezoEvaluatorWidget>("Evaluator1");
    auto* Memo = Find<TovEquationMemo>("Memo1");
    ASSERT_TRUE(Evaluator && Memo);
    zoZezo::FormLoaded(Form.get());
    Form->show();
    QSignalSpy Evaluated(Memo, &TCustomovEquationMemo::OnEvaluate);
    QTest::keyClicks(Memo->Editor(), QStringLiteral("y: 2*3 [the form's comment]"));
    ASSERT_TRUE(Evaluated.wait(2000));
    auto& Equations = Evaluator->Evaluator().Equations();
    ASSERT_EQ(Equations.Count(), 1);
    EXPECT_EQ(Memo->ErrorLine(), 0) << Memo->StatusText().toStdString();
    EXPECT_DOUBLE_EQ(static_cast<double>(Equations.GetEquation(0)->Compute()), 6.0);
}

TEST_F(UiFormTest, AUicGeneratedFormIsCompletedTheSameWay) {
    QWidget Widget;
    Ui::EquationsForm Ui;
    Ui.setupUi(&Widget);
    EXPECT_EQ(Ui.Evaluator1->CloseComment(), QLatin1Char(']'));
    EXPECT_FALSE(Ui.Evaluator1->Designing());
    EXPECT_EQ(Ui.Memo1->zoZezoEvaluator(), nullptr);
    QSignalSpy Created(Ui.Memo1, &TCustomovEquationMemo::OnCreate);
    zoZezo::FormLoaded(&Widget);
    EXPECT_EQ(Ui.Memo1->zoZezoEvaluator(), &Ui.Evaluator1->Evaluator());
    EXPECT_EQ(Ui.DBMemo1->zoZezoEvaluator(), &Ui.Evaluator1->Evaluator());
    EXPECT_EQ(Created.count(), 1);
}

TEST_F(UiFormTest, AFormNamingAMissingEvaluatorLeavesTheMemoWithoutOne) {
    QByteArray Ui = FormFile();
    Ui.replace("<cstring>Evaluator1</cstring>", "<string>Nowhere</string>");
    ASSERT_NE(Load(Ui), nullptr);
    auto* Memo = Find<TovEquationMemo>("Memo1");
    ASSERT_NE(Memo, nullptr);
    QSignalSpy Created(Memo, &TCustomovEquationMemo::OnCreate);
    zoZezo::FormLoaded(Form.get());
    EXPECT_EQ(Memo->zoZezoEvaluator(), nullptr);
    EXPECT_EQ(Created.count(), 1);
    Memo->Refresh(); // behaves as a memo without an evaluator
    EXPECT_EQ(Memo->ErrorLine(), 0);
}

TEST_F(UiFormTest, SavingWritesOnlyTheChangedProperties) {
    ASSERT_NE(Load(FormFile()), nullptr);
    zoZezo::FormLoaded(Form.get());
    const auto Saved = PropertiesByWidget(Save());
    const QSet<QString> Evaluator = Saved.value(QStringLiteral("Evaluator1"));
    EXPECT_TRUE(Evaluator.contains(QStringLiteral("OpenComment")));
    EXPECT_TRUE(Evaluator.contains(QStringLiteral("CloseComment")));
    for (const char* Unchanged :
         {"DecimalPoint", "Imaginary", "OpenParentesis", "CloseParentesis", "Separator"})
        EXPECT_FALSE(Evaluator.contains(QLatin1String(Unchanged))) << Unchanged;
    const QSet<QString> Memo = Saved.value(QStringLiteral("Memo1"));
    EXPECT_TRUE(Memo.contains(QStringLiteral("zoZezoEvaluator")));
    EXPECT_TRUE(Memo.contains(QStringLiteral("RefreshDelay")));
    for (const char* Unchanged : {"PlainText", "FontOfIds", "FontOfIdsColor", "FontOfNumbers",
                                  "FontOfSymbols", "FontOfRemarks", "StatusText"})
        EXPECT_FALSE(Memo.contains(QLatin1String(Unchanged))) << Unchanged;
    const QSet<QString> DBMemo = Saved.value(QStringLiteral("DBMemo1"));
    EXPECT_TRUE(DBMemo.contains(QStringLiteral("zoZezoEvaluator")));
    EXPECT_FALSE(DBMemo.contains(QStringLiteral("RefreshDelay")));
    EXPECT_TRUE(DBMemo.contains(QStringLiteral("DataField")));
    EXPECT_FALSE(DBMemo.contains(QStringLiteral("PlainText")));
    EXPECT_FALSE(Saved.contains(QStringLiteral("qt_scrollarea_viewport")))
        << "a component's inner widgets are not saved";
}

TEST_F(UiFormTest, ASavedFormLoadsBackWithTheSameComponents) {
    ASSERT_NE(Load(FormFile()), nullptr);
    zoZezo::FormLoaded(Form.get());
    Find<TzoZezoEvaluatorWidget>("Evaluator1")->SetSeparator(QLatin1Char(','));
    const QByteArray Saved = Save();
    ASSERT_NE(Load(Saved), nullptr) << Saved.toStdString();
    auto* Evaluator = Find<TzoZezoEvaluatorWidget>("Evaluator1");
    auto* Memo = Find<TovEquationMemo>("Memo1");
    ASSERT_TRUE(Evaluator && Memo);
    EXPECT_EQ(Evaluator->Separator(), QLatin1Char(','));
    EXPECT_EQ(Evaluator->CloseComment(), QLatin1Char(']'));
    EXPECT_EQ(Memo->RefreshDelay(), 20);
    zoZezo::FormLoaded(Form.get());
    EXPECT_EQ(Memo->zoZezoEvaluator(), &Evaluator->Evaluator());
    EXPECT_EQ(Form->findChildren<TovEquationMemo*>().size(), 1);
}

} // namespace
