// Bank files and the bank operations.
#pragma once

namespace kestrel {

// Reads BankFileName into ListLines; 0 when read, greater than 0 when the open failed
// (then "bnf" has been said and the table is left as it was).
int LoadBankFile();
// Writes ListLines to BankFileName through its end marker, replacing the file in one step.
void SaveBankFile();

void PutFrequency();
void TransferBank();
void MergeIntoBank();
void SortBankFile();
void WriteBankToReceiver();

}  // namespace kestrel
