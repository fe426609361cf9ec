#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

#include "core/CommandFrame.h"
#include "core/TDateTime.h"

class TfrmPanel;
class TfrmGraph;
class QWidget;

// The process-wide values the windows share. One instance, made before the main window and
// destroyed after it; see appState().
struct AppState {
    // A monotonic time so far back that any interval since it has passed.
    static constexpr qint64 kLongAgoMs = -(qint64(1) << 60);

    // Identity and connection
    QString ModelName = QStringLiteral("NX410");
    int MeterModel = 410;
    bool Connected = false;
    int PortIndex = 0;
    int SavedPortIndex = 0;
    int SavedModel = 0;
    bool MeterRecording = false;

    // Live link
    QByteArray ReceiveBuffer;
    CommandFrame commandFrame = CommandFrame::withLetter('K');
    CommandFrame loggerFrame = CommandFrame::withLetter(0);
    QByteArray CommandText;
    bool FrameSeen = false;
    int MissCount = 0;
    int MissLimit = 3;
    bool FirstTick = true;
    qint64 LastTickMs = 0;  // monotonic time of the last watchdog tick
    int FramesWithTrailer = 0;
    int ChecksumErrors = 0;
    int FramesDecoded = 0;

    // Busy flags
    bool TimerBusy = false;
    bool ReceiveBusy = false;
    bool BlinkBusy = false;

    // Panel display memory (the digit pictures themselves are held by the panel library)
    bool ForceRedraw = true;
    bool ReadMode = false;
    bool ClockShown = false;
    int BatteryLevel = 3;
    std::uint8_t ShownBattery = 5;
    std::array<std::uint8_t, 4> ShownDigits{};
    std::array<std::uint8_t, 2> ShownStatus{};
    std::uint8_t ShownSeconds = 0;
    bool BlinkPhase = false;

    // Real-time recording
    float RealTimeRate = 0.2f;
    bool RealTimeRunning = false;
    int SampleCount = 0;
    qint64 LastSampleMs = kLongAgoMs;  // monotonic time of the last sample
    float MaxLevel = 0;
    float MinLevel = 0;
    TDateTime MaxLevelTime = 0;
    TDateTime MinLevelTime = 0;
    bool RealTimeUnsaved = false;
    bool LoggerDataUnsaved = false;

    // Shared by every graph window
    int CursorIndexA = 0;
    int CursorIndexB = 0;
    int LastAnnotationIndex = 4;  // the first annotation placed takes index 5
    int GraphTool = -99;          // -99 normal, 0 text, 2 cross

    // Windows (null while closed; each window clears its own field when it closes)
    TfrmPanel* PanelWindow = nullptr;
    TfrmGraph* RealTimeGraphWindow = nullptr;
    TfrmGraph* DataLoggerWindow = nullptr;
    QWidget* DataCaptureWindow = nullptr;
    QWidget* AboutWindow = nullptr;

    // Folders and formats
    QString DataFolder;
    QString DateSeparator = QStringLiteral("/");
    int DateOrder = 1;
};

AppState& appState();
// Back to the initial values; for tests.
void resetAppState();
