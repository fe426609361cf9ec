#include "cli/CliOutput.h"

#include <cmath>

#include "files/DateTimeText.h"

namespace cli {

Cell textCell(const QString& s) {
    return {s.toUtf8(), false};
}

Cell numberCell(qint64 n) {
    return {QByteArray::number(n), true};
}

Cell levelCell(double level, bool valid) {
    Cell c{{}, true};
    if (valid && std::isfinite(level))
        appendFixed1(c.text, level, '.');
    return c;
}

QByteArray isoTime(TDateTime t, bool withMs) {
    const QDateTime dt = tdt::toDateTime(t);
    const bool ms = withMs || dt.time().msec() != 0;
    return dt
        .toString(ms ? QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")
                     : QStringLiteral("yyyy-MM-ddTHH:mm:ss"))
        .toLatin1();
}

Cell timeCell(TDateTime t, bool withMs) {
    return {isoTime(t, withMs), false};
}

namespace {
constexpr qsizetype kFlushBytes = 1 << 16;

void appendCsv(QByteArray& out, const QByteArray& field) {
    if (field.contains(',') || field.contains('"') || field.contains('\n') ||
        field.contains('\r')) {
        QByteArray q = field;
        q.replace('"', "\"\"");
        out += '"' + q + '"';
    } else {
        out += field;
    }
}

void appendJsonString(QByteArray& out, const QByteArray& s) {
    out += '"';
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            out += QByteArray("\\u00") + QByteArray::number(c, 16).rightJustified(2, '0');
        } else {
            out += ch;
        }
    }
    out += '"';
}
}  // namespace

RowWriter::RowWriter(std::function<void(QByteArrayView)> sink, bool json,
                     std::initializer_list<const char*> columns)
    : sink_(std::move(sink)), json_(json) {
    for (const char* c : columns)
        columns_.emplace_back(c);
    if (!json_) {
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            if (i)
                buffer_ += ',';
            buffer_ += columns_[i];
        }
        buffer_ += '\n';
    }
}

RowWriter::~RowWriter() {
    flush();
}

void RowWriter::row(const std::vector<Cell>& cells) {
    if (json_) {
        buffer_ += '{';
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            if (i)
                buffer_ += ',';
            appendJsonString(buffer_, columns_[i]);
            buffer_ += ':';
            const Cell empty;
            const Cell& c = i < cells.size() ? cells[i] : empty;
            if (c.number)
                buffer_ += c.text.isEmpty() ? QByteArray("null") : c.text;
            else
                appendJsonString(buffer_, c.text);
        }
        buffer_ += "}\n";
    } else {
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            if (i)
                buffer_ += ',';
            if (i < cells.size())
                appendCsv(buffer_, cells[i].text);
        }
        buffer_ += '\n';
    }
    if (buffer_.size() >= kFlushBytes)
        flush();
}

void RowWriter::flush() {
    if (!buffer_.isEmpty())
        sink_(buffer_);
    buffer_.clear();
}

}  // namespace cli
