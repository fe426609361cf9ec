#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <csignal>

#include "TestFiles.h"
#include "graph/RecordingJournal.h"

namespace {

class Journal : public ::testing::Test {
protected:
    void SetUp() override { QDir(RecordingJournal::folder()).removeRecursively(); }
    void TearDown() override { QDir(RecordingJournal::folder()).removeRecursively(); }
    static float levelOf(int i) { return 40.0f + static_cast<float>(i % 700) / 10.0f; }
    static double timeOf(int i) { return 46366.25 + i / 864000.0; }
};

TEST_F(Journal, SamplesComeBackAndACleanEndLeavesNothing) {
    auto j = RecordingJournal::create({46366.25, 0.5f, 2000});
    ASSERT_TRUE(j);
    const QString path = j->path();
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(j->append(i, timeOf(i), levelOf(i)));
    // Readable while the recording runs, and not offered: a running program holds it.
    const auto live = RecordingJournal::read(path);
    ASSERT_TRUE(live);
    EXPECT_EQ(live->samples.size(), 300u);
    EXPECT_TRUE(RecordingJournal::leftBehind().isEmpty());
    EXPECT_EQ(live->header.start, 46366.25);
    EXPECT_EQ(live->header.rate, 0.5f);
    EXPECT_EQ(live->header.capacity, 2000);
    for (int i = 0; i < 300; ++i) {
        const auto& s = live->samples[static_cast<std::size_t>(i)];
        ASSERT_EQ(s.index, i);
        ASSERT_EQ(s.time, timeOf(i));
        ASSERT_EQ(s.level, levelOf(i));
    }
    j.reset();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(QDir(RecordingJournal::folder()).entryList(QDir::Files).isEmpty());
}

// What a crash leaves: a last record half written, or a record the disk garbled. Everything
// before it comes back; nothing after it is misread.
TEST_F(Journal, ATornOrGarbledRecordEndsTheReading) {
    struct Case {
        const char* name;
        int cutBytes;  // bytes of the last record kept
        int garbleAt;  // record whose level byte is flipped; -1 none
        std::size_t expected;
    };
    const Case cases[] = {
        {"whole", RecordingJournal::kRecordBytes, -1, 10},
        {"torn after one byte", 1, -1, 9},
        {"torn before the check", RecordingJournal::kRecordBytes - 1, -1, 9},
        {"garbled in the middle", RecordingJournal::kRecordBytes, 4, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto j = RecordingJournal::create({46366.25, 1.0f, 100});
        ASSERT_TRUE(j);
        for (int i = 0; i < 10; ++i)
            j->append(i, timeOf(i), levelOf(i));
        const QString path = j->path();
        j->abandon();
        QByteArray bytes = readAll(path);
        bytes.chop(RecordingJournal::kRecordBytes - c.cutBytes);
        if (c.garbleAt >= 0)
            bytes[RecordingJournal::kHeaderBytes + c.garbleAt * RecordingJournal::kRecordBytes +
                  13] ^= 0x40;
        writeAll(path, bytes);
        ASSERT_EQ(RecordingJournal::leftBehind(), QStringList{path});
        const auto r = RecordingJournal::read(path);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->samples.size(), c.expected);
        EXPECT_EQ(r->tornTail, c.expected < 10);
        for (std::size_t i = 0; i < r->samples.size(); ++i)
            EXPECT_EQ(r->samples[i].level, levelOf(static_cast<int>(i)));
        QFile::remove(path);
    }
    // A header that is not one: nothing to recover.
    writeAll(RecordingJournal::folder() + QStringLiteral("/bad.sdj"), "SDJ1 but nothing more");
    EXPECT_FALSE(RecordingJournal::read(RecordingJournal::folder() + QStringLiteral("/bad.sdj")));
}

#ifdef Q_OS_UNIX
// A recording killed with SIGKILL: every sample whose append had returned is in the journal.
TEST_F(Journal, AKilledRecordingKeepsEverySampleWritten) {
    QProcess child;
    child.start(QStringLiteral(SONODESK_JOURNAL_CHILD), {QCoreApplication::applicationName()});
    ASSERT_TRUE(child.waitForStarted(5000));
    int last = -1;
    QByteArray pending;
    while (last < 500 && child.waitForReadyRead(5000)) {
        pending += child.readAllStandardOutput();
        const qsizetype nl = pending.lastIndexOf('\n');
        if (nl < 0)
            continue;
        const QByteArray whole = pending.left(nl);
        pending.remove(0, nl + 1);
        last = whole.split('\n').last().toInt();
    }
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    child.waitForFinished(5000);
    ASSERT_GE(last, 500);
    const QStringList left = RecordingJournal::leftBehind();
    ASSERT_EQ(left.size(), 1);
    const auto r = RecordingJournal::read(left.front());
    ASSERT_TRUE(r);
    ASSERT_GE(r->samples.size(), static_cast<std::size_t>(last + 1));
    for (std::size_t i = 0; i < r->samples.size(); ++i) {
        ASSERT_EQ(r->samples[i].index, static_cast<int>(i));
        ASSERT_EQ(r->samples[i].level, levelOf(static_cast<int>(i)));
    }
}
#endif

}  // namespace
