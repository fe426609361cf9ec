#include "sim/PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "sim/MeterEmulator.h"

namespace {
void makeRaw(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return;
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    t.c_cflag |= CLOCAL | CREAD;
    tcsetattr(fd, TCSANOW, &t);
}
}  // namespace

PtyServer::~PtyServer() {
    if (fd_ >= 0)
        ::close(fd_);
    if (keepSlave_ >= 0)
        ::close(keepSlave_);
}

bool PtyServer::openPty() {
    fd_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0 || grantpt(fd_) != 0 || unlockpt(fd_) != 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    slavePath_ = QString::fromLocal8Bit(ptsname(fd_));
    // Holding the other end open keeps the pair alive while the program closes and reopens it.
    keepSlave_ = ::open(ptsname(fd_), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (keepSlave_ >= 0)
        makeRaw(keepSlave_);
    return true;
}

bool PtyServer::openDevice(const QString& path) {
    fd_ = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    makeRaw(fd_);
    slavePath_ = path;
    return true;
}

void PtyServer::run(qint64 stopAfterMs, qint64 silentFromMs, qint64 silentForMs) {
    QElapsedTimer clock;
    clock.start();
    std::size_t logged = 0;
    char buf[512];
    for (;;) {
        const qint64 now = clock.elapsed() * speed_;
        if (stopAfterMs >= 0 && now >= stopAfterMs)
            return;
        if (silentFromMs >= 0)
            meter_.setSilent(now >= silentFromMs && now < silentFromMs + silentForMs);
        pollfd p{fd_, POLLIN, 0};
        ::poll(&p, 1, 2);
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n > 0)
            meter_.hostWrite(QByteArray(buf, static_cast<int>(n)), clock.elapsed() * speed_);
        const qint64 ready = meter_.available(clock.elapsed() * speed_);
        if (ready > 0) {
            const QByteArray out = meter_.read(ready);
            if (::write(fd_, out.constData(), static_cast<size_t>(out.size())) < 0 &&
                errno != EAGAIN)
                usleep(1000);
        }
        if (log_) {
            // The list drops its oldest entries past its limit; log what is new.
            logged = std::min(logged, meter_.receivedFrames.size());
            for (; logged < meter_.receivedFrames.size(); ++logged)
                std::fprintf(log_, "%lld %s\n", static_cast<long long>(clock.elapsed() * speed_),
                             meter_.receivedFrames[logged].toHex(' ').constData());
            std::fflush(log_);
        }
    }
}
