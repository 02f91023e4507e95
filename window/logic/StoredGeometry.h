// The ranges of the numbers that start-up takes from "dovra.ini", kept apart
// from the window: the main window's outer frame ("Szer", "Wys", "PolX",
// "PolY") on the screens there are, the width of the description column
// ("Pasek"), the clipboard monitor's interval ("CzasMon") and the category
// chosen at start ("AktPoz"). Any int the file can hold gives a value the
// window can use; nothing here overflows.
#pragma once

#include <optional>
#include <vector>

// A rectangle in desktop pixels.
struct FrameRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool operator==(const FrameRect&) const = default;
};

struct FrameSize {
    int width = 0;
    int height = 0;
};

// The screens as the desktop gives them.
struct Screens {
    // The available area of each screen (without panels), the primary first.
    std::vector<FrameRect> available;
    // The whole primary screen: a frame without a stored place is centred on it.
    FrameRect primary;
};

// The outer frame as stored, or as designed where a size is not stored; a
// place not stored is nullopt.
struct StoredFrame {
    int width = 0;
    int height = 0;
    std::optional<int> left;
    std::optional<int> top;
};

// The frame that start-up gives the window:
// - its size is at least minimum and at most the box around every screen's
//   available area (the minimum wins on a smaller desktop);
// - a place not stored centres the frame on the primary screen with its size
//   as stored (before the minimum raises it), kept inside that box;
// - a place stays as stored while the frame can be taken by its title bar on
//   a screen (at least 40 columns and 10 rows of its top 30 rows on one
//   screen's available area); otherwise the frame goes onto the primary
//   screen, as near to the stored place as it fits.
// With no screen known the frame is the minimum at the origin.
FrameRect PlaceStoredFrame(const StoredFrame& stored, FrameSize minimum, const Screens& screens);

// Whether some screen shows enough of the frame's title bar to take it.
bool TitleBarInReach(const FrameRect& frame, const std::vector<FrameRect>& screens);

// "Pasek", the description column's width: from nothing to the header's width.
int DescriptionColumnWidth(int pasek, int headerWidth);

// The shortest and longest intervals of the clipboard monitor, as the
// options dialog offers them.
constexpr int kShortestMonitorInterval = 500;
constexpr int kLongestMonitorInterval = 50000;

// "CzasMon" in milliseconds: 0 (the monitor never ticks), or
// kShortestMonitorInterval to kLongestMonitorInterval (1 to 499 read as the
// shortest); below 0 is 0.
int MonitorInterval(int stored);

// "AktPoz": -1 (no category: all links) or a category id; below -1 is -1.
int CategoryToSelect(int stored);
