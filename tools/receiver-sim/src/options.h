// The command line of receiver-sim.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "output_queue.h"
#include "receiver.h"

namespace kestrel::sim {

struct SimOptions {
  std::string link = "COM1";
  std::string scenarioPath;
  std::string memoryIn;
  std::string memoryOut;
  std::string logPath;
  bool silent = false;
  Millis hangupAfterMs = kNever;
  Millis exitAfterMs = kNever;
  bool help = false;
  bool version = false;
  ReceiverOptions receiver;
  OutputOptions output;
};

// Reads the arguments after the program name; false with a message on a fault.
bool ParseOptions(const std::vector<std::string>& arguments, SimOptions& options,
                  std::string& error);

extern const char* const kHelpText;

}  // namespace kestrel::sim
