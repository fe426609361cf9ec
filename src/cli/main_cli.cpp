#include <QCoreApplication>

#include <csignal>
#include <cstdio>

#include "cli/CliCommands.h"

// sonodesk-cli: the meter and its files from scripts and servers. No display is needed.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The same data folder as the application: the user's graph template applies to conversions.
    QCoreApplication::setApplicationName(QStringLiteral("SonoDesk"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SONODESK_VERSION));
    std::signal(SIGINT, [](int) { cli::requestStop(); });
    std::signal(SIGTERM, [](int) { cli::requestStop(); });
    const auto write = [](std::FILE* f) {
        return [f](QByteArrayView b) {
            std::fwrite(b.data(), 1, static_cast<std::size_t>(b.size()), f);
            std::fflush(f);
        };
    };
    const cli::Io io{write(stdout), write(stderr)};
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return cli::run(args, io);
}
