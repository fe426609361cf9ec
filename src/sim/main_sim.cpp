#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>

#include <cstdio>

#include "sim/MeterEmulator.h"
#include "sim/PtyServer.h"

// sonodesk-meter-sim: the simulated NX410 on a pseudo-terminal or a serial device, so that the
// real serial path can be exercised without a meter.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sonodesk-meter-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SONODESK_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Serves a simulated NX410 sound level meter on a new pseudo-terminal (its path is printed) "
        "or on a serial device."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption device(QStringLiteral("device"),
                                    QStringLiteral("Serve on this serial device instead of a pty."),
                                    QStringLiteral("PATH"));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Write every frame received to FILE."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption noise(QStringLiteral("noise"),
                                   QStringLiteral("Noise between frames."));
    const QCommandLineOption bad(QStringLiteral("bad-checksum"),
                                 QStringLiteral("Every N-th frame with a bad checksum."),
                                 QStringLiteral("N"));
    const QCommandLineOption noEcho(QStringLiteral("no-echo"),
                                    QStringLiteral("Do not echo command frames."));
    const QCommandLineOption slow(QStringLiteral("slow"),
                                  QStringLiteral("Answer commands MS milliseconds late."),
                                  QStringLiteral("MS"));
    const QCommandLineOption silence(
        QStringLiteral("silence"),
        QStringLiteral("Pull the cable after START seconds for LENGTH seconds."),
        QStringLiteral("START:LENGTH"));
    const QCommandLineOption seconds(QStringLiteral("seconds"),
                                     QStringLiteral("Stop after this many seconds."),
                                     QStringLiteral("S"));
    const QCommandLineOption demoData(
        QStringLiteral("demo-data"), QStringLiteral("Start with recorded data sets and readings."));
    const QCommandLineOption memory(
        QStringLiteral("memory"),
        QStringLiteral("Start with the logger memory of FILE (a memory image, e.g. a .rec file)."),
        QStringLiteral("FILE"));
    const QCommandLineOption badBlock(
        QStringLiteral("bad-block"),
        QStringLiteral("Send every N-th logger block with a wrong checksum."), QStringLiteral("N"));
    const QCommandLineOption cutBlock(QStringLiteral("cut-block"),
                                      QStringLiteral("Send logger block K short, once."),
                                      QStringLiteral("K"));
    const QCommandLineOption extraBlock(
        QStringLiteral("extra-block"),
        QStringLiteral("After logger block K send the next one unasked."), QStringLiteral("K"));
    const QCommandLineOption stopBlocks(QStringLiteral("stop-after-blocks"),
                                        QStringLiteral("Go quiet after sending N logger blocks."),
                                        QStringLiteral("N"));
    const QCommandLineOption cutOff(
        QStringLiteral("cut-off-last-set"),
        QStringLiteral("Damage the last data set as an interrupted recording leaves it."));
    const QCommandLineOption speed(
        QStringLiteral("speed"),
        QStringLiteral("Run the meter's time and the line N times faster (soak tests)."),
        QStringLiteral("N"));
    const QCommandLineOption setCount(
        QStringLiteral("set-count"),
        QStringLiteral("Write N as the header's data set count, whatever the sets."),
        QStringLiteral("N"));
    for (const auto& o : {device, log, noise, bad, noEcho, slow, silence, seconds, demoData, memory,
                          badBlock, cutBlock, extraBlock, stopBlocks, cutOff, setCount, speed})
        parser.addOption(o);
    parser.process(app);

    MeterEmulator meter(QDateTime::currentDateTime(),
                        static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch()));
    meter.faults.noise = parser.isSet(noise);
    meter.faults.badChecksumEvery = parser.value(bad).toInt();
    meter.faults.noEcho = parser.isSet(noEcho);
    meter.faults.answerDelayMs = parser.value(slow).toInt();
    if (parser.isSet(demoData))
        meter.seedDemoData();
    if (parser.isSet(memory)) {
        QFile file(parser.value(memory));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "sonodesk-meter-sim: cannot read %s\n",
                         qPrintable(parser.value(memory)));
            return 1;
        }
        meter.memory().load(file.read(LoggerMemory::kSize));
    }
    const auto number = [&parser](const QCommandLineOption& o, int fallback) {
        bool ok = false;
        const int v = parser.value(o).toInt(&ok);
        return parser.isSet(o) && ok ? v : fallback;
    };
    meter.faults.badBlockEvery = number(badBlock, 0);
    meter.faults.cutBlock = number(cutBlock, -1);
    meter.faults.extraBlockAfter = number(extraBlock, -1);
    meter.faults.stopAfterBlocks = number(stopBlocks, -1);
    if (parser.isSet(cutOff))
        meter.memory().cutOffLastSet();
    if (parser.isSet(setCount))
        meter.memory().setSetCount(number(setCount, 0));

    PtyServer server(meter);
    const bool ok =
        parser.isSet(device) ? server.openDevice(parser.value(device)) : server.openPty();
    if (!ok) {
        std::fprintf(stderr, "sonodesk-meter-sim: %s\n", qPrintable(server.error()));
        return 1;
    }
    std::FILE* logFile = nullptr;
    if (parser.isSet(log)) {
        logFile = std::fopen(parser.value(log).toLocal8Bit().constData(), "w");
        if (!logFile) {
            std::fprintf(stderr, "sonodesk-meter-sim: cannot write %s\n",
                         qPrintable(parser.value(log)));
            return 1;
        }
        server.setLog(logFile);
    }
    server.setSpeed(number(speed, 1));
    std::printf("%s\n", qPrintable(server.slavePath()));
    std::fflush(stdout);

    qint64 silentFrom = -1, silentFor = 0;
    if (parser.isSet(silence)) {
        const QStringList parts = parser.value(silence).split(QLatin1Char(':'));
        silentFrom = parts.value(0).toLongLong() * 1000;
        silentFor = parts.value(1).toLongLong() * 1000;
    }
    const qint64 stopAfter = parser.isSet(seconds) ? parser.value(seconds).toLongLong() * 1000 : -1;
    server.run(stopAfter, silentFrom, silentFor);
    std::fprintf(stderr, "sonodesk-meter-sim: %d frames sent, %llu frames received\n",
                 meter.framesSent(), static_cast<unsigned long long>(meter.framesReceived()));
    if (logFile)
        std::fclose(logFile);
    return 0;
}
