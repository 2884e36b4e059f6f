// The command entry, the command keys and the executions of pending commands.
#pragma once

namespace kestrel {

void HandleKey();            // acts on the first entry of KeyQueue
void EnterDigit();           // a digit or the point in KeyCode
void FixBankSetting();       // gives the bank under check 90 channels and waits for it
void ExecutePendingCommand();  // Enter (and "Q"): runs PendingCommand
void ApplyTypedFrequency();
void SelectBank();
void KillListEntry();

}  // namespace kestrel
