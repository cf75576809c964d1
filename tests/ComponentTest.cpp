// TComponent: ownership and the storage of published properties.
// Run under the asan preset, the ownership tests also prove that nothing leaks and nothing is
// freed twice.
#include "zoZezo/Component.h"

#include "zoZezo/Evaluator.h"
#include "zoZezo/Exception.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace zoZezo;

namespace {

// A component that records its destruction in a shared log.
class TTraced : public TComponent {
public:
    TTraced(TComponent* AOwner, std::string AName, std::vector<std::string>& ALog)
        : TComponent(AOwner), FLog(ALog) {
        Name = std::move(AName);
    }
    ~TTraced() override { FLog.push_back(Name); }

private:
    std::vector<std::string>& FLog;
};

// A component with one published property of each kind.
class TSample : public TComponent {
public:
    explicit TSample(TComponent* AOwner = nullptr) : TComponent(AOwner) {
        Publish({"Enabled", [this] { return TPropertyValue(Enabled); },
                 [this](const TPropertyValue& V) { Enabled = std::get<bool>(V); },
                 TPropertyValue(true)});
        Publish({"Delay", [this] { return TPropertyValue(Delay); },
                 [this](const TPropertyValue& V) {
                     const auto Value = std::get<std::int64_t>(V);
                     if (Value < 0) throw Exception("Delay must not be negative");
                     Delay = Value;
                 },
                 TPropertyValue(std::int64_t{500})});
        Publish({"Caption", [this] { return TPropertyValue(Caption); },
                 [this](const TPropertyValue& V) { Caption = std::get<std::string>(V); },
                 TPropertyValue(std::string("zezo"))});
        PublishChar("Mark", Mark, '#');
    }
    const char* ClassName() const override { return "TSample"; }

    bool Enabled = true;
    std::int64_t Delay = 500;
    std::string Caption = "zezo";
    char Mark = '#';
};

} // namespace

TEST(ComponentOwnership, OwnerListsItsComponentsInOrder) {
    std::vector<std::string> Log;
    TComponent Owner;
    auto* A = new TTraced(&Owner, "a", Log);
    auto* B = new TTraced(&Owner, "b", Log);
    EXPECT_EQ(A->Owner(), &Owner);
    EXPECT_EQ(Owner.Components(), (std::vector<TComponent*>{A, B}));
    EXPECT_EQ(Owner.Owner(), nullptr);
}

TEST(ComponentOwnership, OwnerFreesItsComponentsLastFirst) {
    std::vector<std::string> Log;
    {
        TTraced Owner(nullptr, "owner", Log);
        new TTraced(&Owner, "a", Log);
        new TTraced(&Owner, "b", Log);
        new TTraced(&Owner, "c", Log);
    }
    // The owner's own destructor body runs first, then the base frees the children.
    EXPECT_EQ(Log, (std::vector<std::string>{"owner", "c", "b", "a"}));
}

TEST(ComponentOwnership, ComponentFreedFirstLeavesItsOwner) {
    std::vector<std::string> Log;
    {
        TComponent Owner;
        auto* A = new TTraced(&Owner, "a", Log);
        auto* B = new TTraced(&Owner, "b", Log);
        auto* C = new TTraced(&Owner, "c", Log);
        delete B;
        EXPECT_EQ(Owner.Components(), (std::vector<TComponent*>{A, C}));
        EXPECT_EQ(Log, (std::vector<std::string>{"b"}));
    }
    // B is not freed a second time.
    EXPECT_EQ(Log, (std::vector<std::string>{"b", "c", "a"}));
}

TEST(ComponentOwnership, OwnershipNests) {
    std::vector<std::string> Log;
    {
        TTraced Form(nullptr, "form", Log);
        auto* Panel = new TTraced(&Form, "panel", Log);
        new TTraced(Panel, "button", Log);
        new TTraced(&Form, "label", Log);
    }
    EXPECT_EQ(Log, (std::vector<std::string>{"form", "label", "panel", "button"}));
}

TEST(ComponentOwnership, OwnerFreesAnEvaluator) {
    std::vector<std::string> Log;
    {
        TTraced Form(nullptr, "form", Log);
        auto* Evaluator = new TzoZezoEvaluator(&Form);
        long double X = 1;
        Evaluator->Variables().Add("x", &X, nullptr);
        Evaluator->Equations().Add("y: x");
        EXPECT_EQ(Form.Components().size(), 1u);
        EXPECT_EQ(Evaluator->Owner(), &Form);
    }
    EXPECT_EQ(Log, (std::vector<std::string>{"form"}));
}

TEST(ComponentProperties, PublishedInDeclarationOrder) {
    TSample Sample;
    std::vector<std::string> Names;
    for (const auto& Info : Sample.Properties())
        Names.push_back(Info.Name);
    EXPECT_EQ(Names, (std::vector<std::string>{"Enabled", "Delay", "Caption", "Mark"}));
}

TEST(ComponentProperties, DefaultsAreNotStored) {
    TSample Sample;
    EXPECT_TRUE(Sample.StoredProperties().empty());
}

TEST(ComponentProperties, OnlyChangedValuesAreStored) {
    TSample Sample;
    Sample.Delay = 250;
    Sample.Mark = '!';
    const TPropertyList Expected = {{"Delay", std::int64_t{250}}, {"Mark", std::string("!")}};
    EXPECT_EQ(Sample.StoredProperties(), Expected);

    Sample.Delay = 500; // back to the default: no longer stored
    EXPECT_EQ(Sample.StoredProperties(), (TPropertyList{{"Mark", std::string("!")}}));
}

TEST(ComponentProperties, StoredValuesReadBack) {
    TSample Source;
    Source.Enabled = false;
    Source.Delay = 0;
    Source.Caption = "Ärger";
    Source.Mark = '{';
    TSample Target;
    Target.LoadProperties(Source.StoredProperties());
    EXPECT_FALSE(Target.Enabled);
    EXPECT_EQ(Target.Delay, 0);
    EXPECT_EQ(Target.Caption, "Ärger");
    EXPECT_EQ(Target.Mark, '{');
    EXPECT_EQ(Target.StoredProperties(), Source.StoredProperties());
}

TEST(ComponentProperties, UnknownPropertyIsRefused) {
    TSample Sample;
    try {
        Sample.LoadProperties({{"Colour", std::string("red")}});
        FAIL() << "no exception";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "TSample has no property \"Colour\"");
    }
}

TEST(ComponentProperties, ValueOfTheWrongTypeIsRefused) {
    TSample Sample;
    EXPECT_THROW(Sample.LoadProperties({{"Delay", std::string("250")}}), Exception);
    EXPECT_THROW(Sample.LoadProperties({{"Enabled", std::int64_t{1}}}), Exception);
    EXPECT_THROW(Sample.LoadProperties({{"Mark", true}}), Exception);
    EXPECT_EQ(Sample.Delay, 500);
    EXPECT_TRUE(Sample.Enabled);
    EXPECT_EQ(Sample.Mark, '#');
}

TEST(ComponentProperties, CharacterPropertyTakesExactlyOneCharacter) {
    TSample Sample;
    EXPECT_THROW(Sample.LoadProperties({{"Mark", std::string("ab")}}), Exception);
    EXPECT_THROW(Sample.LoadProperties({{"Mark", std::string()}}), Exception);
    EXPECT_EQ(Sample.Mark, '#');
    Sample.LoadProperties({{"Mark", std::string("%")}});
    EXPECT_EQ(Sample.Mark, '%');
}

TEST(ComponentProperties, SetterMayRefuseAValue) {
    TSample Sample;
    EXPECT_THROW(Sample.LoadProperties({{"Delay", std::int64_t{-1}}}), Exception);
    EXPECT_EQ(Sample.Delay, 500);
}
