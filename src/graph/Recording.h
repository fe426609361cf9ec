#pragma once

#include <QString>
#include <QStringList>

#include "core/TDateTime.h"

struct AppState;
class GraphDocument;

// The sampling intervals offered, in seconds.
inline constexpr double kRealTimeRates[] = {0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 30.0};

// The list entry that stands for a rate, or -1 (30.5 s and above) when none does.
int rateEntry(double rate);
// The list as the locale writes it: "0.1" ... "30.0", or "0,1" ... under a decimal comma.
QStringList rateListTexts();
// trunc(n x rate + 0.5) seconds.
int periodSeconds(int samples, double rate);
// "0:6:40" (plain numbers) or "0:06:40" (two-digit minutes and seconds).
QString periodText(int seconds, bool twoDigits);

// What one frame did to a running recording.
struct SampleResult {
    bool taken = false;
    bool newMax = false;
    bool newMin = false;
    bool redraw = false;
    bool full = false;  // the capacity is reached: the recording must stop
};

// One decoded frame while recording: takes it as the next sample once the rate has passed
// since the last one. nowMs is the monotonic clock at this moment (a wall clock set back must
// not stop the recording), frameTime the frame's time stamp.
SampleResult recordSample(AppState& st, GraphDocument& doc, qint64 nowMs, TDateTime frameTime,
                          float level, bool fastestEntry);

// Prepares the graph for a recording of n samples starting at start.
void startRecording(AppState& st, GraphDocument& doc, int n, TDateTime start);

// Ends a recording at end: the graph keeps exactly the samples taken, its X range ends at end.
// Returns the arithmetic mean of the samples (0 when none was taken).
double stopRecording(AppState& st, GraphDocument& doc, TDateTime end);
