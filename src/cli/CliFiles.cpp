#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cmath>
#include <limits>

#include "cli/CliCommands.h"
#include "cli/CliFailure.h"
#include "files/DateTimeText.h"
#include "files/GraphFile.h"
#include "files/ListGridModel.h"
#include "files/TableToGraph.h"
#include "files/TextFiles.h"
#include "graph/GraphDocument.h"
#include "graph/GraphSetup.h"
#include "logger/CollectionFile.h"
#include "logger/MemoryImageParser.h"
#include "stats/AcousticStatistics.h"

namespace cli {

int positiveOption(const QString& text, const char* option) {
    bool ok = false;
    const qlonglong n = text.toLongLong(&ok);
    if (!ok || n < 1 || n > std::numeric_limits<int>::max())
        throw Failure{kExitUsage, QStringLiteral("--%1 must be a whole number from 1, not '%2'")
                                      .arg(QLatin1String(option), text)};
    return static_cast<int>(n);
}

namespace {

constexpr float kNullLevel = 9999.0f;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString suffixOf(const QString& path) {
    return QFileInfo(path).suffix().toLower();
}

// A collection file's data sets; a file failure naming the first damaged set.
DataSetCollection readSets(const QString& path) {
    const logger::CollectionFile file = logger::readCollectionFile(path);
    if (!file.ok)
        throw Failure{kExitFile, logger::notACollectionText(native(path), file.error)};
    logger::ParseResult parsed = logger::parseMemoryImage(
        file.image, file.lastAddress, tdt::fromDateTime(QDateTime::currentDateTime()));
    if (parsed.code == logger::kBadSet)
        throw Failure{kExitFile, QStringLiteral("%1: damaged data set %2 at address %3")
                                     .arg(native(path))
                                     .arg(parsed.badSetIndex + 1)
                                     .arg(parsed.badSetEnd + 1)};
    if (parsed.code == logger::kNoSets)
        return {};
    if (parsed.code != logger::kOk)
        throw Failure{kExitFile, logger::notACollectionText(
                                     native(path), logger::parseRefusalText(parsed.code, 0, 0))};
    return std::move(parsed.sets);
}

int setIndex(const Args& a, const DataSetCollection& sets, const QString& path) {
    if (!a.has("set"))
        throw Failure{kExitUsage, QStringLiteral("a collection file needs --set N")};
    const int n = positiveOption(a.value("set"), "set");
    if (n > sets.size())
        throw Failure{kExitUsage, QStringLiteral("%1 has %2 data sets; there is no set %3")
                                      .arg(native(path))
                                      .arg(sets.size())
                                      .arg(n)};
    return n - 1;
}

// Writes a whole output file, or leaves the old one as it was.
void saveBytes(const QString& path, const QByteArray& bytes) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw Failure{kExitFile,
                      QStringLiteral("cannot write %1: %2").arg(native(path), f.errorString())};
}

// The readings of one set as a graph with one point per reading, as the data set grid shows it.
void setToGraph(const DataSetCollection& s, int i, GraphDocument& doc) {
    const auto si = static_cast<std::size_t>(i);
    const qsizetype offset = s.offset(i);
    const int n = s.counts[si];
    const auto [start, end] = s.timeRange(i);
    prepareGraphDocument(doc, 1, 130, 30, end, start, n);
    applyDefaultLook(doc);
    doc.setXData(s.readingTimes.data() + offset, n);
    doc.setYData(s.readings.data() + offset, n);
}

std::optional<QByteArray> templateBlock() {
    const QString path = graphTemplatePath();
    if (!QFileInfo::exists(path))
        return std::nullopt;
    QString error;
    return readGraphBlock(path, &error);
}

void loadGraphFile(const QString& path, GraphDocument& doc) {
    QString error;
    const auto block = readGraphBlock(path, &error);
    if (!block)
        throw Failure{kExitFile, QStringLiteral("%1: %2").arg(native(path), error)};
    if (!doc.loadState(*block, &error))
        throw Failure{kExitFile,
                      QStringLiteral("%1 is not a graph file: %2")
                          .arg(native(path), error.isEmpty() ? streamReadError() : error)};
}

void requireRegularFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        throw Failure{kExitFile, QStringLiteral("%1: no such file").arg(native(path))};
    if (!info.isFile())
        throw Failure{kExitFile, QStringLiteral("%1 is not a regular file").arg(native(path))};
}

void loadTable(const QString& path, char separator, GraphDocument& doc) {
    requireRegularFile(path);
    ListGridModel grid;
    if (!importText(path, separator, grid, {}).opened)
        throw Failure{kExitFile, QStringLiteral("cannot open %1").arg(native(path))};
    if (!tableHasData(grid))
        throw Failure{kExitFile, QStringLiteral("%1: %2").arg(native(path), noDataToGraphText())};
    DateTimeReader reader;
    QString error;
    const auto span = tableSpan(grid, reader, &error);
    if (!span)
        throw Failure{kExitFile, QStringLiteral("%1: %2").arg(native(path), error)};
    const auto look = templateBlock();
    initGraphDocument(doc, 1, 130, 30, span->end, span->start, span->rows, look ? &*look : nullptr);
    tableToGraph(grid, doc, reader, {});
    fitTimeRange(doc);
}

char separatorFor(const QString& suffix) {
    return suffix == QLatin1String("csv") ? ',' : '\t';
}

// The input of convert as a graph.
void loadAnyAsGraph(const Args& a, const QString& path, GraphDocument& doc) {
    const QString ext = suffixOf(path);
    if (ext == QLatin1String("ghf")) {
        loadGraphFile(path, doc);
    } else if (ext == QLatin1String("txt") || ext == QLatin1String("csv")) {
        loadTable(path, separatorFor(ext), doc);
    } else if (ext == QLatin1String("rec")) {
        const DataSetCollection sets = readSets(path);
        setToGraph(sets, setIndex(a, sets, path), doc);
    } else {
        throw Failure{kExitUsage,
                      QStringLiteral("%1: give a .ghf, .txt, .csv or .rec file").arg(native(path))};
    }
}

// Readings streamed into the statistics: only the first highest and lowest and the span are
// kept beside the levels, so a file of millions of lines costs four bytes a reading.
class StatsAccumulator {
public:
    StatsAccumulator(std::optional<TDateTime> from, std::optional<TDateTime> to)
        : from_(from), to_(to) {}
    void add(TDateTime t, float level) {
        if (t == 0 || (from_ && t < *from_) || (to_ && t > *to_))
            return;
        ++timed_;
        first_ = std::min(first_, t);
        last_ = std::max(last_, t);
        if (level == kNullLevel || !std::isfinite(level))
            return;
        if (levels_.empty() || level > max_) {
            max_ = level;
            maxTime_ = t;
        }
        if (levels_.empty() || level < min_) {
            min_ = level;
            minTime_ = t;
        }
        levels_.push_back(level);
    }
    void write(const Io& io, bool json, double knownSpacingS) const {
        RowWriter w(io.out, json,
                    {"count", "start", "end", "duration_s", "average", "max", "max_time", "min",
                     "min_time", "leq", "l10", "l50", "l90"});
        const AcousticStatistics s = acousticStatistics(levels_.data(), levels_.size(), kNullLevel);
        const bool any = !levels_.empty();
        std::vector<Cell> row{numberCell(s.count)};
        if (timed_ > 0) {
            const double span = (last_ - first_) * 86400.0;
            const double spacing = timed_ > 1 ? span / (timed_ - 1) : knownSpacingS;
            row.push_back(timeCell(first_));
            row.push_back(timeCell(last_));
            row.push_back(levelCell(span + spacing));
        } else {
            row.insert(row.end(), {textCell({}), textCell({}), levelCell(0, false)});
        }
        row.push_back(levelCell(s.average, any));
        row.push_back(levelCell(max_, any));
        row.push_back(any ? timeCell(maxTime_) : textCell({}));
        row.push_back(levelCell(min_, any));
        row.push_back(any ? timeCell(minTime_) : textCell({}));
        for (const double v : {s.leq, s.l10, s.l50, s.l90})
            row.push_back(levelCell(v, any));
        w.row(row);
    }

private:
    std::optional<TDateTime> from_, to_;
    std::vector<float> levels_;
    qint64 timed_ = 0;
    TDateTime first_ = std::numeric_limits<double>::max();
    TDateTime last_ = std::numeric_limits<double>::lowest();
    float max_ = 0, min_ = 0;
    TDateTime maxTime_ = 0, minTime_ = 0;
};

// The lines of a text table in chunks, as the list window reads them: at most 179 characters
// a line (a longer one is cut and ends the reading), ending at the first line without a
// separator. Fields 1..3 are date, time and level.
void streamTable(const QString& path, char separator, StatsAccumulator& acc) {
    requireRegularFile(path);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw Failure{kExitFile,
                      QStringLiteral("cannot open %1: %2").arg(native(path), f.errorString())};
    DateTimeReader reader;
    constexpr qint64 kChunk = 1 << 20;
    QByteArray carry;
    bool done = false;
    const auto line = [&](QByteArrayView l) {
        if (l.endsWith('\r'))
            l.chop(1);
        const qsizetype cut = bytesOfChars(l.data(), l.data() + l.size(), kMaxLineChars);
        const bool tooLong = cut >= 0;
        if (tooLong)
            l.truncate(cut);
        if (l.indexOf(separator) < 0) {
            done = true;
            return;
        }
        QByteArrayView fields[3];
        qsizetype start = 0;
        for (int k = 0; k < 3; ++k) {
            const qsizetype end = l.indexOf(separator, start);
            fields[k] = l.sliced(start, (end < 0 ? l.size() : end) - start);
            if (end < 0) {
                start = l.size();
                for (int j = k + 1; j < 3; ++j)
                    fields[j] = {};
                break;
            }
            start = end + 1;
        }
        if (const auto t = reader.parse(fields[0], fields[1])) {
            const auto level = reader.number(fields[2]);
            acc.add(*t, level ? static_cast<float>(*level) : kNullLevel);
        }
        done = tooLong;
    };
    while (!done) {
        QByteArray chunk = f.read(kChunk);
        if (chunk.isEmpty())
            break;
        QByteArrayView rest(chunk);
        if (!carry.isEmpty()) {
            const qsizetype nl = rest.indexOf('\n');
            carry.append(rest.first(nl < 0 ? rest.size() : nl));
            if (nl < 0) {
                if (carry.size() > 4 * kMaxLineChars + 4)  // surely cut: keep what decides
                    carry.truncate(4 * kMaxLineChars + 4);
                continue;
            }
            line(carry);
            carry.clear();
            rest = rest.sliced(nl + 1);
        }
        for (qsizetype nl; !done && (nl = rest.indexOf('\n')) >= 0; rest = rest.sliced(nl + 1))
            line(rest.first(nl));
        if (!done)
            carry =
                rest.first(std::min<qsizetype>(rest.size(), 4 * kMaxLineChars + 4)).toByteArray();
    }
    if (!done && !carry.isEmpty())
        line(carry);
}

std::optional<TDateTime> timeOption(const Args& a, const char* name) {
    if (!a.has(name))
        return std::nullopt;
    const QString text = a.value(name).trimmed();
    QDateTime dt = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!dt.isValid())
        dt = QDateTime::fromString(QString(text).replace(QLatin1Char(' '), QLatin1Char('T')),
                                   Qt::ISODateWithMs);
    if (!dt.isValid() || dt.timeSpec() != Qt::LocalTime)
        throw Failure{kExitUsage, QStringLiteral("--%1 must be a local ISO time such as "
                                                 "2024-03-15T14:30:05, not '%2'")
                                      .arg(QLatin1String(name), text)};
    return tdt::fromDateTime(dt);
}

}  // namespace

int cmdSets(const Args& a, const Io& io) {
    const DataSetCollection s = readSets(a.positional[0]);
    RowWriter w(io.out, a.has("json"),
                {"set", "start", "interval_s", "count", "weighting", "average", "max", "max_time",
                 "min", "min_time", "leq", "l10", "l50", "l90"});
    for (int i = 0; i < s.size(); ++i) {
        const auto si = static_cast<std::size_t>(i);
        const qsizetype off = s.offset(i);
        const int n = s.counts[si];
        const AcousticStatistics st =
            acousticStatistics(s.readings.data() + off, static_cast<std::size_t>(n), kNullLevel);
        const bool any = n > 0;
        const auto at = [&](int k) { return s.readingTimes[static_cast<std::size_t>(off + k)]; };
        std::vector<Cell> row{numberCell(i + 1),
                              timeCell(s.startTimes[si]),
                              numberCell(s.intervals[si]),
                              numberCell(n),
                              textCell(s.weightingA(i) ? QStringLiteral("A") : QStringLiteral("C")),
                              levelCell(s.averages[si], any)};
        row.push_back(levelCell(st.max, any));
        row.push_back(any ? timeCell(at(s.maxIndexes[si])) : textCell({}));
        row.push_back(levelCell(st.min, any));
        row.push_back(any ? timeCell(at(s.minIndexes[si])) : textCell({}));
        for (const double v : {st.leq, st.l10, st.l50, st.l90})
            row.push_back(levelCell(v, any));
        w.row(row);
    }
    return kExitOk;
}

int cmdExport(const Args& a, const Io& io) {
    const QString path = a.positional[0];
    const DataSetCollection s = readSets(path);
    const int i = setIndex(a, s, path);
    const QString format = a.has("format") ? a.value("format").toLower() : QStringLiteral("csv");
    if (format != QLatin1String("csv") && format != QLatin1String("txt"))
        throw Failure{kExitUsage, QStringLiteral("--format is csv or txt, not '%1'").arg(format)};
    const qsizetype off = s.offset(i);
    const int n = s.counts[static_cast<std::size_t>(i)];
    QByteArray file;
    const bool toFile = a.has("out");
    const auto sink = [&](QByteArrayView b) {
        if (toFile)
            file.append(b);
        else
            io.out(b);
    };
    if (format == QLatin1String("txt")) {
        TextLineFormatter fmt;
        QByteArray lines;
        for (int k = 0; k < n; ++k) {
            const auto idx = static_cast<std::size_t>(off + k);
            fmt.appendPointLine(lines, s.readingTimes[idx], s.readings[idx], '\t');
            lines.append("\r\n");
            if (lines.size() > (1 << 16)) {
                sink(lines);
                lines.clear();
            }
        }
        sink(lines);
    } else {
        RowWriter w(sink, a.has("json"), {"time", "level"});
        for (int k = 0; k < n; ++k) {
            const auto idx = static_cast<std::size_t>(off + k);
            w.row({timeCell(s.readingTimes[idx]), levelCell(s.readings[idx])});
        }
    }
    if (toFile)
        saveBytes(a.value("out"), file);
    return kExitOk;
}

int cmdStats(const Args& a, const Io& io) {
    const QString path = a.positional[0];
    StatsAccumulator acc(timeOption(a, "from"), timeOption(a, "to"));
    const QString ext = suffixOf(path);
    double spacing = 0;
    if (ext == QLatin1String("txt") || ext == QLatin1String("csv")) {
        if (a.has("set"))
            throw Failure{kExitUsage, QStringLiteral("--set is for collection files")};
        streamTable(path, separatorFor(ext), acc);
    } else if (ext == QLatin1String("rec")) {
        const DataSetCollection s = readSets(path);
        const int i = setIndex(a, s, path);
        const qsizetype off = s.offset(i);
        for (int k = 0; k < s.counts[static_cast<std::size_t>(i)]; ++k)
            acc.add(s.readingTimes[static_cast<std::size_t>(off + k)],
                    s.readings[static_cast<std::size_t>(off + k)]);
        spacing = s.intervals[static_cast<std::size_t>(i)];
    } else if (ext == QLatin1String("ghf")) {
        if (a.has("set"))
            throw Failure{kExitUsage, QStringLiteral("--set is for collection files")};
        GraphDocument doc;
        loadGraphFile(path, doc);
        for (int k = 0; k < doc.points(); ++k)
            acc.add(doc.x(0, k), doc.y(0, k));
    } else {
        throw Failure{kExitUsage,
                      QStringLiteral("%1: give a .ghf, .txt, .csv or .rec file").arg(native(path))};
    }
    acc.write(io, a.has("json"), spacing);
    return kExitOk;
}

int cmdConvert(const Args& a, const Io& io) {
    const QString in = a.positional[0], out = a.positional[1];
    const QString to = suffixOf(out);
    if (to != QLatin1String("ghf") && to != QLatin1String("txt") && to != QLatin1String("csv"))
        throw Failure{
            kExitUsage,
            QStringLiteral("%1: the output is a .ghf, .txt or .csv file").arg(native(out))};
    if (suffixOf(in) == to)
        throw Failure{kExitUsage,
                      QStringLiteral("%1 and %2 are of the same kind: nothing to convert")
                          .arg(native(in), native(out))};
    if (a.has("set") && suffixOf(in) != QLatin1String("rec"))
        throw Failure{kExitUsage, QStringLiteral("--set is for collection files")};
    GraphDocument doc;
    loadAnyAsGraph(a, in, doc);
    if (to == QLatin1String("ghf")) {
        QString error;
        if (!writeGraphFile(doc, out, &error))
            throw Failure{kExitFile, error};
    } else {
        const int lines =
            exportGraphText(doc, out, separatorFor(to), LineRange{1, doc.points()}, {});
        if (lines < 0)
            throw Failure{kExitFile, QStringLiteral("cannot write %1").arg(native(out))};
        io.message(QStringLiteral("%1 lines written to %2").arg(lines).arg(native(out)));
    }
    return kExitOk;
}

}  // namespace cli
