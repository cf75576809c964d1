#include "MainWindow.h"
#include "ui_MainWindow.h"

#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>
TEST(ZzTiming, Sizes) {
    QTemporaryDir Folder;
    workbench::TMainWindow W;
    W.OpenDatabase(Folder.filePath("d.sqlite"));
    auto& F = W.Form();
    for (QWidget* w : std::initializer_list<QWidget*>{
             &W, F.MainSplitter, F.DocumentsPane, F.WorkSplitter, F.EditorPane, F.OutputSplitter,
             F.PlotPane, F.TablesSplitter, F.ResultsView, F.VariablesView, F.PlotView,
             W.statusBar(), W.menuBar()})
        std::printf("%s min %d x %d\n", qPrintable(w->objectName()), w->minimumSizeHint().width(),
                    w->minimumSizeHint().height());
}
