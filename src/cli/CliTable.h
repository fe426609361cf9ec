#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The command line of sonodesk-cli: one table of commands and options from which the parser,
// every --help text and the manual page are made, so that they cannot disagree.
namespace cli {

enum Exit : int {
    kExitOk = 0,
    kExitUsage = 1,  // the command line is wrong
    kExitMeter = 2,  // the meter or the line failed
    kExitFile = 3,   // a file is bad, damaged or cannot be written
};

struct OptionEntry {
    const char* name;  // without the dashes
    const char* arg;   // the value's placeholder, or nullptr for a flag
    const char* help;
};

struct CommandEntry {
    const char* name;
    const char* synopsis;  // the arguments after the command's name
    const char* summary;   // one line
    const char* details;   // what it prints, its columns
    std::vector<OptionEntry> options;
    int minArgs = 0;
    int maxArgs = 0;
    bool meter = false;  // talks to the meter: --port and --demo apply
};

const std::vector<CommandEntry>& commands();
const CommandEntry* findCommand(const QString& name);
// --json, --help; and for the meter commands --port and --demo.
const std::vector<OptionEntry>& outputOptions();
const std::vector<OptionEntry>& meterOptions();

// A parsed command line.
struct Args {
    const CommandEntry* command = nullptr;
    QStringList positional;
    QHash<QString, QString> values;  // options with a value
    QStringList flags;               // options without one
    bool has(const char* name) const {
        const QString n = QLatin1String(name);
        return flags.contains(n) || values.contains(n);
    }
    QString value(const char* name) const { return values.value(QLatin1String(name)); }
};

// The arguments after the program's name. Nothing, and the reason in error, when they do not
// fit the command's table.
std::optional<Args> parseArgs(const QStringList& argv, QString* error);

QString overviewHelp();
QString commandHelp(const CommandEntry& c);
// The manual page, in roff.
QByteArray manPage();

}  // namespace cli
