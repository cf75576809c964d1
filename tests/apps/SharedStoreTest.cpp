#include "MainWindow.h"
#include "PlotPanel.h"
#include "TestServer.h"
#include "ui_MainWindow.h"

#include <QSettings>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <zoZezo/DBEquationMemo.h>

using workbench::TConflictPanel;
using workbench::TMainWindow;

namespace {

// Workbench windows on one store, as two people (or one with two windows) share it: an SQLite
// file, or a schema of its own on the PostgreSQL test server.
class SharedStoreTest : public ::testing::TestWithParam<TBackend> {
protected:
    void SetUp() override {
        SKIP_WITHOUT_SERVER(GetParam());
        QSettings().clear();
        if (GetParam() == TBackend::PostgreSQL) Schema = std::make_unique<TServerSchema>();
    }

    // Named on the server, so that a test can break its connection.
    QString Location() const {
        return Schema ? Schema->Url(Schema->Name()) : Folder.filePath("shared.sqlite");
    }

    std::unique_ptr<TMainWindow> OpenWindow() {
        auto Window = std::make_unique<TMainWindow>();
        Window->SetWarning([this](const QString& Text) { Warnings << Text; });
        Window->Memo()->SetRefreshDelay(20);
        EXPECT_TRUE(Window->OpenDatabase(Location())) << Warnings.join('\n').toStdString();
        return Window;
    }

    static void Type(TMainWindow& Window, const QString& Text) {
        QPlainTextEdit* Editor = Window.Memo()->DBEditor();
        Editor->moveCursor(QTextCursor::End);
        QTest::keyClicks(Editor, Text);
    }

    static QString Text(TMainWindow& Window) { return Window.Memo()->DBEditor()->Text(); }
    static QString Stored(TMainWindow& Window) {
        Window.Store()->Refresh();
        return Window.Store()->Body(Window.DataSource().CurrentRow());
    }

    QTemporaryDir Folder;
    std::unique_ptr<TServerSchema> Schema;
    QStringList Warnings;
};

TEST_P(SharedStoreTest, EverySecondSaveIsAConflictTheUserResolves) {
    auto Ann = OpenWindow();
    auto Bob = OpenWindow();
    const TConflictPanel& Panel = Bob->ConflictPanel();
    for (const auto Choice :
         {TConflictPanel::TChoice::ccTakeTheirs, TConflictPanel::TChoice::ccKeepMine,
          TConflictPanel::TChoice::ccMergeByHand}) {
        const QString Round = QString::number(static_cast<int>(Choice));
        Type(*Ann, " { Ann " + Round + " }");
        ASSERT_TRUE(Ann->Save()) << Warnings.join('\n').toStdString();
        const QString AnnsText = Text(*Ann);
        Type(*Bob, " { Bob " + Round + " }");
        const QString BobsText = Text(*Bob);

        EXPECT_FALSE(Bob->Save());
        EXPECT_FALSE(Panel.isHidden());
        EXPECT_EQ(Panel.TheirText(), AnnsText);
        EXPECT_EQ(Text(*Bob), BobsText);
        EXPECT_TRUE(Bob->Memo()->DataError().contains("someone else saved it"));
        EXPECT_EQ(Stored(*Bob), AnnsText);

        ASSERT_TRUE(Bob->Sync().Choose(Choice));
        EXPECT_TRUE(Panel.isHidden());
        switch (Choice) {
        case TConflictPanel::TChoice::ccTakeTheirs:
            EXPECT_EQ(Text(*Bob), AnnsText);
            EXPECT_FALSE(Bob->Memo()->Modified());
            break;
        case TConflictPanel::TChoice::ccKeepMine: EXPECT_EQ(Stored(*Bob), BobsText); break;
        case TConflictPanel::TChoice::ccMergeByHand:
            EXPECT_TRUE(Text(*Bob).contains(BobsText + "\n{ Their version (revision "));
            EXPECT_TRUE(Text(*Bob).endsWith("}\n" + AnnsText));
            ASSERT_TRUE(Bob->Save());
            EXPECT_EQ(Stored(*Bob), Text(*Bob));
            break;
        }
        // Ann edits nothing meanwhile: her window shows what is stored now.
        Ann->Sync().CheckStore();
        EXPECT_EQ(Text(*Ann), Stored(*Ann));
    }
    EXPECT_TRUE(Warnings.isEmpty()) << Warnings.join('\n').toStdString();
}

TEST_P(SharedStoreTest, EachDocumentKeepsItsVariablesAndPlot) {
    workbench::TPlotSettings Plot;
    Plot.Equations = {"y"};
    Plot.Variable = "x";
    Plot.From = "1";
    Plot.To = "2";
    Plot.Step = "0.25";
    {
        auto Window = OpenWindow();
        ASSERT_TRUE(Window->NewDocument());
        const int Mine = Window->DataSource().CurrentRow();
        Type(*Window, "y: 2*x");
        QSignalSpy Updated(Window.get(), &TMainWindow::ResultsUpdated);
        ASSERT_TRUE(Updated.wait(3000));
        Window->Variables().SetValue(0, {3, 0});
        Window->PlotPanel()->SetSettings(Plot);
        ASSERT_TRUE(Window->PlotPanel()->Plot());
        ASSERT_TRUE(Window->SelectDocument(0)); // the circuit has variables of its own
        EXPECT_EQ(Window->Variables().IndexOf("x"), -1);
        Window->PlotPanel()->SetSettings({});
        ASSERT_TRUE(Window->SelectDocument(Mine));
        Window->close();
    }
    auto Again = OpenWindow(); // the last document again, with its inputs
    QSignalSpy Computed(Again.get(), &TMainWindow::ResultsUpdated);
    EXPECT_EQ(Again->Store()->Name(Again->DataSource().CurrentRow()), "Untitled");
    ASSERT_EQ(Again->Variables().IndexOf("x"), 0);
    EXPECT_EQ(Again->Variables().Cell(0).Re, 3);
    EXPECT_TRUE(Again->PlotPanel()->Settings() == Plot);
    ASSERT_TRUE(Computed.count() > 0 || Computed.wait(3000)); // computed with them
    ASSERT_FALSE(Again->Results().Rows().empty());
    EXPECT_EQ(Again->Results().Rows()[0].Text, "6");
}

INSTANTIATE_TEST_SUITE_P(Backends, SharedStoreTest,
                         ::testing::Values(TBackend::SQLite, TBackend::PostgreSQL), BackendName);

TEST(ServerGoneTest, TheTextIsKeptAndSavedWhenTheServerIsBack) {
    SKIP_WITHOUT_SERVER(TBackend::PostgreSQL);
    const TServerSchema Schema;
    QStringList Warnings;
    TMainWindow Window;
    Window.SetWarning([&](const QString& Text) { Warnings << Text; });
    Window.Sync().SetRetryInterval(60000); // nothing tried again before the test looked
    ASSERT_TRUE(Window.OpenDatabase(Schema.Url(Schema.Name())));
    Window.Memo()->DBEditor()->moveCursor(QTextCursor::End);
    QTest::keyClicks(Window.Memo()->DBEditor(), " { typed }");
    Schema.BreakConnections(Schema.Name());

    EXPECT_FALSE(Window.Save());
    ASSERT_EQ(Warnings.size(), 1);
    EXPECT_TRUE(Warnings[0].contains("connection")) << Warnings[0].toStdString();
    EXPECT_TRUE(Window.Sync().Retrying());
    EXPECT_TRUE(Window.Memo()->DBEditor()->Text().endsWith(" { typed }"));
    Window.Sync().SetRetryInterval(50);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Window.Sync().Retrying(); }, 5000));
    EXPECT_FALSE(Window.Memo()->Modified());
    QSqlQuery Body(Schema.Open("reader"));
    ASSERT_TRUE(Body.exec("SELECT body FROM documents ORDER BY id") && Body.next());
    EXPECT_TRUE(Body.value(0).toString().endsWith(" { typed }"));
}

// A window that saves nothing would otherwise stay deaf to others once its connection broke.
TEST(ServerGoneTest, AWindowThatSavesNothingHearsOthersAgainOnceTheServerIsBack) {
    SKIP_WITHOUT_SERVER(TBackend::PostgreSQL);
    const TServerSchema Schema;
    TMainWindow Window;
    Window.Sync().SetRetryInterval(60000);
    Window.Sync().SetWatchInterval(50);
    ASSERT_TRUE(Window.OpenDatabase(Schema.Url(Schema.Name())));
    Schema.BreakConnections(Schema.Name());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Window.Sync().Retrying(); }, 5000));
    Window.Sync().SetRetryInterval(50);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Window.Sync().Retrying(); }, 5000));

    workbench::TDocumentStore Other;
    ASSERT_TRUE(Other.Open(Schema.Url()));
    const int Row = Window.DataSource().CurrentRow();
    ASSERT_EQ(Other.IdOfRow(Row), Window.Store()->IdOfRow(Row));
    ASSERT_TRUE(Other.SetBody(Row, "heard: 1"));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Window.Memo()->DBEditor()->Text() == "heard: 1"; }, 5000));
}

} // namespace
