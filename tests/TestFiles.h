#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// A file's bytes (empty when it cannot be read), and a file written with bytes.
inline QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
inline void writeAll(const QString& path, const QByteArray& data) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(data);
}
