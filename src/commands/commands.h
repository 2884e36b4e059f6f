// The command entry, the command keys and the executions of pending commands.
#pragma once

namespace kestrel {

void HandleKey();              // acts on the first entry of KeyQueue
void EnterDigit();             // a digit or the point in KeyCode
void FixBankSetting();         // gives the bank under check 90 channels and waits for it
void ExecutePendingCommand();  // Enter (and "Q"): runs PendingCommand
void ApplyTypedFrequency();
void SelectBank();
// Removes the browsed entry and saves the bank: 0 when saved, greater than 0 when its file
// was not written (or no entry stood there).
int KillListEntry();

}  // namespace kestrel
