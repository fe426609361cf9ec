// Writes the seed corpora of the fuzz harnesses with the program's own writers:
//   fuzz_make_seeds DIR   ->   DIR/<harness>/seed-*
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "../tests/logger/ImageBuilder.h"
#include "FuzzSupport.h"
#include "files/CaptureFile.h"
#include "files/DateTimeText.h"
#include "files/TextFiles.h"
#include "graph/GraphDocument.h"
#include "graph/RecordingJournal.h"
#include "logger/CollectionFile.h"
#include "logger/MemoryImageParser.h"
#include "sim/MeterEmulator.h"

namespace {
QString root;

void seed(const char* harness, const char* name, const QByteArray& bytes) {
    QDir().mkpath(root + QLatin1Char('/') + QLatin1String(harness));
    QFile f(root + QLatin1Char('/') + QLatin1String(harness) + QStringLiteral("/seed-") +
            QLatin1String(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray frame(char letter, const QByteArray& args = QByteArray()) {
    QByteArray f(8, '\0');
    f[0] = 0x02;
    f[1] = letter;
    f.replace(2, args.size(), args);
    f[7] = 0x03;
    return f;
}
}  // namespace

int main(int argc, char** argv) {
    fuzz::ensureApp();
    root = QString::fromLocal8Bit(argc > 1 ? argv[1] : "corpus");
    QTemporaryDir tmp;

    // The live stream of the simulated meter, connected and not.
    MeterEmulator meter(QDateTime(QDate(2026, 12, 10), QTime(10, 0)), 1);
    meter.hostWrite(frame('a'), 0);
    meter.advanceTo(3000);
    const QByteArray stream = meter.read(1 << 20);
    seed("live_frames", "connected", QByteArray("\x01\x00", 2) + stream);
    seed("live_frames", "handshake",
         QByteArray("\x00\x05", 2) + stream.left(19) + "410\r" + stream.mid(19));

    // A graph with annotations and cursor lines, and its text and CSV.
    GraphDocument g;
    g.setPoints(5);
    for (int i = 0; i < 5; ++i) {
        g.setX(0, i, 46366.25 + i / 86400.0);
        g.setY(0, i, i == 2 ? kNullLevel : 55.0f + i);
    }
    g.annotations[5] = {46366.25, 70, AnnotationType::Cross, QString(), PEargb(255, 255, 0, 0)};
    g.annotations[6] = {46366.26, 80, AnnotationType::Text, QStringLiteral("door"), 0};
    g.vertLines[0] = {46366.25, QStringLiteral("|t6:00:00\n55.0dB")};
    seed("graph_state", "graph", g.saveState());
    for (char sep : {'\t', ','}) {
        const QString path = tmp.filePath(QStringLiteral("g.txt"));
        exportGraphText(g, path, sep, {1, 5}, nullptr);
        seed("text_import", sep == ',' ? "csv" : "txt", readFile(path));
    }
    seed("text_import", "comma-locale", "10.12.26\t06:00:00\t55,0\r\n10.12.26\t06:00:01\t56,5\r\n");

    // Logger memory images, collection files and a transfer script.
    ImageBuilder b;
    b.add(12);
    ImageBuilder::Set s;
    s.tenths = {655, 0x5AA5, 1500};
    s.minutes = 0x01;
    s.seconds = 0x00;
    b.add(s);
    const QByteArray image = b.finish();
    seed("memory_image", "two-sets", image);
    const QString rec = tmp.filePath(QStringLiteral("i.rec"));
    logger::writeImageFile(rec, image, logger::imageLastAddress(image));
    seed("collection_file", "two-sets", readFile(rec));

    // The download of a 256-byte memory as the meter answers it, one answer per write.
    QByteArray memory = image.left(256).leftJustified(256, '\0');
    memory[11] = 0;
    memory[12] = 0;
    memory[13] = static_cast<char>(255);
    QByteArray script;
    const auto answer = [&script](const QByteArray& a) {
        script.append(static_cast<char>(a.size()));
        script.append(a);
    };
    answer(QByteArray());  // 'c'
    for (int address : {11, 12, 13}) {
        const QByteArray r = frame('r', QByteArray("E\0\0", 3) + char(address) + '\0');
        answer(r + memory[address]);
    }
    const auto block = [&memory](int k) {
        QByteArray b = memory.mid(k * 64, 64);
        unsigned sum = 0;
        for (char c : b)
            sum += static_cast<std::uint8_t>(c);
        return b + static_cast<char>(sum & 0xFF);
    };
    answer(frame('P', QByteArray("E\0\0\x0D\0", 5)) + block(0));
    for (int k = 1; k < 4; ++k)
        answer(block(k));
    seed("block_transfer", "256-bytes", script);

    const QString cap = tmp.filePath(QStringLiteral("c.CAP"));
    writeCaptureFile(cap, {{"72.5", "12/10/26", "9:30:00 AM", "dBA", "FAST"},
                           {"----", "12/10/26", "9:31:00 AM", "dBC", "SLOW"}});
    seed("capture_file", "two-readings", readFile(cap));

    // A journal of ten samples, whole and torn, as a crash leaves it.
    QStandardPaths::setTestModeEnabled(true);
    if (auto j = RecordingJournal::create({46366.25, 0.5f, 100})) {
        for (int i = 0; i < 10; ++i)
            j->append(i, 46366.25 + i * 0.5 / 86400.0, 50.0f + static_cast<float>(i));
        const QByteArray whole = readFile(j->path());
        seed("journal", "ten-samples", whole);
        seed("journal", "torn", whole.left(whole.size() - 7));
    }

    // A table as the application writes it, in the locale the harness runs under.
    TextLineFormatter text;
    QByteArray table;
    for (int i = 0; i < 20; ++i) {
        text.appendPointLine(table, 46366.25 + i / 86400.0, 55.0f + static_cast<float>(i % 7), ',');
        table += "\r\n";
    }
    seed("cli_stats", "twenty-rows", table + "end\r\n");
    return 0;
}
