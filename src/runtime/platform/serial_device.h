// The serial device: one open communications device and the means to open one by name.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kestrel::platform {

// Line settings as the device holds them.
struct SerialSettings {
  int baud = 9600;
  int dataBits = 8;
  int parity = 0;    // 0 none, 1 odd, 2 even
  int stopBits = 1;  // 1 or 2
};

// Read timeouts, in the form the port layer sets them. An interval of -1 with multiplier
// and constant 0 means reads return at once with whatever is buffered.
struct ReadTimeouts {
  int intervalMs = -1;
  int totalMultiplierMs = 0;
  int totalConstantMs = 0;
};

class SerialDevice {
 public:
  virtual ~SerialDevice() = default;
  virtual bool GetSettings(SerialSettings& settings) = 0;
  virtual bool SetSettings(const SerialSettings& settings) = 0;
  virtual bool SetReadTimeouts(const ReadTimeouts& timeouts) = 0;
  // Bytes received and waiting; also clears a pending line error. 0 once the device is gone.
  virtual int BytesWaiting() = 0;
  // Reads at most max bytes under the current timeouts; returns the count read (0 or more).
  virtual int Read(char* buffer, int max) = 0;
  // Copies at most max of the bytes waiting without taking them (Read still returns them);
  // returns the count copied. A device that cannot look ahead copies nothing.
  virtual int Peek(char* /*buffer*/, int /*max*/) { return 0; }
  // A descriptor that becomes readable when bytes arrive (once Peek has seen all that came
  // before, it waits for new ones); -1 when there is none.
  virtual int WaitHandle() const { return -1; }
  // Writes n bytes; returns the count written (0 or more).
  virtual int Write(const char* buffer, int n) = 0;
  // Lets pending output drain for a short while, then closes. Safe to call twice.
  virtual void Close() = 0;
  // True once the device has gone away under the program (adapter unplugged, receiver
  // switched off with it, connection dropped): it will never read or write again, and the
  // port layer may try to open its name anew.
  virtual bool Gone() const = 0;
};

class SerialPorts {
 public:
  virtual ~SerialPorts() = default;
  // Opens the device of a port-layer name ("COM3", "\\.\COM12") exclusively; nullptr when
  // it is missing, busy or not a serial device.
  virtual std::unique_ptr<SerialDevice> Open(const std::string& name) = 0;
  // Opens again what the last Open of that name that worked reached (its link when it is
  // there again, else the device that link led to), never another device the name might
  // mean now; an Open for a name never opened.
  virtual std::unique_ptr<SerialDevice> Reopen(const std::string& name) { return Open(name); }
  // Why the last Open failed, in words for the trace ("" when it did not, or unknown).
  virtual std::string LastOpenProblem() const { return {}; }
  // The device paths of the serial adapters that may be probed for a receiver: none that is
  // the machine's console or that another program holds.
  virtual std::vector<std::string> FreeAdapters() { return {}; }
};

SerialPorts& GetSerialPorts();
// nullptr installs ports that open nothing; main installs the termios ports.
void InstallSerialPorts(SerialPorts* ports);

}  // namespace kestrel::platform
