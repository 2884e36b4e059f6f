// Where the panel writes: every position, font and colour of the screen in one place.
#pragma once

#include <cstdint>

#include "state/version.h"

namespace kestrel::screen {

struct Place {
  int x;
  int y;
};

// The panel window: caption, place and client size on the desktop, style (a minimise
// button), and the timer that drives the poller.
inline constexpr const char* kCaption =
    "*** AR8600 Kestrel Front Panel v" KESTREL_PANEL_VERSION "***";
inline constexpr Place kWindowPlace{250, 100};
inline constexpr int kWindowWidth = 950;
inline constexpr int kWindowHeight = 500;
inline constexpr int kWindowStyle = 0x20000;
inline constexpr int kTimerPeriodMs = 100;
inline constexpr int kTimerNumber = 1;

inline constexpr std::uint32_t kBlack = 0;
inline constexpr std::uint32_t kRed = 0xff;
inline constexpr std::uint32_t kGreen = 0xff00;
inline constexpr std::uint32_t kBlue = 0xff0000;

inline constexpr int kBold = 700;
inline constexpr const char* kFace = "Ariel";            // the panel's face
inline constexpr const char* kFaceSmall = "ARIEL";       // the raw test line
inline constexpr const char* kFaceAfterMode = "Aerial";  // left current after the mode field

inline constexpr Place kTitle{270, 0};
inline constexpr const char* kTitleLine = "*** Kestrel V " KESTREL_PANEL_VERSION " ***";
inline constexpr Place kConfigMissing{0, 30};
inline constexpr Place kConfigAdvice{0, 60};
inline constexpr Place kSetupCommand{0, 100};  // the first start found no receiver: what to run
inline constexpr Place kSetupReason{0, 130};
inline constexpr Place kSetupFound{0, 460};  // the first start found the receiver
inline constexpr Place kConnectOrigin{0, 0};
inline constexpr Place kLevelBar{320, 30};
inline constexpr Place kModeField{380, 80};
inline constexpr Place kFrequencyField{300, 150};
inline constexpr Place kSearchStart{80, 250};
inline constexpr Place kSearchStep{300, 250};
inline constexpr Place kSearchStopMode{500, 250};
inline constexpr Place kSearchEnd{750, 250};
inline constexpr Place kStatusLine{270, 320};
inline constexpr Place kSearchModeLine{290, 320};
inline constexpr Place kListLabelScan{340, 370};
inline constexpr Place kListLabelBrowse{300, 370};
inline constexpr Place kSearchLimits{340, 370};
inline constexpr Place kKeyLine{340, 370};
inline constexpr Place kFoundWord{20, 400};
inline constexpr Place kFoundCount{750, 400};
inline constexpr Place kRawTestLine{0, 0};
inline constexpr Place kLowerClear1{150, 300};
inline constexpr Place kLowerClear2{0, 350};
inline constexpr Place kLowerClear3{300, 400};
inline constexpr Place kLowerClear4{300, 450};

inline constexpr int kSmallPoints = 10;
inline constexpr int kSetupPoints = 14;  // the first start's lines, long device names included
inline constexpr int kNormalPoints = 30;
inline constexpr int kLargePoints = 50;
inline constexpr int kClearPoints = 70;

inline constexpr const char* kScanningText = "      *** SCANNING ***  ";
inline constexpr const char* kStoppedText = "      *** STOPPED ***  ";
inline constexpr const char* kSearchModeText = "Search Mode Active";

// The level bar ends in ">" and blanks that wipe a longer bar drawn before.
inline constexpr const char* kLevelBarEnd = ">                 ";                 // ">" + 17
inline constexpr const char* kLevelScanningText = ">                          ";  // ">" + 26
inline constexpr int kListLabelClearBlanks = 39;  // wipes the list label line

}  // namespace kestrel::screen
