// ResetProgramState reaches the state that lives inside single source files too.
#include <gtest/gtest.h>

#include "unit/commands_fixture.h"

namespace kestrel {
namespace {

using fakes::CommandsTest;
using fakes::FakeLine;

class ProgramResetTest : public CommandsTest {};

TEST_F(ProgramResetTest, TheBankUnderCheckStartsAtAAgain) {
  line->onWrite = [](FakeLine& self, const std::string& block) {
    if (block.size() == 4) self.Feed("MW " + block.substr(2, 1) + ":90 a:10\r");
  };
  Type("Z");  // checks A to J and leaves J as the bank under check
  ResetProgramState();
  FakeLine& fresh = ConnectReceiver();
  fresh.TakeWritten();
  fresh.arrivals = {"\r"};
  FixBankSetting();
  EXPECT_EQ(fresh.written, "MWA90\r");
}

}  // namespace
}  // namespace kestrel
