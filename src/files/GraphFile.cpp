#include "files/GraphFile.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include "graph/GraphDocument.h"

QString cannotOpenText(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason);
}
QString cannotCreateText(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason);
}

bool writeGraphFile(const GraphDocument& doc, const QString& path, QString* error) {
    const QByteArray block = doc.saveState();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = cannotCreateText(path, file.errorString());
        return false;
    }
    char length[4];
    qToLittleEndian(static_cast<quint32>(block.size()), length);
    if (file.write(length, 4) != 4 || file.write(block) != block.size() || !file.commit()) {
        file.cancelWriting();
        if (error)
            *error = streamWriteError();
        return false;
    }
    return true;
}

std::optional<QByteArray> readGraphBlock(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = cannotOpenText(path, file.errorString());
        return std::nullopt;
    }
    char length[4];
    if (file.read(length, 4) != 4) {
        if (error)
            *error = streamReadError();
        return std::nullopt;
    }
    const quint32 n = qFromLittleEndian<quint32>(length);
    // The length is the file's word, not ours: check it against what is there first.
    if (static_cast<qint64>(n) > file.size() - 4) {
        if (error)
            *error = streamReadError();
        return std::nullopt;
    }
    QByteArray block = file.read(n);
    if (block.size() != static_cast<qsizetype>(n)) {
        if (error)
            *error = streamReadError();
        return std::nullopt;
    }
    return block;
}
