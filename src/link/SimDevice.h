#pragma once

#include "link/TComPort.h"

class Clock;
class MeterEmulator;

// The simulated meter wired in-process, on a Clock: what the computer writes reaches the meter
// at the line's speed and its answers come back the same way.
std::unique_ptr<ComDevice> openSimDevice(MeterEmulator& meter, Clock& clock);
