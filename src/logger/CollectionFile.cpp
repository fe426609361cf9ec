#include "logger/CollectionFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

#include "logger/MemoryImageParser.h"

namespace logger {

namespace {
constexpr qint64 kMaxFileBytes = 0xFFFFFF + 257;
}

QString tempFolder(const QString& dataFolder) {
    if (dataFolder.isEmpty())
        return QCoreApplication::applicationDirPath() + QStringLiteral("/temp");
    QString folder = dataFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + QStringLiteral("temp");
}

QString tempFilePath(const QString& dataFolder) {
    return tempFolder(dataFolder) + QStringLiteral("/DataSetsTemp.tmp");
}

bool writeImageFile(const QString& path, const QByteArray& image, int lastAddress, QString* error) {
    const qint64 length = static_cast<qint64>(std::max(lastAddress, -1)) + 257;
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        const qint64 have = std::min<qint64>(image.size(), length);
        ok = file.write(image.constData(), have) == have;
        if (ok && have < length) {
            const QByteArray erased(static_cast<qsizetype>(length - have), '\xFF');
            ok = file.write(erased) == erased.size();
        }
    }
    if (!ok) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool writeTempFile(const QString& dataFolder, const QByteArray& image, int lastAddress,
                   QString* error) {
    const QString folder = tempFolder(dataFolder);
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir()) {
        if (error)
            *error = QDir::toNativeSeparators(folder);
        return false;
    }
    return writeImageFile(tempFilePath(dataFolder), image, lastAddress, error);
}

CollectionFile readCollectionFile(const QString& path) {
    CollectionFile f;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        f.error = QStringLiteral("it cannot be read");
        return f;
    }
    // No more than the file holds: read(max) would reserve the whole maximum first.
    f.image = file.read(std::min(file.size(), kMaxFileBytes));
    f.lastAddress = imageLastAddress(f.image);
    if (f.lastAddress < 0) {
        f.error = QStringLiteral("it is shorter than 14 bytes");
    } else if (f.image.size() < static_cast<qint64>(f.lastAddress) + 2) {
        f.error = QStringLiteral("it is shorter than its last used address %1 + 2 bytes")
                      .arg(f.lastAddress);
    } else {
        f.ok = true;
    }
    return f;
}

QString notACollectionText(const QString& path, const QString& why) {
    return QStringLiteral("%1 is not a data set collection: %2")
        .arg(QDir::toNativeSeparators(path), why);
}

QString parseRefusalText(int code, int badSetIndex, int badSetEnd) {
    switch (code) {
        case kNoSets:
            return QStringLiteral("it holds no data sets");
        case kTooManySets:
            return QStringLiteral("it announces more than %1 data sets").arg(kMaxSets);
        case kBadSet:
            return QStringLiteral("data set %1 at address %2 is damaged")
                .arg(badSetIndex + 1)
                .arg(badSetEnd + 1);
        default:
            return QStringLiteral("it does not read");
    }
}

}  // namespace logger
