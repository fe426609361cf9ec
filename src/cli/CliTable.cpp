#include "cli/CliTable.h"

#include <QSet>

namespace cli {

namespace {
const std::vector<OptionEntry> kOutput = {
    {"json", nullptr, "Print JSON Lines (one object per line) instead of CSV."},
    {"help", nullptr, "Show the command's help and exit."},
};
const std::vector<OptionEntry> kMeter = {
    {"port", "PATH", "The meter's serial device. Without it the system's ports are searched."},
    {"demo", nullptr, "Use the built-in simulated meter (with recorded data to try)."},
};
}  // namespace

const std::vector<OptionEntry>& outputOptions() {
    return kOutput;
}
const std::vector<OptionEntry>& meterOptions() {
    return kMeter;
}

const std::vector<CommandEntry>& commands() {
    static const std::vector<CommandEntry> table = {
        {"ports",
         "[--probe]",
         "List the serial ports.",
         "Columns: path, description, meter (\"yes\" or \"no\" with --probe, else empty).",
         {{"probe", nullptr, "Ask each port whether a meter answers."}},
         0,
         0,
         true},
        {"live",
         "[--seconds S] [--count N]",
         "Print the meter's live readings.",
         "One line per live frame until S seconds or N frames have passed, or Ctrl-C. Columns: "
         "time, level (dB), weighting (A or C), speed (FAST or SLOW), max_min (MAX, MIN, \"MAX "
         "MIN\" or empty), flags (REC, UNDER, OVER, FULL, READ, separated by spaces).",
         {{"seconds", "S", "Stop after S seconds."}, {"count", "N", "Stop after N frames."}},
         0,
         0,
         true},
        {"download",
         "--out FILE.rec",
         "Download the data logger's memory into a collection file.",
         "Progress goes to standard error. A damaged data set is reported (exit status 3, "
         "naming the set) and the file is still written, so that the sets before it are kept.",
         {{"out", "FILE", "The collection file to write."}},
         0,
         0,
         true},
        {"sets",
         "FILE.rec",
         "List the data sets of a collection file.",
         "Columns: set (from 1), start, interval_s, count, weighting, average, max, max_time, "
         "min, min_time, leq, l10, l50, l90.",
         {},
         1,
         1,
         false},
        {"export",
         "FILE.rec --set N [--out FILE] [--format csv|txt]",
         "Print the readings of one data set.",
         "csv: columns time, level. txt: the application's text file format (date, time and "
         "level separated by tabs, in the locale's date format).",
         {{"set", "N", "The data set, counted from 1."},
          {"out", "FILE", "Write to FILE instead of standard output."},
          {"format", "FORMAT", "csv (the default) or txt."}},
         1,
         1,
         false},
        {"recall",
         "[--out FILE.CAP]",
         "Read the readings stored with the meter's MEM key.",
         "Columns: no, level, time, weighting, speed. With --out they are written as a capture "
         "file instead.",
         {{"out", "FILE", "The capture file to write."}},
         0,
         0,
         true},
        {"info",
         "[--memory-test]",
         "Show the meter's data logger information.",
         "Columns: firmware, meter_time, interval_s, data_sets, memory_available (readings that "
         "still fit), memory_test (with --memory-test: OK or FAILED).",
         {{"memory-test", nullptr, "Also test the logger memory (what it holds is kept)."}},
         0,
         0,
         true},
        {"set-clock",
         "",
         "Set the meter's clock to the computer's time.",
         "Prints the time that was set.",
         {},
         0,
         0,
         true},
        {"set-interval",
         "MM:SS",
         "Set the meter's recording interval.",
         "MM:SS from 00:01 to 01:00. Prints the interval that was set.",
         {},
         1,
         1,
         true},
        {"erase",
         "--yes",
         "Erase the meter's data logger memory.",
         "Every recorded data set is lost: the command refuses to run without --yes.",
         {{"yes", nullptr, "Really erase."}},
         0,
         0,
         true},
        {"stats",
         "FILE [--set N] [--from T] [--to T]",
         "Statistics of the readings of a file.",
         "FILE is a graph file (.ghf), a text or CSV table (.txt, .csv) or, with --set, a "
         "collection file (.rec). Columns: count, start, end, duration_s (the span of the "
         "readings plus one reading's spacing), average, max, max_time, min, min_time, leq, l10, "
         "l50, l90. Readings without a level are left out.",
         {{"set", "N", "The data set of a collection file, counted from 1."},
          {"from", "T", "Only readings at or after T (2024-03-15T14:30:05)."},
          {"to", "T", "Only readings at or before T."}},
         1,
         1,
         false},
        {"convert",
         "IN OUT [--set N]",
         "Convert between graph files and text tables.",
         "The kinds follow the extensions: .ghf, .txt (tab separated) and .csv. IN may be a "
         "collection file (.rec) with --set.",
         {{"set", "N", "The data set of a collection file, counted from 1."}},
         2,
         2,
         false},
    };
    return table;
}

const CommandEntry* findCommand(const QString& name) {
    for (const CommandEntry& c : commands())
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

namespace {
const OptionEntry* findOption(const CommandEntry& c, const QString& name) {
    const auto in = [&name](const std::vector<OptionEntry>& list) -> const OptionEntry* {
        for (const OptionEntry& o : list)
            if (name == QLatin1String(o.name))
                return &o;
        return nullptr;
    };
    if (const OptionEntry* o = in(c.options))
        return o;
    if (const OptionEntry* o = in(kOutput))
        return o;
    return c.meter ? in(kMeter) : nullptr;
}
}  // namespace

std::optional<Args> parseArgs(const QStringList& argv, QString* error) {
    Args args;
    if (argv.isEmpty()) {
        *error = QStringLiteral("no command given (try --help)");
        return std::nullopt;
    }
    args.command = findCommand(argv.front());
    if (!args.command) {
        *error = QStringLiteral("unknown command '%1' (try --help)").arg(argv.front());
        return std::nullopt;
    }
    const CommandEntry& c = *args.command;
    bool optionsEnd = false;
    for (qsizetype i = 1; i < argv.size(); ++i) {
        const QString& a = argv[i];
        if (optionsEnd || !a.startsWith(QLatin1String("--"))) {
            args.positional << a;
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnd = true;
            continue;
        }
        QString name = a.mid(2);
        std::optional<QString> value;
        if (const qsizetype eq = name.indexOf(QLatin1Char('=')); eq >= 0) {
            value = name.mid(eq + 1);
            name.truncate(eq);
        }
        const OptionEntry* o = findOption(c, name);
        if (!o) {
            *error = QStringLiteral("'%1' has no option --%2").arg(QLatin1String(c.name), name);
            return std::nullopt;
        }
        if (!o->arg) {
            if (value) {
                *error = QStringLiteral("--%1 takes no value").arg(name);
                return std::nullopt;
            }
            args.flags << name;
            continue;
        }
        if (!value) {
            if (i + 1 >= argv.size()) {
                *error = QStringLiteral("--%1 needs a value (%2)").arg(name, QLatin1String(o->arg));
                return std::nullopt;
            }
            value = argv[++i];
        }
        args.values.insert(name, *value);
    }
    if (args.has("help"))
        return args;
    const auto n = args.positional.size();
    if (n < c.minArgs || n > c.maxArgs) {
        *error =
            n < c.minArgs
                ? QStringLiteral("'%1' needs %2 (try %1 --help)")
                      .arg(QLatin1String(c.name), QString::fromLatin1(c.synopsis)
                                                      .section(QLatin1Char(' '), 0, c.minArgs - 1))
                : QStringLiteral("unexpected argument '%1'").arg(args.positional.at(c.maxArgs));
        return std::nullopt;
    }
    return args;
}

namespace {
QString optionLine(const OptionEntry& o) {
    QString head = QStringLiteral("  --") + QLatin1String(o.name);
    if (o.arg)
        head += QLatin1Char(' ') + QLatin1String(o.arg);
    return head.leftJustified(22) + QLatin1Char(' ') + QLatin1String(o.help) + QLatin1Char('\n');
}
}  // namespace

QString overviewHelp() {
    QString s = QStringLiteral(
        "Usage: sonodesk-cli COMMAND [OPTIONS] [ARGS]\n"
        "The NX410 sound level meter and its files from scripts: CSV (or JSON Lines with --json) "
        "on standard output, messages on standard error.\n\nCommands:\n");
    for (const CommandEntry& c : commands())
        s += (QStringLiteral("  ") + QLatin1String(c.name)).leftJustified(16) +
             QLatin1String(c.summary) + QLatin1Char('\n');
    s += QStringLiteral(
        "\n'sonodesk-cli COMMAND --help' tells more of each.\n"
        "Exit status: 0 success, 1 usage error, 2 meter or line failure, 3 bad or damaged file.\n");
    return s;
}

QString commandHelp(const CommandEntry& c) {
    QString s = QStringLiteral("Usage: sonodesk-cli %1 %2\n%3\n%4\n\nOptions:\n")
                    .arg(QLatin1String(c.name), QLatin1String(c.synopsis), QLatin1String(c.summary),
                         QLatin1String(c.details));
    for (const OptionEntry& o : c.options)
        s += optionLine(o);
    if (c.meter)
        for (const OptionEntry& o : kMeter)
            s += optionLine(o);
    for (const OptionEntry& o : kOutput)
        s += optionLine(o);
    return s;
}

namespace {
// Text for roff: a backslash doubled, a leading dot or quote guarded, dashes of options kept.
QByteArray roff(const QString& text) {
    QByteArray b = text.toUtf8();
    b.replace('\\', "\\e");
    b.replace('-', "\\-");
    if (b.startsWith('.') || b.startsWith('\''))
        b.prepend("\\&");
    return b;
}
void roffOption(QByteArray& m, const OptionEntry& o) {
    m += ".TP\n\\fB\\-\\-" + roff(QLatin1String(o.name)) + "\\fR";
    if (o.arg)
        m += " \\fI" + roff(QLatin1String(o.arg)) + "\\fR";
    m += '\n' + roff(QLatin1String(o.help)) + '\n';
}
}  // namespace

QByteArray manPage() {
    QByteArray m;
    m += ".\\\" Made by sonodesk-cli --man from its own option tables; do not edit.\n";
    m += ".TH SONODESK\\-CLI 1 \"\" \"SonoDesk " SONODESK_VERSION "\" \"User Commands\"\n";
    m += ".SH NAME\nsonodesk\\-cli \\- the NX410 sound level meter and its files from scripts\n";
    m += ".SH SYNOPSIS\n.B sonodesk\\-cli\n\\fICOMMAND\\fR [\\fIOPTIONS\\fR] [\\fIARGS\\fR]\n";
    m += ".SH DESCRIPTION\n"
         "One command per task. Results go to standard output as CSV with a header line, or as "
         "JSON Lines with \\fB\\-\\-json\\fR; progress and messages go to standard error. Times "
         "are local ISO 8601 without a zone (2024\\-03\\-15T14:30:05, with milliseconds where "
         "they exist); levels are in dB with one decimal and a point, whatever the locale. Data "
         "sets are numbered from 1.\n";
    m += ".SH COMMANDS\n";
    for (const CommandEntry& c : commands()) {
        m +=
            ".SS \"" + roff(QLatin1String(c.name)) + ' ' + roff(QLatin1String(c.synopsis)) + "\"\n";
        m += roff(QLatin1String(c.summary)) + ' ' + roff(QLatin1String(c.details)) + '\n';
        for (const OptionEntry& o : c.options)
            roffOption(m, o);
    }
    m += ".SH OPTIONS OF THE METER COMMANDS\n";
    for (const OptionEntry& o : kMeter)
        roffOption(m, o);
    m += ".SH OPTIONS OF EVERY COMMAND\n";
    for (const OptionEntry& o : kOutput)
        roffOption(m, o);
    m += ".SH EXIT STATUS\n"
         ".TP\n0\nSuccess.\n.TP\n1\nA usage error.\n.TP\n2\nThe meter or the line failed.\n"
         ".TP\n3\nA file is bad, damaged or cannot be written.\n";
    m += ".SH EXAMPLES\n.nf\n"
         "sonodesk\\-cli live \\-\\-demo \\-\\-count 5\n"
         "sonodesk\\-cli download \\-\\-port /dev/ttyUSB0 \\-\\-out survey.rec\n"
         "sonodesk\\-cli sets survey.rec\n"
         "sonodesk\\-cli stats survey.rec \\-\\-set 2 \\-\\-json\n"
         "sonodesk\\-cli convert recording.ghf recording.csv\n.fi\n";
    m += ".SH SEE ALSO\n.BR sonodesk (1),\n.BR sonodesk\\-meter\\-sim (1)\n";
    return m;
}

}  // namespace cli
