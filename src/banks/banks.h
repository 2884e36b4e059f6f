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

void PutFrequency();
void TransferBank();
void MergeIntoBank();
void SortBankFile();
void WriteBankToReceiver();

}  // namespace kestrel
