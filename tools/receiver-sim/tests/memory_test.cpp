#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "memory.h"

namespace kestrel::sim {
namespace {

Channel Stored(Hz hz, std::string text = "") {
  Channel channel;
  channel.used = true;
  channel.hz = hz;
  channel.text = std::move(text);
  return channel;
}

TEST(ChannelText, ListsEveryFieldOrDashesForAnEmptyChannel) {
  Channel channel = Stored(145'500'000, "TOWER");
  channel.pass = 1;
  channel.mode = 2;
  EXPECT_EQ(ChannelLine({'A', 5}, channel), "MXA05 MP1 RF0145500000 ST012500 AU0 MD2 AT0 TMTOWER");
  EXPECT_EQ(ChannelLine({'j', 49}, Channel{}), "MXj49 ---");
}

TEST(ChannelText, FieldsChangeOnlyWhatTheyName) {
  Channel channel = Stored(145'500'000, "OLD");
  ASSERT_TRUE(ApplyChannelFields(" RF0433500000 MD5", channel));
  EXPECT_EQ(channel.hz, 433'500'000);
  EXPECT_EQ(channel.mode, 5);
  EXPECT_EQ(channel.text, "OLD");
  EXPECT_EQ(channel.stepHz, kPowerOnStepHz);
  // The text comes last and keeps its blanks, up to twelve characters.
  ASSERT_TRUE(ApplyChannelFields(" ST006.25 TMAIR  BAND 1 AND MORE", channel));
  EXPECT_EQ(channel.stepHz, 6'250);
  EXPECT_EQ(channel.text, "AIR  BAND 1 ");
  // A mode field without its digit keeps the mode.
  ASSERT_TRUE(ApplyChannelFields(" RF0145500000 ST012500 MD TM" + std::string(12, ' '), channel));
  EXPECT_EQ(channel.mode, 5);
  EXPECT_EQ(channel.text, std::string(12, ' '));
}

TEST(ChannelText, RefusesMalformedFields) {
  for (const char* bad :
       {" RF145500000", " MD9", " AU2", " XX1", "RF0145500000", " RF", " ST000125", " MP"}) {
    Channel channel = Stored(145'500'000);
    EXPECT_FALSE(ApplyChannelFields(bad, channel)) << bad;
  }
}

TEST(BankSplit, UpperBankTakesTheFirstChannelsOfThePair) {
  Memory memory;
  EXPECT_EQ(memory.BankSize('C'), 50);
  EXPECT_EQ(memory.BankSize('c'), 50);
  memory.SetSplit('c', 90);
  EXPECT_EQ(memory.BankSize('C'), 90);
  EXPECT_EQ(memory.BankSize('c'), 10);
  EXPECT_EQ(memory.BankSize('D'), 50);
  EXPECT_EQ(memory.BankSize('K'), 0);
  EXPECT_NE(memory.Find({'C', 89}), nullptr);
  EXPECT_EQ(memory.Find({'c', 10}), nullptr);
  EXPECT_EQ(SplitLine('c', memory), "MW C:90 c:10");
}

TEST(BankSplit, ChannelsThatNoLongerFitAreErasedAndTheOthersKept) {
  Memory memory;
  *memory.Find({'A', 49}) = Stored(145'000'000);
  *memory.Find({'a', 9}) = Stored(146'000'000);
  *memory.Find({'a', 10}) = Stored(147'000'000);
  memory.SetSplit('A', 90);
  EXPECT_TRUE(memory.Find({'A', 49})->used);
  EXPECT_TRUE(memory.Find({'a', 9})->used);
  memory.SetSplit('A', 10);
  EXPECT_EQ(memory.Find({'A', 49}), nullptr);
  memory.SetSplit('A', 50);
  EXPECT_FALSE(memory.Find({'A', 49})->used);
  EXPECT_TRUE(memory.Find({'a', 9})->used);
  EXPECT_FALSE(memory.Find({'a', 10})->used);
}

class MemoryFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("receiver-sim-memory-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string Write(const std::string& text) {
    const auto path = (folder_ / "memory.txt").string();
    std::ofstream(path) << text;
    return path;
  }
  std::filesystem::path folder_;
};

TEST_F(MemoryFileTest, WhatIsSavedLoadsBackTheSame) {
  Memory memory;
  memory.SetSplit('B', 80);
  Channel channel = Stored(145'500'000, "TOWER       ");
  channel.pass = 1;
  *memory.Find({'B', 75}) = channel;
  *memory.Find({'j', 0}) = Stored(2'040'000'000);
  const auto path = (folder_ / "out.txt").string();
  ASSERT_TRUE(SaveMemoryFile(path, memory));
  Memory loaded;
  std::string error;
  ASSERT_TRUE(LoadMemoryFile(path, loaded, error)) << error;
  EXPECT_EQ(loaded.BankSize('b'), 20);
  EXPECT_EQ(ChannelLine({'B', 75}, *loaded.Find({'B', 75})), ChannelLine({'B', 75}, channel));
  EXPECT_TRUE(loaded.Find({'j', 0})->used);
  EXPECT_FALSE(loaded.Find({'A', 0})->used);
}

TEST_F(MemoryFileTest, ReadsTheListingLayoutWithCommentsAndCrLf) {
  Memory memory;
  std::string error;
  ASSERT_TRUE(LoadMemoryFile(
      Write("# preset\r\nMXA05 MP0 RF0145500000 ST012500 AU0 MD1 AT0 TMtext\r\n\r\nMXA06 ---\n"),
      memory, error))
      << error;
  EXPECT_EQ(memory.Find({'A', 5})->text, "text");
  EXPECT_FALSE(memory.Find({'A', 6})->used);
}

TEST_F(MemoryFileTest, NamesTheLineOfAFault) {
  Memory memory;
  std::string error;
  EXPECT_FALSE(LoadMemoryFile(Write("MXA05 RF0145500000\nMXA50 RF0145500000\n"), memory, error));
  EXPECT_NE(error.find(":2:"), std::string::npos) << error;
  EXPECT_FALSE(LoadMemoryFile(Write("MXA05 MD1\n"), memory, error));  // no frequency
  EXPECT_FALSE(LoadMemoryFile(Write("MW A:90 a:20\n"), memory, error));
  EXPECT_FALSE(LoadMemoryFile((folder_ / "missing").string(), memory, error));
}

}  // namespace
}  // namespace kestrel::sim
