// Pieces of the command entry that live in separate files of this folder; nothing outside
// src/commands/ uses them.
#pragma once

namespace kestrel::command_parts {

// The pause between two receiver commands: "shdel" from the fixed folder, heard even with
// speech off.
void Pause();

// Acts on KeyCode by the key table, after HandleKey has taken the digits, the point, "Q"
// and the test command.
void ActOnCommandKey();
// The bank letter typed as the argument of "write" (any key but Enter) and of "radbank".
void TakeWriteBankLetter();
void TakeRadbankLetter();

void CheckBankSettings();  // "Z"
void StartListScan();      // "R" with a list loaded
void BrowseList();         // Up and Down with a list loaded for browsing
void PassMemoryChannel();  // "P" while the memory scan stands on a channel

void StartMemoryScan();  // execution of "radbank"
void EndRunningScan();   // Enter with nothing pending while a scan runs

}  // namespace kestrel::command_parts
