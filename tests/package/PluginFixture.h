#pragma once

#include <QFile>
#include <QPluginLoader>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <gtest/gtest.h>

// The form file tests/package/forms/Equations.ui: an evaluator and the two memos naming it.
inline QByteArray FormFile() {
    QFile File(QStringLiteral(ZOZEZO_SOURCE_DIR "/tests/package/forms/Equations.ui"));
    EXPECT_TRUE(File.open(QIODevice::ReadOnly));
    return File.readAll();
}

// The built zeRuzeD5 module, loaded through Qt's plugin loader; the collection and its
// entries stay for the rest of the process.
class PluginTest : public testing::Test {
protected:
    static QPluginLoader& Loader() {
        static QPluginLoader Plugin(QStringLiteral(ZERUZED5_PLUGIN));
        return Plugin;
    }

    static QDesignerCustomWidgetCollectionInterface* Collection() {
        auto* Instance =
            qobject_cast<QDesignerCustomWidgetCollectionInterface*>(Loader().instance());
        EXPECT_NE(Instance, nullptr) << Loader().errorString().toStdString();
        return Instance;
    }

    static QList<QDesignerCustomWidgetInterface*> Entries() {
        auto* Plugin = Collection();
        return Plugin ? Plugin->customWidgets() : QList<QDesignerCustomWidgetInterface*>();
    }
};
