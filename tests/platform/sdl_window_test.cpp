// The SDL window system on SDL's dummy video driver: a real surface, real fonts, the real
// timer and event queue, no display needed.
#include <gtest/gtest.h>

#include <SDL.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "runtime/platform/linux_fonts.h"
#include "runtime/platform/linux_window.h"

namespace kestrel::platform {
namespace {

constexpr std::uint32_t kRed = 0xff;
constexpr std::uint32_t kBlue = 0xff0000;
const FontSpec kPanelFont{"Ariel", 30, 700};

class SdlWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_TRUE(windows.Open(250, 100, 950, 500, "test"));
  }
  void TearDown() override {
    windows.Close();
    unsetenv("SDL_VIDEODRIVER");
  }

  // Counts the pixels of one colour (0x00BBGGRR) in a box of the window.
  int CountPixels(std::uint32_t colour, const SDL_Rect& box) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("kestrel-window-" + std::to_string(getpid()) + ".bmp"))
                                 .string();
    EXPECT_TRUE(windows.SaveScreenshot(path));
    SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
    std::filesystem::remove(path);
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0);
    SDL_FreeSurface(loaded);
    int count = 0;
    for (int y = box.y; y < box.y + box.h; ++y) {
      for (int x = box.x; x < box.x + box.w; ++x) {
        const auto* p = static_cast<const Uint8*>(rgb->pixels) + y * rgb->pitch + x * 3;
        if (static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16) == colour) ++count;
      }
    }
    SDL_FreeSurface(rgb);
    return count;
  }

  static void Push(const SDL_Event& event) {
    SDL_Event copy = event;
    ASSERT_EQ(SDL_PushEvent(&copy), 1);
  }

  static SDL_Event Key(Uint32 type, SDL_Scancode scancode, Uint16 mod, Uint8 repeat = 0) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    event.key.keysym.mod = mod;
    event.key.repeat = repeat;
    return event;
  }

  SdlWindowSystem windows;
};

TEST_F(SdlWindowTest, TextIsOpaqueAndItsWidthIsReturned) {
  EXPECT_EQ(windows.DrawText(300, 150, kPanelFont, kRed, ""), 0);
  const int width = windows.DrawText(300, 150, kPanelFont, kRed, "8888");
  EXPECT_GT(width, 60);
  EXPECT_LT(width, 120);
  const SDL_Rect box{300, 150, width, 40};
  EXPECT_GT(CountPixels(kRed, box), 100);
  // Blanks over it erase it: nothing red is left where they stand.
  EXPECT_GE(windows.DrawText(300, 150, kPanelFont, kBlue, "        "), width);
  EXPECT_EQ(CountPixels(kRed, box), 0);
  EXPECT_EQ(CountPixels(0xffffff, box), box.w * box.h);
}

TEST_F(SdlWindowTest, PanelFacesAreTheArialMetricFaceAndPointsZeroIsTheDefaultFont) {
  const int liberation = windows.DrawText(0, 0, {"Liberation Sans", 30, 700}, 0, "145.5000 STOP");
  for (const char* face : {"Ariel", "ARIEL", "Aerial"}) {
    EXPECT_EQ(windows.DrawText(0, 0, {face, 30, 700}, 0, "145.5000 STOP"), liberation) << face;
  }
  EXPECT_EQ(windows.DrawText(0, 0, {"", 0, 700}, 0, "title"),
            windows.DrawText(0, 0, {kDefaultFace, kDefaultPoints, kDefaultWeight}, 0, "title"));
  FontCache fonts;
  ASSERT_TRUE(fonts.Start());
  int index = 0;
  int weight = 0;
  EXPECT_EQ(std::filesystem::path(fonts.FindFile("ARIEL", 700, &index, &weight)).filename(),
            "LiberationSans-Bold.ttf");
  EXPECT_EQ(weight, 700);
}

TEST_F(SdlWindowTest, KeysClosesAndSignalsBecomeTheProgramsEvents) {
  Push(Key(SDL_KEYDOWN, SDL_SCANCODE_A, KMOD_LSHIFT));
  Push(Key(SDL_KEYDOWN, SDL_SCANCODE_A, KMOD_NONE, 1));
  Push(Key(SDL_KEYUP, SDL_SCANCODE_A, KMOD_NONE));
  Push(Key(SDL_KEYDOWN, SDL_SCANCODE_KP_1, KMOD_NUM));
  Push(Key(SDL_KEYDOWN, SDL_SCANCODE_KP_1, KMOD_NONE));
  Push(Key(SDL_KEYDOWN, SDL_SCANCODE_MUTE, KMOD_NONE));
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  Push(close);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  Push(quit);
  std::vector<std::pair<int, int>> got;
  for (const auto& e : windows.WaitEvents()) got.emplace_back(e.code, e.param);
  EXPECT_EQ(got,
            (std::vector<std::pair<int, int>>{
                {256, 65}, {256, 65}, {257, 65}, {256, 97}, {256, 35}, {32770, 0}, {32770, 0}}));
}

TEST_F(SdlWindowTest, AtMostOneTickWaits) {
  windows.StartTimer(50, 1);
  SDL_Delay(400);
  auto events = windows.WaitEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].code, 275);
  EXPECT_EQ(events[0].param, 1);
  // Once handed out, the next tick comes within its period.
  const Uint64 start = SDL_GetTicks64();
  events = windows.WaitEvents();
  EXPECT_LE(SDL_GetTicks64() - start, 100u);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].code, 275);
}

// Input on a watched descriptor ends the wait at once, as a readable event after the
// window's own; events still come as before, and an unwatched descriptor wakes nothing.
TEST_F(SdlWindowTest, AWatchedDescriptorEndsTheWaitLongBeforeTheNextTick) {
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  windows.StartTimer(5000, 1);
  windows.WatchReadable(pipeEnds[0], true);
  ASSERT_EQ(write(pipeEnds[1], "x", 1), 1);
  const Uint64 start = SDL_GetTicks64();
  auto events = windows.WaitEvents();
  EXPECT_LT(SDL_GetTicks64() - start, 1000u);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].code, kEventReadable);
  EXPECT_EQ(events[0].param, pipeEnds[0]);
  windows.WatchReadable(pipeEnds[0], false);
  Push(Key(SDL_KEYDOWN, SDL_SCANCODE_A, 0));
  events = windows.WaitEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].code, kEventKeyDown);
  close(pipeEnds[0]);
  close(pipeEnds[1]);
}

TEST_F(SdlWindowTest, AStoppedTimerLeavesNoTickBehind) {
  windows.StartTimer(10, 1);
  SDL_Delay(60);
  windows.StopTimer(1);
  SDL_Delay(30);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  Push(quit);
  const auto events = windows.WaitEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].code, 32770);
}

// Unsets an environment variable for the life of the object.
class UnsetVariable {
 public:
  explicit UnsetVariable(const char* name) : name_(name) {
    const char* value = std::getenv(name);
    if (value) saved_ = value;
    had_ = value != nullptr;
    unsetenv(name);
  }
  ~UnsetVariable() {
    if (had_) setenv(name_, saved_.c_str(), 1);
  }

 private:
  const char* name_;
  std::string saved_;
  bool had_ = false;
};

TEST(SdlWindowWithoutDisplay, OpeningFailsAndNothingElseDoes) {
  // Without a display SDL would go on to drivers that show nothing; those do not count.
  UnsetVariable display("DISPLAY");
  UnsetVariable wayland("WAYLAND_DISPLAY");
  UnsetVariable driver("SDL_VIDEODRIVER");
  SdlWindowSystem windows;
  EXPECT_FALSE(windows.Open(250, 100, 950, 500, "test"));
  EXPECT_FALSE(windows.IsOpen());
  EXPECT_EQ(windows.DrawText(0, 0, kPanelFont, 0, "text"), 0);
  windows.StartTimer(100, 1);
  EXPECT_TRUE(windows.WaitEvents().empty());
  windows.Close();
}

}  // namespace
}  // namespace kestrel::platform
