#include <gtest/gtest.h>

#include "output_queue.h"

namespace kestrel::sim {
namespace {

// Every write due up to `now`, each in brackets.
std::string Drain(OutputQueue& queue, Millis now) {
  std::string writes;
  for (std::string bytes; !(bytes = queue.TakeDue(now)).empty();) writes += "[" + bytes + "]";
  return writes;
}

TEST(OutputQueue, DelayedRepliesKeepTheOrderOfTheirCommands) {
  OutputQueue queue({.replyDelayMs = 100});
  queue.Push({"slow\r\n", 1500}, 0);  // the bank split takes its time
  queue.Push({"LM%000\r\n"}, 10);
  queue.Push({"LC%000 VA\r\n", 0, true}, 20);
  EXPECT_EQ(queue.NextDue(), 1600);
  EXPECT_EQ(Drain(queue, 1599), "");
  EXPECT_EQ(Drain(queue, 1600), "[slow\r\n][LM%000\r\n][LC%000 VA\r\n]");
  EXPECT_EQ(queue.NextDue(), kNever);
}

TEST(OutputQueue, UnaskedLinesDoNotWaitForTheReplyDelay) {
  OutputQueue queue({.replyDelayMs = 300});
  queue.Push({"LC087 VA RF0145500000\r\n", 0, true}, 50);
  EXPECT_EQ(Drain(queue, 50), "[LC087 VA RF0145500000\r\n]");
}

TEST(OutputQueue, SplitSendsEachReplyInTwoWritesApart) {
  OutputQueue queue({.split = true, .splitGapMs = 30});
  queue.Push({"LM 087\r\n"}, 0);
  queue.Push({"\r\n"}, 0);
  EXPECT_EQ(Drain(queue, 0), "[LM 0]");
  EXPECT_EQ(Drain(queue, 29), "");
  EXPECT_EQ(Drain(queue, 30), "[87\r\n][\r]");  // the next reply waits for the first
  EXPECT_EQ(Drain(queue, 60), "[\n]");
}

TEST(OutputQueue, NoiseIsRepeatableByItsSeedAndNeverSpellsAKeyword) {
  auto noisy = [](unsigned seed) {
    OutputQueue queue({.noise = true, .seed = seed});
    std::string all;
    for (int i = 0; i < 200; ++i) {
      queue.Push({"#"}, i);
      all += queue.TakeDue(i) + "|";
      EXPECT_EQ(queue.TakeDue(i), "#");
    }
    return all;
  };
  const std::string noise = noisy(5);
  EXPECT_EQ(noise, noisy(5));
  EXPECT_NE(noise, noisy(6));
  EXPECT_EQ(noise.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos);
  EXPECT_GT(noise.size(), 200u * 2);
}

}  // namespace
}  // namespace kestrel::sim
