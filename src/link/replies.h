// Reading the receiver's replies: the keywords ReadReply cuts a reply at, and the readers
// of the fields the program takes from ReplyText (the level, the frequency).
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

struct ReplyKeyword {
  const char* keyword;
  int kept;  // characters kept from the keyword on
};

// In order of preference: the first keyword present wins, wherever it stands. The answer
// to a memory listing is traced whole between the two tables.
inline constexpr ReplyKeyword kKeywordsBeforeMemoryList[] = {{"LC", 30}, {"MW", 13}};
inline constexpr ReplyKeyword kKeywordsAfterMemoryList[] = {{"MX", 60}, {"VS", 18}, {"LM", 6}};

inline constexpr const char* kReplyLevel = "LM";        // asked level: "LM" + flag + 3 digits
inline constexpr const char* kReplyLevelReport = "LC";  // unasked level report, read like "LM"
inline constexpr int kLevelReportOffset = 10;           // added to the level of an "LC" reply
inline constexpr int kHighestLevel = 255;
inline constexpr const char* kReplyScanningFlag = "%";  // third character while scanning
inline constexpr const char* kReplyFrequency = "RF";    // followed by ten digits in Hz
inline constexpr int kReplyFrequencyDigits = 10;

inline constexpr int kHertzPerMegahertz = 1000000;
inline constexpr int kHertzDigits = 6;      // the digits of a frequency after the MHz point
inline constexpr int kMegahertzDigits = 4;  // the whole MHz of the receiver's ten digits

// True when ReplyText is a level reply, asked ("LM") or not ("LC").
bool IsLevelReply();
// True when the flag of ReplyText (its third character) says the receiver is scanning.
bool ReplyShowsScanning();
// The three characters after the flag of a level reply read as a number, as the level bar
// and the network port take it: "LM 087" and "LM%087" give 87.
double ReplyLevelField();
// The level 0..255 of ReplyText when it is a level reply with the squelch open ("LM 087",
// "LC087 MA05 ..."); -1 for any other reply.
int ReplyLevel();
// The frequency field after the first "RF" of ReplyText: the digits up to the first
// character that is not one, at most ten, so a blank, CR or LF behind them never becomes
// part of the frequency. "" when the reply has no "RF".
std::string ReplyFrequencyDigits();
// The receiver's ten digits in Hz read as MHz: "0145500000" gives "0145.500000".
std::string WithMegahertzPoint(std::string_view digits);

}  // namespace kestrel
