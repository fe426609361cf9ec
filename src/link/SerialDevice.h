#pragma once

#include "link/TComPort.h"

// Opens a system serial device with the live link's line settings: 9600 baud, 8 data bits, no
// parity, 1 stop bit, DTR off, RTS on, exclusive.
std::unique_ptr<ComDevice> openSerialDevice(const QString& name);

// The system's serial ports, as device names, in the order the system reports them.
QStringList systemSerialPorts();
