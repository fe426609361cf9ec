#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// What every harness needs: an application object for Qt's timers and locales, and a file to
// put the input in for the readers that take a path.
namespace fuzz {

inline void ensureApp() {
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "sonodesk-fuzz";
        static char* argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
    }
}

inline QString fileWith(const std::uint8_t* data, std::size_t size, const char* name) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QLatin1String(name));
    FILE* f = std::fopen(path.toLocal8Bit().constData(), "wb");
    if (f) {
        if (size > 0)
            std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return path;
}

inline QByteArray bytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// A broken invariant is a finding: stop here so the fuzzer keeps the input.
inline void require(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace fuzz

// Each harness defines its entry with this; built for libFuzzer it is the fuzzer's entry, built
// into the test suite it is called on the kept cases.
#ifdef SONODESK_LIBFUZZER
#define SONODESK_FUZZ_TARGET(name)                                                      \
    int name(const std::uint8_t* data, std::size_t size);                               \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
        return name(data, size);                                                        \
    }                                                                                   \
    int name(const std::uint8_t* data, std::size_t size)
#else
#define SONODESK_FUZZ_TARGET(name) int name(const std::uint8_t* data, std::size_t size)
#endif
