// Every text the program sends to the receiver, in one place. Commands are sent through
// SendCommand, which adds the CR; the resume byte goes out alone.
#pragma once

namespace kestrel {

// The mode commands stand in the mode table, state/modes.h.
inline constexpr const char* kCommandTuneVfoA = "VA";  // + VFO frequency form
inline constexpr const char* kCommandTuneVfoB = "VB";  // + VFO frequency form
inline constexpr const char* kCommandStep = "ST";      // + step form
inline constexpr const char* kCommandAttenuatorOn = "AT1";
inline constexpr const char* kCommandAttenuatorOff = "AT0";
inline constexpr const char* kCommandNoiseLimiterOn = "NL1";
inline constexpr const char* kCommandNoiseLimiterOff = "NL0";
inline constexpr const char* kCommandLevel = "LM";
inline constexpr const char* kCommandReport = "RX";
inline constexpr const char* kCommandSearch = "VS";
inline constexpr const char* kCommandLevelReportsOn = "LC1";
inline constexpr const char* kCommandMemoryList = "MA";  // + bank letter
inline constexpr const char* kCommandMemoryRead = "MR";  // + channel, or alone
inline constexpr const char* kCommandPassOn = "MP1";
inline constexpr const char* kCommandPassOff = "MP0";
inline constexpr const char* kCommandMemoryScan = "MS";  // + bank letter, or alone
inline constexpr const char* kCommandBankSplit = "MW";   // + bank letter (+ "90")
inline constexpr const char* kBankSplitWanted = "90";
inline constexpr const char* kCommandMemoryErase = "MQ";  // + bank letter + "%%"
inline constexpr const char* kMemoryEraseAll = "%%";
inline constexpr const char* kCommandMemoryWrite = "MX";  // + channel and the fields below
inline constexpr const char* kFieldFrequency = " RF";
inline constexpr const char* kFieldFixedStep = " ST012500";
inline constexpr const char* kFieldMode = " MD";
inline constexpr const char* kFieldText = " TM";
inline constexpr const char* kCommandExit = "EX";
inline constexpr char kResumeByte = 30;

// The keywords and fields read in replies, and their readers, stand in link/replies.h.

}  // namespace kestrel
