// Pieces of the command entry that live in separate files of this folder; nothing outside
// src/commands/ uses them.
#pragma once

namespace kestrel::command_parts {

// The pause between two receiver commands: "shdel" from the fixed folder, heard even with
// speech off.
void Pause();

// "W" and "R", acted on before Enter. True when the call of HandleKey ends here.
bool ActOnEarlyKey();
// The keys "Z", "S", "K", "F", "H", Up, Down, "D", "M". True when one of them matched.
bool ActOnKeyBeforeScanEnd();
// The keys "E" to "T" tested after the scan-end rule.
void ActOnKeyAfterScanEnd();

void SayTunedFrequency();  // what "F" says: the frequency and the mode, or "scan"
void CheckBankSettings();  // "Z"
void StartListScan();      // "R" with a list loaded
void BrowseList();         // Up and Down with a list loaded for browsing
void PassMemoryChannel();  // "P" while the memory scan stands on a channel

void StartMemoryScan();    // execution of "radbank"
void EndRunningScan();     // Enter with nothing pending while a scan runs

}  // namespace kestrel::command_parts
