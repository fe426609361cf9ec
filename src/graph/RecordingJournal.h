#pragma once

#include <QLockFile>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "core/TDateTime.h"

// The journal of a real-time recording: every sample goes to a file in the data folder the
// moment it is taken, so that a crash, a killed process or a power cut loses at most the last
// few seconds. A thread of its own syncs the file to the disk every few seconds, so the
// recording never waits for the disk. Records are fixed-size and carry their own check: a
// record torn by the crash is dropped, never misread.
class RecordingJournal {
public:
    struct Header {
        TDateTime start = 0;
        float rate = 0;    // seconds between samples
        int capacity = 0;  // the samples the recording was set up for
    };
    struct Sample {
        int index = 0;
        TDateTime time = 0;
        float level = 0;
    };
    struct Contents {
        Header header;
        std::vector<Sample> samples;
        bool tornTail = false;  // bytes after the last whole record were dropped
    };

    static constexpr int kHeaderBytes = 28;
    static constexpr int kRecordBytes = 20;
    static constexpr int kSyncMs = 3000;

    // The folder of the journals: "journal" in the application data folder.
    static QString folder();
    // Starts the journal of a new recording; nothing, and why, when the file cannot be made.
    static std::unique_ptr<RecordingJournal> create(const Header& header, QString* error = nullptr);
    // Takes charge of a journal left behind (recovered into a window): it is removed like one
    // of this run's.
    static std::unique_ptr<RecordingJournal> adopt(const QString& path);
    // The journals that no running program is writing.
    static QStringList leftBehind();
    // What a journal holds; nothing when it has no whole header.
    static std::optional<Contents> read(const QString& path);

    // Closes the journal and removes it: the recording is saved, or the user let it go.
    ~RecordingJournal();
    RecordingJournal(const RecordingJournal&) = delete;
    RecordingJournal& operator=(const RecordingJournal&) = delete;

    // Hands one sample to the system at once; false when the write failed (the disk is full).
    bool append(int index, TDateTime time, float level);
    QString path() const { return path_; }
    // Ends the journal without removing it, as a crash would; for tests.
    void abandon();

private:
    RecordingJournal(QString path, std::unique_ptr<QLockFile> lock, int fd);
    void syncLoop();
    void stopSyncing();

    QString path_;
    std::unique_ptr<QLockFile> lock_;
    int fd_ = -1;
    std::atomic<bool> dirty_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread syncer_;
};
