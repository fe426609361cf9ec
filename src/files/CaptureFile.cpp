#include "files/CaptureFile.h"

#include <QSaveFile>

#include "files/ListGridModel.h"
#include "files/TextFiles.h"

bool writeCaptureFile(const QString& path, const std::vector<QStringList>& rows, QString* error) {
    QByteArray text;
    for (int r = 0; r < kCaptureRows; ++r) {
        const QStringList cells = static_cast<std::size_t>(r) < rows.size()
                                      ? rows[static_cast<std::size_t>(r)]
                                      : QStringList();
        for (int c = 0; c < kCaptureFields; ++c) {
            text.append(cells.value(c).toUtf8());
            text.append('\t');
        }
        text.append("\r\n");
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

std::optional<std::vector<QStringList>> readCaptureFile(const QString& path) {
    ListGridModel grid;
    const ImportResult result = importText(path, '\t', grid, nullptr);
    if (!result.opened)
        return std::nullopt;
    std::vector<QStringList> rows;
    rows.reserve(static_cast<std::size_t>(result.rows));
    for (int r = 1; r <= result.rows; ++r) {
        QStringList cells;
        for (int c = 1; c <= kCaptureFields; ++c)
            cells << grid.Cells(c, r);
        rows.push_back(cells);
    }
    return rows;
}
