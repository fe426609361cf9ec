#include "graph/RecordingJournal.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

constexpr char kMagic[4] = {'S', 'D', 'J', '1'};

quint32 fnv1a(const char* p, int n) {
    quint32 h = 2166136261u;
    for (int i = 0; i < n; ++i) {
        h ^= static_cast<unsigned char>(p[i]);
        h *= 16777619u;
    }
    return h;
}

template <typename T>
void put(char*& p, T v) {
    qToLittleEndian(v, p);
    p += sizeof(T);
}
template <typename T>
T take(const char*& p) {
    const T v = qFromLittleEndian<T>(p);
    p += sizeof(T);
    return v;
}
void putDouble(char*& p, double v) {
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    put(p, bits);
}
double takeDouble(const char*& p) {
    const quint64 bits = take<quint64>(p);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}
void putFloat(char*& p, float v) {
    quint32 bits;
    std::memcpy(&bits, &v, sizeof bits);
    put(p, bits);
}
float takeFloat(const char*& p) {
    const quint32 bits = take<quint32>(p);
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

bool writeAllBytes(int fd, const char* p, int n) {
    while (n > 0) {
#ifdef Q_OS_WIN
        const int w = ::_write(fd, p, static_cast<unsigned>(n));
#else
        const auto w = ::write(fd, p, static_cast<size_t>(n));
#endif
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += w;
        n -= static_cast<int>(w);
    }
    return true;
}

void syncFile(int fd) {
#ifdef Q_OS_WIN
    ::_commit(fd);
#elif defined(Q_OS_MACOS)
    ::fsync(fd);
#else
    ::fdatasync(fd);
#endif
}

void closeFile(int fd) {
#ifdef Q_OS_WIN
    ::_close(fd);
#else
    ::close(fd);
#endif
}

QString lockPathFor(const QString& path) {
    return path + QStringLiteral(".lock");
}

}  // namespace

QString RecordingJournal::folder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/journal");
}

RecordingJournal::RecordingJournal(QString path, std::unique_ptr<QLockFile> lock, int fd)
    : path_(std::move(path)), lock_(std::move(lock)), fd_(fd) {
    if (fd_ >= 0)
        syncer_ = std::thread([this] { syncLoop(); });
}

std::unique_ptr<RecordingJournal> RecordingJournal::create(const Header& h, QString* error) {
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return nullptr;
    };
    const QString dir = folder();
    if (!QDir().mkpath(dir))
        return fail(
            QStringLiteral("Cannot create the folder %1").arg(QDir::toNativeSeparators(dir)));
    // One file per recording: a name no other recording of this or another run has.
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmsszzz"));
    QString path;
    auto lock = std::unique_ptr<QLockFile>();
    for (int k = 0; k < 100; ++k) {
        path = QStringLiteral("%1/recording-%2-%3.sdj").arg(dir, stamp).arg(k);
        if (QFileInfo::exists(path))
            continue;
        lock = std::make_unique<QLockFile>(lockPathFor(path));
        lock->setStaleLockTime(0);
        if (lock->tryLock(0))
            break;
        lock.reset();
    }
    if (!lock)
        return fail(
            QStringLiteral("Cannot lock a journal in %1").arg(QDir::toNativeSeparators(dir)));
    const QByteArray native = QFile::encodeName(path);
#ifdef Q_OS_WIN
    const int fd = ::_open(native.constData(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, 0600);
#else
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
#endif
    if (fd < 0)
        return fail(
            QStringLiteral("Cannot create %1: %2")
                .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(errno))));
    char buf[kHeaderBytes];
    char* p = buf;
    std::memcpy(p, kMagic, 4);
    p += 4;
    put<quint32>(p, 1);
    putDouble(p, h.start);
    putFloat(p, h.rate);
    put<qint32>(p, h.capacity);
    put<quint32>(p, fnv1a(buf, kHeaderBytes - 4));
    if (!writeAllBytes(fd, buf, kHeaderBytes)) {
        closeFile(fd);
        QFile::remove(path);
        return fail(QStringLiteral("Cannot write %1").arg(QDir::toNativeSeparators(path)));
    }
    syncFile(fd);
    return std::unique_ptr<RecordingJournal>(new RecordingJournal(path, std::move(lock), fd));
}

std::unique_ptr<RecordingJournal> RecordingJournal::adopt(const QString& path) {
    auto lock = std::make_unique<QLockFile>(lockPathFor(path));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return std::unique_ptr<RecordingJournal>(new RecordingJournal(path, std::move(lock), -1));
}

QStringList RecordingJournal::leftBehind() {
    QStringList out;
    const QDir dir(folder());
    for (const QString& name : dir.entryList({QStringLiteral("*.sdj")}, QDir::Files, QDir::Name)) {
        const QString path = dir.filePath(name);
        QLockFile lock(lockPathFor(path));
        lock.setStaleLockTime(0);
        // Held: a running program records into it. Free (or left by a dead process): ours.
        if (lock.tryLock(0)) {
            lock.unlock();
            out << path;
        }
    }
    return out;
}

std::optional<RecordingJournal::Contents> RecordingJournal::read(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    // A recording of weeks at ten samples a second stays far below this.
    constexpr qint64 kMaxBytes = qint64(1) << 31;
    // Asked for no more than the file holds: read() sets aside room for all it is asked for.
    const QByteArray bytes = f.read(std::min(f.size(), kMaxBytes));
    if (bytes.size() < kHeaderBytes || std::memcmp(bytes.constData(), kMagic, 4) != 0)
        return std::nullopt;
    const char* p = bytes.constData();
    if (qFromLittleEndian<quint32>(p + kHeaderBytes - 4) != fnv1a(p, kHeaderBytes - 4))
        return std::nullopt;
    p += 4;
    if (take<quint32>(p) != 1)
        return std::nullopt;
    Contents c;
    c.header.start = takeDouble(p);
    c.header.rate = takeFloat(p);
    c.header.capacity = take<qint32>(p);
    qsizetype at = kHeaderBytes;
    for (; at + kRecordBytes <= bytes.size(); at += kRecordBytes) {
        const char* r = bytes.constData() + at;
        if (qFromLittleEndian<quint32>(r + kRecordBytes - 4) != fnv1a(r, kRecordBytes - 4))
            break;
        Sample s;
        s.index = take<qint32>(r);
        s.time = takeDouble(r);
        s.level = takeFloat(r);
        c.samples.push_back(s);
    }
    c.tornTail = at < bytes.size();
    return c;
}

bool RecordingJournal::append(int index, TDateTime time, float level) {
    if (fd_ < 0)
        return false;
    char buf[kRecordBytes];
    char* p = buf;
    put<qint32>(p, index);
    putDouble(p, time);
    putFloat(p, level);
    put<quint32>(p, fnv1a(buf, kRecordBytes - 4));
    // Straight to the system: a killed process loses nothing written here.
    const bool ok = writeAllBytes(fd_, buf, kRecordBytes);
    dirty_.store(true, std::memory_order_relaxed);
    return ok;
}

void RecordingJournal::syncLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
        wake_.wait_for(lock, std::chrono::milliseconds(kSyncMs), [this] { return stop_; });
        if (dirty_.exchange(false))
            syncFile(fd_);
    }
}

void RecordingJournal::stopSyncing() {
    if (syncer_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        syncer_.join();
    }
    if (fd_ >= 0) {
        closeFile(fd_);
        fd_ = -1;
    }
}

void RecordingJournal::abandon() {
    stopSyncing();
    lock_.reset();  // the lock file stays, as a dead process leaves it
    path_.clear();
}

RecordingJournal::~RecordingJournal() {
    stopSyncing();
    if (!path_.isEmpty())
        QFile::remove(path_);
    if (lock_)
        lock_->unlock();
}
