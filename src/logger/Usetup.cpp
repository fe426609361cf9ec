#include "logger/Usetup.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Dialogs.h"
#include "core/Guard.h"
#include "core/LocaleText.h"
#include "files/Uinfo.h"
#include "link/MeterLink.h"
#include "link/TComPort.h"
#include "logger/SetupCommands.h"

namespace {

// The hourglass for the length of a command.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QLabel* infoLabel(QGridLayout* grid, int row, const char* caption, const char* name) {
    grid->addWidget(new QLabel(QString::fromUtf8(caption)), row, 0);
    auto* value = new QLabel;
    value->setObjectName(QLatin1String(name));
    value->setMinimumWidth(160);
    grid->addWidget(value, row, 1);
    return value;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

}  // namespace

TfrmSetup::TfrmSetup(MeterLink& link, TComPort& comm2, Clock& clock, bool service, QWidget* parent)
    : QWidget(parent), link_(link), comm2_(comm2), clock_(clock) {
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Data Logger Setup"));
    auto* layout = new QVBoxLayout(this);

    Button1 = button(this, "Button1", QStringLiteral("Adjust Meter Time To Computer Time"));
    layout->addWidget(Button1);

    GroupBox1 = new QGroupBox(QStringLiteral("Meter Recording Interval "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* interval = new QHBoxLayout(GroupBox1);
    const auto twoDigits = [this](const char* name, const char* text) {
        auto* e = new QLineEdit(QLatin1String(text), GroupBox1);
        e->setObjectName(QLatin1String(name));
        e->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}")), e));
        e->setMaxLength(2);
        e->setFixedWidth(36);
        return e;
    };
    edtInt1 = twoDigits("edtInt1", "00");
    edtInt2 = twoDigits("edtInt2", "02");
    Label2 = new QLabel(QStringLiteral("mm:ss(00:01~59:59)"), GroupBox1);
    Label2->setObjectName(QStringLiteral("Label2"));
    interval->addWidget(edtInt1);
    interval->addWidget(new QLabel(QStringLiteral(":"), GroupBox1));
    interval->addWidget(edtInt2);
    interval->addWidget(Label2);
    interval->addStretch(1);
    layout->addWidget(GroupBox1);
    Button2 =
        button(this, "Button2", QStringLiteral("Adjust Meter Recording Interval To This Amount"));
    layout->addWidget(Button2);
    Button3 = button(this, "Button3", QStringLiteral("Erase Meter Memory"));
    layout->addWidget(Button3);

    GroupBox2 = new QGroupBox(QStringLiteral("Meter DataLogger Information"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* info = new QGridLayout(GroupBox2);
    lblVer = infoLabel(info, 0, "FirmWare Version:", "lblVer");
    lblMeterTime = infoLabel(info, 1, "Meter Time:", "lblMeterTime");
    lblInt = infoLabel(info, 2, "Recording Interval:", "lblInt");
    lblDataSets = infoLabel(info, 3, "Data Sets In Memory:", "lblDataSets");
    lblMemoryAvailable = infoLabel(info, 4, "Memory Available:", "lblMemoryAvailable");
    lblMemTest = infoLabel(info, 5, "Memory Test:", "lblMemTest");
    Button4 = button(GroupBox2, "Button4", QStringLiteral("Read  "));
    info->addWidget(Button4, 6, 0, 1, 2);
    layout->addWidget(GroupBox2);

    Grid1 = new QTableWidget(1, 12, this);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->horizontalHeader()->setDefaultSectionSize(32);
    Grid1->horizontalHeader()->setVisible(false);
    Grid1->verticalHeader()->setVisible(false);
    Grid1->verticalHeader()->setDefaultSectionSize(16);
    Grid1->setColumnWidth(10, 80);
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid1->setMinimumHeight(120);
    layout->addWidget(Grid1, 1);

    Button5 = button(this, "Button5", QStringLiteral("全部執行"));
    Button5->setVisible(service);  // the factory sequence is for the service bench only
    layout->addWidget(Button5);

    connect(Button1, &QPushButton::clicked, this, &TfrmSetup::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfrmSetup::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TfrmSetup::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TfrmSetup::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TfrmSetup::Button5Click);
}

void TfrmSetup::closeEvent(QCloseEvent* event) {
    emit closed();
    QWidget::closeEvent(event);
}

void TfrmSetup::Button1Click() {
    std::optional<CommandFrame> sent;
    runSession([&](logger::SetupSession& session) {
        sent = session.setClock(tdt::toDateTime(clock_.now()));
    });
    Dialogs::instance().message(sent ? logger::clockSuccessText(*sent)
                                     : QStringLiteral("Meter time updated fail"));
}

void TfrmSetup::Button2Click() {
    const auto interval = logger::intervalInput(edtInt1->text(), edtInt2->text());
    if (!interval) {
        Dialogs::instance().message(QStringLiteral("Invalid Input"));
        return;
    }
    bool ok = false;
    runSession([&](logger::SetupSession& session) {
        ok = session.setInterval(interval->first, interval->second);
    });
    Dialogs::instance().message(ok ? QStringLiteral("Recording Interval Setup Successfully")
                                   : QStringLiteral("Recording Interval Setup Fail"));
}

void TfrmSetup::Button3Click() {
    // Erasing loses every recorded set: the same question and check as the menu's command.
    eraseMeterMemory(link_);
}

void eraseMeterMemory(MeterLink& link) {
    if (appState().MeterRecording) {
        Dialogs::instance().message(QStringLiteral(
            "The meter is recording data, please stop recording before erasing data."));
        return;
    }
    if (Dialogs::instance().question(QStringLiteral("Are you sure to erase memory ?"),
                                     Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes)
        return;
    try {
        link.sendKey('e');
    } catch (const EAbort&) {
    }
}

void TfrmSetup::logReply(const QByteArray& reply, qint64 ms) {
    const int row = Grid1->rowCount() - 1;
    for (int i = 0; i < 9 && i < reply.size(); ++i)
        Grid1->setItem(row, i + 1,
                       new QTableWidgetItem(
                           QStringLiteral("%1")
                               .arg(static_cast<std::uint8_t>(reply[i]), 2, 16, QLatin1Char('0'))
                               .toUpper()));
    Grid1->setItem(row, 10, new QTableWidgetItem(localetext::timeText(ms / tdt::kMsPerDay)));
    Grid1->setRowCount(row + 2);
    Grid1->scrollToBottom();
}

bool TfrmSetup::readInformation(logger::SetupSession& session) {
    const auto version = session.readVersion();
    if (!version)
        return false;
    lblVer->setText(logger::versionText(*version));
    const auto time = session.readMeterTime();
    if (!time)
        return false;
    const AppState& st = appState();
    lblMeterTime->setText(logger::meterTimeText(*time, st.DateOrder, st.DateSeparator));
    const auto block = session.readFirstBlock();
    if (!block)
        return false;
    lblDataSets->setText(QString::number(logger::storedSetCount(*block)));
    lblInt->setText(logger::storedIntervalText(*block));
    lblMemoryAvailable->setText(QString::number(logger::memoryAvailable(*block)));
    clock_.delay(1500);
    Grid1->setRowCount(2);
    for (int c = 0; c < Grid1->columnCount(); ++c)
        Grid1->setItem(1, c, new QTableWidgetItem());
    Grid1->setItem(1, 0, new QTableWidgetItem(QStringLiteral("00")));
    const bool tested =
        session.runMemoryTest([this](const QByteArray& reply, qint64 ms) { logReply(reply, ms); });
    lblMemTest->setText(tested ? QStringLiteral("OK") : QStringLiteral("False"));
    return true;
}

void TfrmSetup::Button4Click() {
    for (QLabel* l : {lblMemoryAvailable, lblMeterTime, lblInt, lblDataSets})
        l->clear();
    runSession([this](logger::SetupSession& session) { readInformation(session); });
}

void TfrmSetup::runSession(const std::function<void(logger::SetupSession&)>& exchange) {
    WaitCursor wait;
    SetupPort port(link_, comm2_);
    try {
        if (!port.open())
            return;
        logger::SetupSession session(comm2_, clock_);
        session.preamble();
        exchange(session);
    } catch (const EAbort&) {
    }
}

void TfrmSetup::Button5Click() {
    using Stage = logger::SetupSession::FactoryStage;
    bool ok = false;
    {
        auto info = std::make_unique<TfrmInfo>(parentWidget());
        const auto show = [&info](const char* text) {
            info->Label1->setText(QString::fromUtf8(text));
            info->Label1->adjustSize();
            QCoreApplication::processEvents();
        };
        info->show();
        show("開始設定電表時間");
        WaitCursor wait;
        SetupPort port(link_, comm2_);
        try {
            if (port.open()) {
                logger::SetupSession session(comm2_, clock_);
                session.preamble();
                ok = session.runFactorySequence(
                    tdt::toDateTime(clock_.now()), edtInt1->text(), edtInt2->text(),
                    [&](Stage s) {
                        switch (s) {
                            case Stage::Clock:
                                show("開始設定電表時間");
                                break;
                            case Stage::Interval:
                                show("設定記錄間隔");
                                break;
                            case Stage::Erase:
                                show("清除記憶體");
                                break;
                            case Stage::Test:
                                show("開始測試記憶體");
                                for (QLabel* l :
                                     {lblMemoryAvailable, lblMeterTime, lblInt, lblDataSets})
                                    l->clear();
                                break;
                        }
                    },
                    [&] { return readInformation(session); });
            }
        } catch (const EAbort&) {
            ok = false;
        }
        info->Label1->setText(QStringLiteral("Preparing to load ....."));
    }
    if (!ok)
        Dialogs::instance().message(QStringLiteral("設定失敗"));
}
