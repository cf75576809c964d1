#include "EquationDocuments.h"

#include "DocumentDatabase.h"
#include "DocumentsWindow.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

int RunEquationDocuments(const QString& Database, const QString& Screenshot) {
    QString Error;
    if (!TDocumentDatabase::Open(Database, Error)) {
        std::fprintf(stderr, "memo-example: %s\n", qPrintable(Error));
        return 1;
    }
    int Status = 0;
    TDocumentsWindow Window;
    Window.show();
    if (!Screenshot.isEmpty()) {
        QObject::connect(&Window.Memo(), &zoZezo::TCustomovEquationMemo::OnEvaluate, &Window, [&] {
            if (!Window.grab().save(Screenshot)) Status = 1;
            QTimer::singleShot(0, &Window, &QWidget::close);
        });
    }
    const int Result = QApplication::exec();
    return Status ? Status : Result;
}
