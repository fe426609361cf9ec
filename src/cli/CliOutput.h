#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <initializer_list>
#include <vector>

#include "core/TDateTime.h"

namespace cli {

// Where a command writes: results to out, progress and messages to err.
struct Io {
    std::function<void(QByteArrayView)> out;
    std::function<void(QByteArrayView)> err;
    void message(const QString& text) const { err((text + QLatin1Char('\n')).toUtf8()); }
};

// One value of a result row: text, or a number written as it stands (null when empty).
struct Cell {
    QByteArray text;
    bool number = false;
};
Cell textCell(const QString& s);
Cell numberCell(qint64 n);
// One decimal and a point, whatever the locale; an empty (null) cell for a level that is none.
Cell levelCell(double level, bool valid = true);
// Local ISO 8601 without a zone; milliseconds when the time has them (always with withMs).
Cell timeCell(TDateTime t, bool withMs = false);
QByteArray isoTime(TDateTime t, bool withMs = false);

// Result rows as CSV with a header line, or as JSON Lines whose keys are the columns.
class RowWriter {
public:
    RowWriter(std::function<void(QByteArrayView)> sink, bool json,
              std::initializer_list<const char*> columns);
    ~RowWriter();
    RowWriter(const RowWriter&) = delete;
    RowWriter& operator=(const RowWriter&) = delete;
    void row(const std::vector<Cell>& cells);
    void flush();

private:
    std::function<void(QByteArrayView)> sink_;
    bool json_;
    std::vector<QByteArray> columns_;
    QByteArray buffer_;
};

}  // namespace cli
