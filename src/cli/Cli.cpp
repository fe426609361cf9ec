#include <QCoreApplication>

#include "cli/CliCommands.h"
#include "cli/CliFailure.h"
#include "core/Guard.h"
#include "link/TComPort.h"

namespace cli {

namespace {
using Handler = int (*)(const Args&, const Io&);

Handler handlerFor(const QString& name) {
    static const QHash<QString, Handler> table = {
        {QStringLiteral("ports"), cmdPorts},
        {QStringLiteral("live"), cmdLive},
        {QStringLiteral("download"), cmdDownload},
        {QStringLiteral("sets"), cmdSets},
        {QStringLiteral("export"), cmdExport},
        {QStringLiteral("recall"), cmdRecall},
        {QStringLiteral("info"), cmdInfo},
        {QStringLiteral("set-clock"), cmdSetClock},
        {QStringLiteral("set-interval"), cmdSetInterval},
        {QStringLiteral("erase"), cmdErase},
        {QStringLiteral("stats"), cmdStats},
        {QStringLiteral("convert"), cmdConvert},
    };
    return table.value(name);
}
}  // namespace

int run(const QStringList& argv, const Io& io) {
    if (!argv.isEmpty() &&
        (argv.front() == QLatin1String("--help") || argv.front() == QLatin1String("-h") ||
         argv.front() == QLatin1String("help"))) {
        io.out(overviewHelp().toUtf8());
        return kExitOk;
    }
    if (argv.isEmpty()) {
        io.message(QStringLiteral("sonodesk-cli: no command given (try --help)"));
        return kExitUsage;
    }
    if (argv.front() == QLatin1String("--version")) {
        io.out("sonodesk-cli " SONODESK_VERSION "\n");
        return kExitOk;
    }
    if (argv.front() == QLatin1String("--man")) {
        io.out(manPage());
        return kExitOk;
    }
    QString error;
    const auto args = parseArgs(argv, &error);
    if (!args) {
        io.message(QStringLiteral("sonodesk-cli: ") + error);
        return kExitUsage;
    }
    if (args->has("help")) {
        io.out(commandHelp(*args->command).toUtf8());
        return kExitOk;
    }
    if (args->has("port") && args->has("demo")) {
        io.message(QStringLiteral("sonodesk-cli: give --port or --demo, not both"));
        return kExitUsage;
    }
    try {
        return handlerFor(QLatin1String(args->command->name))(*args, io);
    } catch (const Failure& f) {
        io.message(QStringLiteral("sonodesk-cli %1: %2")
                       .arg(QLatin1String(args->command->name), f.message));
        return f.code;
    } catch (const EAbort&) {
        io.message(QStringLiteral("sonodesk-cli %1: the line to the meter failed")
                       .arg(QLatin1String(args->command->name)));
        return kExitMeter;
    } catch (const EComError& e) {
        io.message(QStringLiteral("sonodesk-cli %1: %2")
                       .arg(QLatin1String(args->command->name), QString::fromLocal8Bit(e.what())));
        return kExitMeter;
    }
}

}  // namespace cli
