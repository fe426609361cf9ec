#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <QTimer>

#include <set>

#include "../logger/ImageBuilder.h"
#include "MainFixture.h"
#include "Modal.h"
#include "PluggableDevice.h"
#include "graph/PESGraph.h"
#include "graph/Ugraph.h"
#include "link/SimDevice.h"
#include "panel/Upanel.h"

// Every way the line can fail, on the in-process meter and virtual time, while a real-time
// recording runs. Each row ends with the live link back ("On Connection"), nothing hung, the user
// told in words (the status bar or a message), and nothing lost: the recording keeps every sample
// it had and goes on when frames return.
namespace {

class FaultMatrix : public MainFixture {
public:
    // The rows below reach these through a reference.
    using MainFixture::clock;
    using MainFixture::main;
    using MainFixture::meter;

    struct Row {
        const char* name;
        std::function<void(FaultMatrix&)> act;  // the fault and what the user does meanwhile
        std::function<void(FaultMatrix&)> heal;
        const char* told;  // a status text or a message that must have been shown
    };

    void begin() {
        meter.faults = {};
        meter.setSilent(false);
        meter.setLevelTenths(-1);
        unplugged = false;
        heldOpens = 0;
        opens = 0;
        meter.memory().erase();
        ImageBuilder b;
        b.add(200);
        meter.memory().load(b.finish());
        start(true);
        seen.clear();
        clock.advance(1500);
        ASSERT_TRUE(appState().Connected);
        whenModal([](QWidget* w) {
            auto* n = child<QLineEdit>(w, "edtRealTimeNo");
            n->setText(QStringLiteral("100000"));
            emit n->textEdited(n->text());
            child<QComboBox>(w, "txtRate")->setCurrentText(QStringLiteral("0.5"));
            child<QPushButton>(w, "btnStart")->click();
        });
        main->btnRunClick();
        ASSERT_TRUE(appState().RealTimeRunning);
        clock.advance(3000);
        ASSERT_GT(appState().SampleCount, 3);
    }
    // Advances, noting every status text shown on the way.
    void during(qint64 ms) {
        for (qint64 t = 0; t < ms; t += 100) {
            clock.advance(100);
            seen.insert(main->statusText(1));
        }
    }
    const GraphDocument& doc() const { return appState().RealTimeGraphWindow->chart()->doc(); }

    void SetUpOptions(MainOptions& o) override {
        o.openDevice = [this](const QString& name) -> std::unique_ptr<ComDevice> {
            ++opens;
            if (heldOpens > 0) {
                --heldOpens;
                throw EComError(16, QStringLiteral("Device or resource busy"));
            }
            if (unplugged)
                throw EComError(2, QStringLiteral("No such file or directory"));
            Q_UNUSED(name);
            return std::make_unique<PluggableDevice>(openSimDevice(meter, clock), unplugged);
        };
    }

    bool unplugged = false;
    int heldOpens = 0;
    int opens = 0;
    std::set<QString> seen;
};

}  // namespace

TEST_F(FaultMatrix, EveryRowEndsOnTheLiveLinkWithNothingLost) {
    const auto load = [](FaultMatrix& f) { f.main->LoadData1Click(); };
    const Row rows[] = {
        {"noise between frames",
         [](FaultMatrix& f) {
             f.meter.faults.noise = true;
             f.during(5000);
         },
         nullptr, "On Connection"},
        {"bad checksums every 3rd frame",
         [](FaultMatrix& f) {
             f.meter.faults.badChecksumEvery = 3;
             f.during(5000);
         },
         nullptr, "On Connection"},
        {"a missing echo",
         [](FaultMatrix& f) {
             f.meter.faults.noEcho = true;
             appState().PanelWindow->sendKey('F');
             f.during(2000);
         },
         nullptr, "On Connection"},
        {"slow answers",
         [](FaultMatrix& f) {
             f.meter.faults.answerDelayMs = 150;
             appState().PanelWindow->sendKey('C');
             f.during(3000);
         },
         nullptr, "On Connection"},
        {"silence and its end",
         [](FaultMatrix& f) {
             f.meter.setSilent(true);
             f.during(6000);
         },
         [](FaultMatrix& f) { f.meter.setSilent(false); }, "No Connection"},
        {"the device failing mid-frame",
         [](FaultMatrix& f) {
             f.clock.advance(130);
             f.unplugged = true;
             f.during(4000);
         },
         [](FaultMatrix& f) { f.unplugged = false; }, "Device Gone"},
        {"the device failing during a key press",
         [](FaultMatrix& f) {
             f.unplugged = true;
             appState().PanelWindow->sendKey('F');
             f.during(4000);
         },
         [](FaultMatrix& f) { f.unplugged = false; }, "Device Gone"},
        {"the port vanishing from the list and coming back",
         [](FaultMatrix& f) {
             f.unplugged = true;
             f.during(8000);
         },
         [](FaultMatrix& f) { f.unplugged = false; }, "Device Gone"},
        {"'K' answered by another model",
         [](FaultMatrix& f) {
             f.meter.faults.modelAnswer = QByteArray("880\r");
             f.meter.setSilent(true);
             f.during(4500);
             f.meter.setSilent(false);
             f.during(3000);
         },
         nullptr, "No Connection"},
        {"frames faster than expected",
         [](FaultMatrix& f) {
             f.meter.faults.framePeriodMs = 40;
             f.during(4000);
         },
         nullptr, "On Connection"},
        {"the wall clock jumping",
         [](FaultMatrix& f) {
             f.clock.shiftWallClock(-3'600'000);
             f.during(3000);
             f.clock.shiftWallClock(86'400'000);
             f.meter.setSilent(true);
             f.during(4500);
         },
         [](FaultMatrix& f) { f.meter.setSilent(false); }, "No Connection"},
        {"logger: a partial block",
         [&load](FaultMatrix& f) {
             f.meter.faults.cutBlock = 5;
             load(f);
         },
         nullptr, ""},
        {"logger: an extra block",
         [&load](FaultMatrix& f) {
             f.meter.faults.extraBlockAfter = 2;
             load(f);
         },
         nullptr, ""},
        {"logger: the meter stopping mid-transfer",
         [&load](FaultMatrix& f) {
             f.meter.faults.stopAfterBlocks = 3;
             load(f);
         },
         nullptr, "There was error when reading data from meter"},
        {"logger: a damaged set",
         [&load](FaultMatrix& f) {
             f.meter.memory().cutOffLastSet();
             load(f);
         },
         nullptr, "Data error !"},
        {"logger: the device failing mid-download",
         [&load](FaultMatrix& f) {
             QTimer::singleShot(0, [&f] { f.unplugged = true; });
             load(f);
             f.during(3000);
         },
         [](FaultMatrix& f) { f.unplugged = false; }, "There was error when reading data"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        begin();
        if (HasFatalFailure())
            return;
        const int before = appState().SampleCount;
        std::vector<float> levels;
        for (int i = 0; i < before; ++i)
            levels.push_back(doc().y(i));
        const qint64 start = clock.msecs();
        row.act(*this);
        if (row.heal)
            row.heal(*this);
        // Back on the live link by itself, in a bounded time.
        EXPECT_TRUE(clock.advanceUntil(
            [this] {
                return appState().Connected &&
                       main->statusText(1) == QLatin1String("On Connection");
            },
            15'000, 100));
        EXPECT_LT(clock.msecs() - start, 60'000);
        // Told in words.
        if (*row.told) {
            const bool inStatus = seen.count(QString::fromUtf8(row.told)) > 0;
            bool inMessage = false;
            for (const QString& m : dialogs->shown)
                inMessage = inMessage || m.startsWith(QString::fromUtf8(row.told));
            EXPECT_TRUE(inStatus || inMessage)
                << "shown: " << dialogs->shown.join(QLatin1Char('|')).toStdString();
        }
        // Nothing lost, and the recording goes on.
        ASSERT_TRUE(appState().RealTimeRunning);
        ASSERT_GE(appState().SampleCount, before);
        for (int i = 0; i < before; ++i)
            ASSERT_EQ(doc().y(i), levels[static_cast<std::size_t>(i)]) << i;
        const int now = appState().SampleCount;
        clock.advance(3000);
        EXPECT_GT(appState().SampleCount, now + 3);
        main.reset();
    }
}

TEST_F(FaultMatrix, APortHeldByAnotherProgramAtStartUpIsTakenWhenItIsFree) {
    // The first opens fail as a port another program holds; the link comes when it lets go.
    heldOpens = 3;
    start(true);
    EXPECT_FALSE(appState().Connected);
    during(2000);
    EXPECT_TRUE(seen.count(QStringLiteral("Off Connection")) ||
                seen.count(QStringLiteral("Device Gone")));
    EXPECT_TRUE(clock.advanceUntil(
        [this] {
            return appState().Connected && main->statusText(1) == QLatin1String("On Connection");
        },
        15'000, 100));
    EXPECT_GT(opens, 3);
}
