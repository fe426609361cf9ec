#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <cstdint>

// The harnesses, built without libFuzzer, on their seed corpora and on every input a fuzzer
// ever crashed on (fuzz/regressions/<harness>/).
int fuzzLiveFrames(const std::uint8_t*, std::size_t);
int fuzzGraphState(const std::uint8_t*, std::size_t);
int fuzzTextImport(const std::uint8_t*, std::size_t);
int fuzzMemoryImage(const std::uint8_t*, std::size_t);
int fuzzBlockTransfer(const std::uint8_t*, std::size_t);
int fuzzCollectionFile(const std::uint8_t*, std::size_t);
int fuzzCaptureFile(const std::uint8_t*, std::size_t);
int fuzzJournal(const std::uint8_t*, std::size_t);
int fuzzCliStats(const std::uint8_t*, std::size_t);

namespace {
int runAll(const char* harness, int (*f)(const std::uint8_t*, std::size_t)) {
    int cases = 0;
    for (const char* kind : {"corpus", "regressions"}) {
        const QDir dir(QStringLiteral(SONODESK_FUZZ_DIR "/%1/%2")
                           .arg(QLatin1String(kind), QLatin1String(harness)));
        for (const QString& name : dir.entryList(QDir::Files)) {
            QFile file(dir.filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray bytes = file.readAll();
            SCOPED_TRACE(name.toStdString());
            f(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
              static_cast<std::size_t>(bytes.size()));
            ++cases;
        }
    }
    // The empty input and a few bytes, whatever the corpora hold.
    for (const QByteArray& b : {QByteArray(), QByteArray("\x02", 1), QByteArray(64, '\xFF')})
        f(reinterpret_cast<const std::uint8_t*>(b.constData()), static_cast<std::size_t>(b.size()));
    return cases;
}
}  // namespace

TEST(FuzzCases, EveryHarnessOnItsKeptInputs) {
    const struct {
        const char* name;
        int (*f)(const std::uint8_t*, std::size_t);
    } harnesses[] = {
        {"live_frames", fuzzLiveFrames},       {"graph_state", fuzzGraphState},
        {"text_import", fuzzTextImport},       {"memory_image", fuzzMemoryImage},
        {"block_transfer", fuzzBlockTransfer}, {"collection_file", fuzzCollectionFile},
        {"capture_file", fuzzCaptureFile},     {"journal", fuzzJournal},
        {"cli_stats", fuzzCliStats},
    };
    for (const auto& h : harnesses) {
        SCOPED_TRACE(h.name);
        EXPECT_GE(runAll(h.name, h.f), 1) << "no seed corpus";
    }
}
