// The module's exported entry points and its unit table, through the dynamic loader as a
// host that does not use Qt's plugin loader sees them.

#include "PluginFixture.h"
#include "zoZezo/zeRuzeD5.h"

#include <QLibrary>
#include <QLoggingCategory>
#include <QStringList>
#include <cstring>

// From EntryPointsC.c, which includes the header as a C program does.
extern "C" int UnitCountSeenFromC(TGetPackageInfoTable GetTable);

namespace {

// Records the module's unit trace while it lives.
class UnitTrace {
public:
    UnitTrace() {
        Steps().clear();
        QLoggingCategory::setFilterRules(QStringLiteral("zoZezo.package.units.debug=true"));
        FPrevious = qInstallMessageHandler(Record);
    }
    ~UnitTrace() {
        qInstallMessageHandler(FPrevious);
        QLoggingCategory::setFilterRules(QString());
    }
    static QStringList& Steps() {
        static QStringList Recorded;
        return Recorded;
    }

private:
    static void Record(QtMsgType, const QMessageLogContext& Context, const QString& Text) {
        if (Context.category && std::strcmp(Context.category, "zoZezo.package.units") == 0)
            Steps().append(Text.section(QLatin1Char(':'), 0, 0));
    }
    QtMessageHandler FPrevious;
};

const QStringList Starts = {QStringLiteral("start zoZezo"), QStringLiteral("start ziZereZez")};
const QStringList Ends = {QStringLiteral("end ziZereZez"), QStringLiteral("end zoZezo")};

class PackageEntryTest : public PluginTest {
protected:
    void SetUp() override {
        Loader().unload(); // no collection left over from an earlier test of this process
        ASSERT_TRUE(Module.load()) << Module.errorString().toStdString();
        Initialize = reinterpret_cast<TPackageEntry>(Module.resolve("Initialize"));
        Finalize = reinterpret_cast<TPackageEntry>(Module.resolve("Finalize"));
        GetTable = reinterpret_cast<TGetPackageInfoTable>(Module.resolve("GetPackageInfoTable"));
        ASSERT_TRUE(Initialize && Finalize && GetTable);
        UnitTrace Probe;
        Initialize();
        const bool Fresh = !UnitTrace::Steps().isEmpty();
        Finalize();
        if (!Fresh) GTEST_SKIP() << "another loader of this process holds the module";
    }
    void TearDown() override { Module.unload(); }

    QLibrary Module{QStringLiteral(ZERUZED5_PLUGIN)};
    TPackageEntry Initialize = nullptr;
    TPackageEntry Finalize = nullptr;
    TGetPackageInfoTable GetTable = nullptr;
};

TEST_F(PackageEntryTest, TheTableListszoZezoBeforeziZereZez) {
    EXPECT_EQ(UnitCountSeenFromC(GetTable), 2) << "the header read as C";
    const TPackageInfoTable* Table = GetTable();
    ASSERT_NE(Table, nullptr);
    ASSERT_EQ(Table->UnitCount, 2);
    EXPECT_STREQ(Table->UnitInfo[0].Name, "zoZezo");
    EXPECT_STREQ(Table->UnitInfo[1].Name, "ziZereZez");
    for (int i = 0; i < Table->UnitCount; ++i)
        EXPECT_TRUE(Table->UnitInfo[i].Init && Table->UnitInfo[i].FInit);
}

TEST_F(PackageEntryTest, InitializeStartsInOrderAndFinalizeEndsInReverse) {
    UnitTrace Trace;
    Initialize();
    EXPECT_EQ(Trace.Steps(), Starts);
    Finalize();
    EXPECT_EQ(Trace.Steps(), Starts + Ends);
}

TEST_F(PackageEntryTest, TwoLoadsStartAndEndEachUnitOnce) {
    UnitTrace Trace;
    Initialize();
    Initialize();
    Finalize();
    EXPECT_EQ(Trace.Steps(), Starts) << "the second load still holds the units";
    Finalize();
    Finalize();
    EXPECT_EQ(Trace.Steps(), Starts + Ends) << "an unmatched Finalize ends nothing again";
}

TEST_F(PackageEntryTest, ThePluginCollectionIsALoadOfItsOwn) {
    UnitTrace Trace;
    ASSERT_NE(Collection(), nullptr);
    EXPECT_EQ(Trace.Steps(), Starts);
    Initialize();
    Finalize();
    EXPECT_EQ(Trace.Steps(), Starts) << "the collection still holds the units";
    Finalize();
    EXPECT_EQ(Trace.Steps(), Starts) << "a Finalize without an Initialize of its own";
    Module.unload();
    ASSERT_TRUE(Loader().unload());
    EXPECT_EQ(Trace.Steps(), Starts + Ends);
}

} // namespace
