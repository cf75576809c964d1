// What Qt Designer sees of the module: its metadata, the page "Orvane Math" and its entries,
// and the palette bitmaps.

#include "PluginFixture.h"
#include "zoZezo/DBEquationMemo.h"
#include "zoZezo/EquationMemo.h"
#include "zoZezo/EvaluatorWidget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonObject>
#include <QScopedPointer>
#include <QXmlStreamReader>
#include <QtEndian>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

namespace {

const QStringList Classes = {QStringLiteral("zoZezo::TzoZezoEvaluatorWidget"),
                             QStringLiteral("zoZezo::TovEquationMemo"),
                             QStringLiteral("zoZezo::TovDBEquationMemo")};

class PaletteTest : public PluginTest {};

TEST_F(PaletteTest, MetadataNamesTheCollectionInterfaceAndTheVersion) {
    const QJsonObject Meta = QPluginLoader(QStringLiteral(ZERUZED5_PLUGIN)).metaData();
    EXPECT_EQ(Meta.value(QStringLiteral("IID")).toString(),
              QStringLiteral(QDesignerCustomWidgetCollectionInterface_iid));
    const QJsonObject Package = Meta.value(QStringLiteral("MetaData")).toObject();
    EXPECT_EQ(Package.value(QStringLiteral("Version")).toString(),
              QStringLiteral(ZERUZED5_VERSION));
    const QString Description = Package.value(QStringLiteral("Description")).toString();
    EXPECT_FALSE(Description.isEmpty());
    EXPECT_FALSE(Description.contains(QLatin1Char('\n'))) << "one line";
}

TEST_F(PaletteTest, PageHoldsTheThreeComponentsInOrder) {
    const auto List = Entries();
    QStringList Names;
    for (auto* Entry : List) {
        Names.append(Entry->name());
        EXPECT_EQ(Entry->group(), QStringLiteral("Orvane Math"));
    }
    EXPECT_EQ(Names, Classes) << "the abstract memo base is never offered";
}

template <typename T>
bool Creates(QDesignerCustomWidgetInterface* Entry) {
    QScopedPointer<QWidget> Widget(Entry->createWidget(nullptr));
    return qobject_cast<T*>(Widget.data()) != nullptr;
}

TEST_F(PaletteTest, EachEntryCreatesItsClassAcrossTheModuleBoundary) {
    const auto List = Entries();
    ASSERT_EQ(List.size(), 3);
    EXPECT_TRUE(Creates<zoZezo::TzoZezoEvaluatorWidget>(List[0]));
    EXPECT_TRUE(Creates<zoZezo::TovEquationMemo>(List[1]));
    EXPECT_FALSE(Creates<zoZezo::TovDBEquationMemo>(List[1]));
    EXPECT_TRUE(Creates<zoZezo::TovDBEquationMemo>(List[2]));
}

TEST_F(PaletteTest, EntriesCarryToolTipIconAndAnInstalledIncludeFile) {
    for (auto* Entry : Entries()) {
        SCOPED_TRACE(Entry->name().toStdString());
        EXPECT_FALSE(Entry->toolTip().isEmpty());
        EXPECT_FALSE(Entry->whatsThis().isEmpty());
        EXPECT_FALSE(Entry->isContainer());
        EXPECT_FALSE(Entry->icon().isNull());
        EXPECT_TRUE(QFileInfo::exists(QStringLiteral(ZOZEZO_SOURCE_DIR "/controls/include/") +
                                      Entry->includeFile()))
            << Entry->includeFile().toStdString();
    }
}

// The names of the string properties that Xml, a palette entry's domXml, declares
// untranslatable.
QStringList Untranslatable(const QString& Xml) {
    QStringList Names;
    QXmlStreamReader Reader(Xml);
    while (!Reader.atEnd())
        if (Reader.readNext() == QXmlStreamReader::StartElement &&
            Reader.name().startsWith(QLatin1String("stringproperty")) &&
            Reader.attributes().value(QLatin1String("notr")) == QLatin1String("true"))
            Names.append(Reader.attributes().value(QLatin1String("name")).toString());
    EXPECT_FALSE(Reader.hasError()) << Reader.errorString().toStdString();
    Names.sort();
    return Names;
}

TEST_F(PaletteTest, NewComponentsStartWithNoPropertyMarkedChangedAndNamesUntranslated) {
    const QStringList Names[] = {{}, {}, {QStringLiteral("DataField")}};
    const auto List = Entries();
    ASSERT_EQ(List.size(), 3);
    for (int I = 0; I < 3; ++I)
        EXPECT_EQ(Untranslatable(List[I]->domXml()), Names[I]) << List[I]->name().toStdString();
    for (auto* Entry : List) {
        const QString Xml = Entry->domXml();
        EXPECT_TRUE(Xml.contains(QStringLiteral("class=\"%1\"").arg(Entry->name())));
        EXPECT_FALSE(Xml.contains(QStringLiteral("<property "))) << Xml.toStdString();
    }
}

TEST_F(PaletteTest, RunTimeComponentsAreNotInDesignMode) {
    const auto List = Entries();
    ASSERT_EQ(List.size(), 3);
    QScopedPointer<QWidget> Evaluator(List[0]->createWidget(nullptr));
    EXPECT_FALSE(qobject_cast<zoZezo::TzoZezoEvaluatorWidget*>(Evaluator.data())->Designing());
    EXPECT_TRUE(Evaluator->isHidden());
    QScopedPointer<QWidget> Memo(List[1]->createWidget(nullptr));
    EXPECT_FALSE(qobject_cast<zoZezo::TovEquationMemo*>(Memo.data())->Designing());
}

// The fields of a BITMAPFILEHEADER and BITMAPINFOHEADER that the palette relies on.
struct BitmapHeader {
    bool Signature;
    quint32 FileSize, PixelOffset, HeaderSize;
    qint32 Width, Height;
    quint16 BitsPerPixel;
    quint32 Compression;
};

BitmapHeader ReadHeader(const QByteArray& Data) {
    const auto* Bytes = reinterpret_cast<const uchar*>(Data.constData());
    return {Data.startsWith("BM"),
            qFromLittleEndian<quint32>(Bytes + 2),
            qFromLittleEndian<quint32>(Bytes + 10),
            qFromLittleEndian<quint32>(Bytes + 14),
            qFromLittleEndian<qint32>(Bytes + 18),
            qFromLittleEndian<qint32>(Bytes + 22),
            qFromLittleEndian<quint16>(Bytes + 28),
            qFromLittleEndian<quint32>(Bytes + 30)};
}

TEST_F(PaletteTest, EveryComponentHasA24x24FourBitUncompressedBitmap) {
    ASSERT_NE(Collection(), nullptr); // registers the module's resources
    QStringList Expected;
    for (const QString& Class : Classes)
        Expected.append(Class.section(QStringLiteral("::"), -1).toUpper());
    const QDir Palette(QStringLiteral(":/zeRuzeD5/palette"));
    QStringList Found = Palette.entryList(QDir::Files);
    Found.sort();
    QStringList Sorted = Expected;
    Sorted.sort();
    EXPECT_EQ(Found, Sorted) << "one bitmap per component, named after its class";
    for (const QString& Name : Expected) {
        SCOPED_TRACE(Name.toStdString());
        QFile File(Palette.filePath(Name));
        ASSERT_TRUE(File.open(QIODevice::ReadOnly));
        const QByteArray Data = File.readAll();
        ASSERT_GE(Data.size(), 54);
        const BitmapHeader Header = ReadHeader(Data);
        EXPECT_TRUE(Header.Signature);
        EXPECT_EQ(Header.FileSize, quint32(Data.size()));
        EXPECT_EQ(Header.HeaderSize, 40u);
        EXPECT_EQ(Header.Width, 24);
        EXPECT_EQ(qAbs(Header.Height), 24);
        EXPECT_EQ(Header.BitsPerPixel, 4);
        EXPECT_EQ(Header.Compression, 0u) << "BI_RGB";
        EXPECT_EQ(Header.PixelOffset + 24 * 12, quint32(Data.size()));
        EXPECT_FALSE(QImage::fromData(Data).isNull());
    }
}

TEST_F(PaletteTest, ThePackageIconIsAResourceOfTheModule) {
    ASSERT_NE(Collection(), nullptr);
    const QJsonObject Package = QPluginLoader(QStringLiteral(ZERUZED5_PLUGIN))
                                    .metaData()
                                    .value(QStringLiteral("MetaData"))
                                    .toObject();
    const QImage Icon(Package.value(QStringLiteral("Icon")).toString());
    EXPECT_FALSE(Icon.isNull());
    EXPECT_TRUE(Icon.hasAlphaChannel());
}

TEST_F(PaletteTest, IconsShowTheDrawingOnATransparentBackground) {
    for (auto* Entry : Entries()) {
        SCOPED_TRACE(Entry->name().toStdString());
        const QImage Icon = Entry->icon().pixmap(24, 24).toImage();
        ASSERT_EQ(Icon.size(), QSize(24, 24));
        EXPECT_EQ(qAlpha(Icon.pixel(0, 23)), 0) << "the bottom-left colour is the background";
        EXPECT_EQ(qAlpha(Icon.pixel(12, 12)), 255) << "the drawing stays";
    }
}

} // namespace
