#pragma once

#include <QStringList>

#include "cli/CliOutput.h"
#include "cli/CliTable.h"

namespace cli {

// Runs a command line (the arguments after the program's name); the exit status.
int run(const QStringList& argv, const Io& io);

// The commands on files.
int cmdSets(const Args& a, const Io& io);
int cmdExport(const Args& a, const Io& io);
int cmdStats(const Args& a, const Io& io);
int cmdConvert(const Args& a, const Io& io);
// The commands on the meter.
int cmdPorts(const Args& a, const Io& io);
int cmdLive(const Args& a, const Io& io);
int cmdDownload(const Args& a, const Io& io);
int cmdRecall(const Args& a, const Io& io);
int cmdInfo(const Args& a, const Io& io);
int cmdSetClock(const Args& a, const Io& io);
int cmdSetInterval(const Args& a, const Io& io);
int cmdErase(const Args& a, const Io& io);

// Set by Ctrl-C (SIGINT) or SIGTERM: the running command ends cleanly.
bool stopRequested();
void requestStop();

}  // namespace cli
