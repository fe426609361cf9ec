#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class GraphDocument;

// A graph file: the chart's state block behind its length, 4 bytes little-endian. Errors come
// back as the texts the standard error box shows.

// Writes through a temporary file, so a failed save leaves an existing file as it was.
bool writeGraphFile(const GraphDocument& doc, const QString& path, QString* error);

// The state block of a graph file; nothing when the file cannot be read or is shorter than its
// length field says. Bytes after the block are ignored.
std::optional<QByteArray> readGraphBlock(const QString& path, QString* error);

// The message of a file that could not be opened or created.
QString cannotOpenText(const QString& path, const QString& reason);
QString cannotCreateText(const QString& path, const QString& reason);
inline QString streamReadError() {
    return QStringLiteral("Stream read error");
}
inline QString streamWriteError() {
    return QStringLiteral("Stream write error");
}
