#include <QCoreApplication>
#include <QStandardPaths>

#include <cstdio>
#include <thread>

#include "graph/RecordingJournal.h"

// A recording that never ends, for the test that kills it: journal_child APPNAME writes a sample
// every millisecond into the journal of APPNAME's data folder and prints the index of each
// sample once append() has returned.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 1;
    QCoreApplication::setApplicationName(QString::fromLocal8Bit(argv[1]));
    QStandardPaths::setTestModeEnabled(true);
    auto journal = RecordingJournal::create({46366.25, 0.1f, 1000000});
    if (!journal)
        return 2;
    for (int i = 0;; ++i) {
        journal->append(i, 46366.25 + i / 864000.0, 40.0f + static_cast<float>(i % 700) / 10.0f);
        std::printf("%d\n", i);
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}
