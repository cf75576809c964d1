#include "DocumentFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QSaveFile>
#include <QStringDecoder>

namespace workbench {
namespace {

constexpr qint64 MaxBytes = 16 * 1024 * 1024;

QString Shown(const QString& Path) {
    return QDir::toNativeSeparators(Path);
}

} // namespace

bool ReadZezFile(const QString& Path, QString& Text, QString& Error) {
    QFile File(Path);
    if (!File.open(QIODevice::ReadOnly)) {
        Error = QObject::tr("Cannot read '%1': %2").arg(Shown(Path), File.errorString());
        return false;
    }
    if (File.size() > MaxBytes) {
        Error = QObject::tr("'%1' is larger than %2 MiB: too large for a document")
                    .arg(Shown(Path))
                    .arg(MaxBytes / (1024 * 1024));
        return false;
    }
    const QByteArray Bytes = File.readAll();
    if (File.error() != QFileDevice::NoError) {
        Error = QObject::tr("Cannot read '%1': %2").arg(Shown(Path), File.errorString());
        return false;
    }
    if (Bytes.contains('\0')) {
        Error = QObject::tr("'%1' is not a text file").arg(Shown(Path));
        return false;
    }
    QStringDecoder Utf8(QStringDecoder::Utf8);
    Text = Utf8(Bytes);
    if (Utf8.hasError()) Text = QString::fromLatin1(Bytes);
    if (Text.startsWith(QChar::ByteOrderMark)) Text.remove(0, 1);
    Text.replace("\r\n", "\n");
    if (Text.endsWith('\n')) Text.chop(1);
    return true;
}

bool WriteTextFile(const QString& Path, const QString& Text, QString& Error) {
    QSaveFile File(Path);
    if (File.open(QIODevice::WriteOnly) && File.write(Text.toUtf8()) >= 0 && File.commit())
        return true;
    Error = QObject::tr("Cannot write '%1': %2").arg(Shown(Path), File.errorString());
    return false;
}

QString WithSuffix(const QString& Path, const QString& Suffix) {
    return QFileInfo(Path).suffix().isEmpty() ? Path + '.' + Suffix : Path;
}

QString UnusedName(const QStringList& Taken, const QString& Wanted) {
    QString Name = Wanted;
    for (int K = 2; Taken.contains(Name, Qt::CaseInsensitive); ++K)
        Name = QString("%1 %2").arg(Wanted).arg(K);
    return Name;
}

} // namespace workbench
