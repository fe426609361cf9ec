#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QFileInfo>
#include <QScreen>

#include <cstdio>
#include <memory>

#include "app/QtDialogs.h"
#include "app/Uabout.h"
#include "app/Umain.h"
#include "core/Clock.h"
#include "core/Dialogs.h"
#include "core/Guard.h"
#include "sim/MeterEmulator.h"

namespace {
// The one place where exceptions leave an event handler: a silent abort ends the handler quietly,
// anything else is shown in the standard error box.
class SonoDeskApplication final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const EAbort&) {
        } catch (const std::exception& e) {
            Dialogs::instance().error(QString::fromLocal8Bit(e.what()));
        }
        return false;
    }
};
}  // namespace

int main(int argc, char** argv) {
    SonoDeskApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("SonoDesk"));
    QApplication::setApplicationDisplayName(QStringLiteral("NX410"));
    QApplication::setApplicationVersion(QStringLiteral(SONODESK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("SonoDesk: the desktop application of the NX410 sound level meter."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Adds a serial device to the port list, ahead of the system's ports "
                       "(repeatable; for adapters the system does not list and virtual pairs)."),
        QStringLiteral("PATH"));
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Lists the built-in simulated meter first, so SonoDesk runs without one."));
    const QCommandLineOption service(
        QStringLiteral("service"),
        QStringLiteral("Shows the factory functions: the setup window's full sequence and the "
                       "calibration dialog (for the service bench)."));
    parser.addOption(port);
    parser.addOption(demo);
    parser.addOption(service);
    parser.addPositionalArgument(
        QStringLiteral("files"),
        QStringLiteral("Graph (.ghf), table (.txt, .csv), collection (.rec) or capture (.CAP) "
                       "files to open, each in its own window."),
        QStringLiteral("[FILE...]"));
    parser.process(app);

    auto* dialogs = new QtDialogs;
    Dialogs::install(std::unique_ptr<Dialogs>(dialogs));

    RealClock clock;
    std::unique_ptr<MeterEmulator> sim;
    MainOptions options;
    options.extraPorts = parser.values(port);
    options.service = parser.isSet(service);
    if (parser.isSet(demo)) {
        sim = std::make_unique<MeterEmulator>(
            QDateTime::currentDateTime(),
            static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch()));
        sim->seedDemoData();
        options.simMeter = sim.get();
    }

    auto* splash = new TfrmAbout;
    splash->showAsSplash();

    TfrmMain main(clock, options);
    dialogs->setParent(&main);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        main.setGeometry(screen->availableGeometry());
    main.showMaximized();
    main.FormShow(splash);
    for (const QString& file : parser.positionalArguments())
        main.openFile(QFileInfo(file).absoluteFilePath());
    return QApplication::exec();
}
