// Bank files and the bank operations.
#pragma once

#include <string>

namespace kestrel {

// Reads BankFileName into ListLines; 0 when read, greater than 0 when the open failed
// (then "bnf" has been said and the table is left as it was).
int LoadBankFile();
// BankFileName = name, then LoadBankFile; when that fails BankFileName names again the bank
// that ListLines still holds, so a later save cannot put it into another file.
int LoadBankFileNamed(const std::string& name);
// Writes ListLines to BankFileName through its end marker, replacing the file in one step.
// 0 when the file was written; greater than 0 when it was not (it is then left as it was).
int SaveBankFile();
// Removes what saves cut short by a crash or a kill left behind (their temporary files).
void RemoveStaleBankTemporaries();

void PutFrequency();
void TransferBank();
void MergeIntoBank();
void SortBankFile();
void WriteBankToReceiver();

// The frequency line of the entry of ListLines at `line`, or of the nearest one in
// `direction` (2 onwards, -2 backwards, round from the last entry to the first and back)
// whose frequency line is a frequency the receiver may be sent; 0 when no entry has one.
int FrequencyEntryFrom(int line, int direction);

}  // namespace kestrel
