#include "UnitLifecycle.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Trace;

void StartA() {
    Trace.push_back("start A");
}
void EndA() {
    Trace.push_back("end A");
}
void StartB() {
    Trace.push_back("start B");
}
void EndB() {
    Trace.push_back("end B");
}
void StartC() {
    Trace.push_back("start C");
}
void EndC() {
    Trace.push_back("end C");
}

constexpr TUnitInfo Units[] = {{"A", StartA, EndA}, {"B", StartB, EndB}, {"C", StartC, EndC}};
constexpr TPackageInfoTable Table = {3, Units};

using Steps = std::vector<std::string>;

class UnitLifecycleTest : public testing::Test {
protected:
    void SetUp() override { Trace.clear(); }
    zoZezo::TUnitLifecycle Lifecycle{Table};
    zoZezo::TUnitLifecycle::TLoader Host;
};

TEST_F(UnitLifecycleTest, StartsInTableOrderAndEndsInReverse) {
    Lifecycle.Load(Host);
    EXPECT_EQ(Trace, (Steps{"start A", "start B", "start C"}));
    Lifecycle.Unload(Host);
    EXPECT_EQ(Trace, (Steps{"start A", "start B", "start C", "end C", "end B", "end A"}));
}

TEST_F(UnitLifecycleTest, TwoLoadsStartOnceAndTheLastUnloadEnds) {
    Lifecycle.Load(Host);
    Lifecycle.Load(Host);
    EXPECT_EQ(Trace.size(), 3u);
    Lifecycle.Unload(Host);
    EXPECT_EQ(Trace.size(), 3u) << "one load is still in place";
    EXPECT_EQ(Lifecycle.Loads(), 1);
    Lifecycle.Unload(Host);
    EXPECT_EQ(Trace, (Steps{"start A", "start B", "start C", "end C", "end B", "end A"}));
}

TEST_F(UnitLifecycleTest, UnloadWithoutLoadDoesNothing) {
    Lifecycle.Unload(Host);
    EXPECT_TRUE(Trace.empty());
    Lifecycle.Load(Host);
    Lifecycle.Unload(Host);
    Lifecycle.Unload(Host);
    EXPECT_EQ(Trace.size(), 6u) << "each end runs once";
    EXPECT_EQ(Lifecycle.Loads(), 0);
}

TEST_F(UnitLifecycleTest, AnUnloadUndoesOnlyALoadOfTheSameLoader) {
    zoZezo::TUnitLifecycle::TLoader Plugin;
    Lifecycle.Load(Plugin);
    Lifecycle.Unload(Host);
    EXPECT_EQ(Trace.size(), 3u) << "the host loaded nothing: the plugin's load stands";
    Lifecycle.Load(Host);
    Lifecycle.Unload(Plugin);
    EXPECT_EQ(Trace.size(), 3u);
    Lifecycle.Unload(Host);
    EXPECT_EQ(Trace.size(), 6u);
}

TEST_F(UnitLifecycleTest, LoadAfterTheLastUnloadStartsAgain) {
    Lifecycle.Load(Host);
    Lifecycle.Unload(Host);
    Lifecycle.Load(Host);
    EXPECT_EQ(Trace, (Steps{"start A", "start B", "start C", "end C", "end B", "end A", "start A",
                            "start B", "start C"}));
}

} // namespace
