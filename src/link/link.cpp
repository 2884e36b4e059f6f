#include "link/link.h"

#include "link/port.h"
#include "link/receiver_commands.h"
#include "link/replies.h"
#include "runtime/files.h"
#include "speech/speech.h"
#include "state/link.h"

namespace kestrel {
namespace {

constexpr int kReplyReadMax = 255;

bool CutAtKeyword(const ReplyKeyword& entry) {
  const int at = Find(ReplyText.str(), entry.keyword, 1);
  if (at == 0) return false;
  MatchPosition = at;
  ReplyText.AssignRaw(Mid(ReplyText.str(), at, entry.kept));
  LogReply();
  return true;
}

}  // namespace

void WriteTraceLine() {
  if (DebugFlag == 1) WriteLine(TraceFile, LogLine);
}

void SendCommand() {
  if (CommandText.empty()) return;
  // The CR goes out whatever the command's length; kept in CommandText beside it, it may
  // stand one character past the text limit.
  const std::string line = CommandText + "\r";
  if (LinkCondition == kLinkLost || PortGone(PortNumber) != 0) {
    // Nothing reaches a lost receiver: the trace says so once, not "TX=" for each command.
    if (CommandsDropped++ == 0) {
      LogLine = "receiver lost: not sent, nor any command until it is back: " + CommandText;
      WriteTraceLine();
    }
    CommandText.AssignRaw(line);
    return;
  }
  LogLine = "TX= " + CommandText;
  WriteTraceLine();
  CommandText.AssignRaw(line);
  WritePort(PortNumber, line.c_str(), Length(line));
}

void ReadReply() {
  ReplyText = "";
  BytesWaiting = PortBytesWaiting(PortNumber);
  if (BytesWaiting <= 0) return;
  char buffer[kReplyReadMax];
  BytesWaiting = ReadPort(PortNumber, buffer, kReplyReadMax);
  ReplyText.AssignRaw(std::string_view(buffer, static_cast<std::size_t>(BytesWaiting)));
  for (const auto& entry : kKeywordsBeforeMemoryList) {
    if (CutAtKeyword(entry)) return;
  }
  // The answer to a memory listing is traced whole before it is cut.
  if (Left(CommandText.str(), 2) == kCommandMemoryList) LogReply();
  for (const auto& entry : kKeywordsAfterMemoryList) {
    if (CutAtKeyword(entry)) return;
  }
  ReplyText = "";
}

void LogReply() {
  LogLine = "RX= " + ReplyText;
  WriteTraceLine();
  if (DisplayLine == "Connecting") {
    LinkState = kLinkAnswered;
    SayWord("connected");
    DisplayLine = ">";
  }
}

void SendResumeByte() { WritePort(PortNumber, &kResumeByte, 1); }

}  // namespace kestrel
