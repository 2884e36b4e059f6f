// The port layer: serial ports by number 1..256. Every operation on a number outside that
// range, or on a port that is not open, does nothing and returns 0.
#pragma once

#include <string>

#include "runtime/platform/serial_device.h"

namespace kestrel {

inline constexpr int kPortCount = 256;

// "COM" + n below 10, "\\.\COM" + n from 10 on.
std::string PortDeviceName(int port);

// Opens the device exclusively at the given speed, 8 data bits, no parity, one stop bit,
// reads timed out after 1000 ms between bytes or 5 ms per byte. 1 on success, 0 on failure.
int OpenPort(int port, int baud);
// As OpenPort, but only what the port's last open reached (see SerialPorts::Reopen).
int ReopenPort(int port, int baud);
// Stop code 1 gives one stop bit, anything else two. 1 when writing the settings failed.
int SetLineShape(int port, int dataBits, int parity, int stopCode);
// m = -1: reads return at once; otherwise 1000 ms between bytes and m ms per byte.
int SetReadTimeouts(int port, int m);
int PortBytesWaiting(int port);
int ReadPort(int port, char* buffer, int max);
// Copies at most max of the bytes waiting without reading them; returns the count copied.
int PeekPort(int port, char* buffer, int max);
// A descriptor that becomes readable when new bytes arrive on the port; -1 when none.
int PortWaitHandle(int port);
int WritePort(int port, const char* buffer, int n);
int ClosePort(int port);
// 1 when the port's device has gone away under the program (it then reads and writes
// nothing until it is closed and opened again); 0 for a working or closed port.
int PortGone(int port);
// Closes every open port (program end and test set-up).
void CloseAllPorts();

}  // namespace kestrel
