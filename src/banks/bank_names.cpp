#include "banks/bank_names.h"

#include <string_view>

namespace kestrel {
namespace {

bool IsKeyCharacter(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.';
}

}  // namespace

std::string BankFileNameOf(const std::string& key) {
  return kBankNamePrefix + key + kBankNameSuffix;
}

bool IsSafeBankFileName(const std::string& name) {
  const std::string_view text(name);
  if (!text.starts_with(kBankNamePrefix) || !text.ends_with(kBankNameSuffix)) return false;
  for (const char c : text) {
    if (!IsKeyCharacter(c)) return false;
  }
  return true;
}

}  // namespace kestrel
