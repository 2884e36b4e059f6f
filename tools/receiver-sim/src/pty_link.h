// The pseudo-terminal the panel talks to, and the link to it in the working folder.
#pragma once

#include <string>
#include <string_view>

namespace kestrel::sim {

class PtyLink {
 public:
  ~PtyLink() { Close(); }
  // Makes the terminal (raw, no echo) and the link; false with a message.
  bool Open(const std::string& linkPath, std::string& error);
  const std::string& TerminalName() const { return terminalName_; }
  int MasterFd() const { return master_; }
  // After the panel has closed the terminal: clears the exclusive use a killed panel could
  // not clear, so the next panel may open it. Where only root could still open it, a fresh
  // terminal takes its place behind the link. false with a message when that failed.
  bool Release(std::string& error);
  // Whether some program holds the terminal open: with none, the master sees a hang-up.
  bool PeerOpen() const;
  // Whatever has arrived, without waiting.
  std::string ReadAvailable();
  void Write(std::string_view bytes);
  // The speed and shape the panel set, as "9600 8N2".
  std::string SettingsText() const;
  // Closes the terminal and removes the link if it still leads to it. Safe to call twice.
  void Close();

 private:
  int master_ = -1;
  std::string terminalName_;
  std::string linkPath_;
};

}  // namespace kestrel::sim
