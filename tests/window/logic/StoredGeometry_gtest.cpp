// The ranges of the numbers start-up takes from "dovra.ini": the window's
// outer frame on the screens there are, the description column, the
// monitor's interval and the category chosen.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <vector>

#include "window/logic/StoredGeometry.h"

static std::ostream& operator<<(std::ostream& out, const FrameRect& r)
{
    return out << r.left << " " << r.top << " " << r.width << " x " << r.height;
}

namespace {

constexpr int kMinWidth = 640;
constexpr int kMinHeight = 470;
const FrameSize kMinimum{kMinWidth, kMinHeight};

// One screen of 1280 x 1024 with a panel of 24 rows at its bottom.
Screens OneScreen()
{
    return {{{0, 0, 1280, 1000}}, {0, 0, 1280, 1024}};
}

// A primary screen, and a smaller one on its right, top edges level: the
// corner below the smaller one shows nowhere.
Screens TwoScreens()
{
    return {{{0, 0, 1280, 1024}, {1280, 0, 800, 600}}, {0, 0, 1280, 1024}};
}

// A screen left of the primary one, at negative coordinates, lower down.
Screens ScreenOnTheLeft()
{
    return {{{0, 0, 1920, 1080}, {-1024, 200, 1024, 768}}, {0, 0, 1920, 1080}};
}

const int kHostile[] = {INT_MIN, INT_MIN + 1, -100000, -1, 0, 1, 100000, INT_MAX - 1, INT_MAX};

// Every frame placed is at least the minimum, at most the box around the
// screens, and its title bar lies on one of them.
void ExpectShownAndReachable(const FrameRect& frame, const Screens& screens)
{
    long long boxLeft = LLONG_MAX, boxTop = LLONG_MAX, boxRight = LLONG_MIN, boxBottom = LLONG_MIN;
    for (const FrameRect& s : screens.available) {
        boxLeft = std::min<long long>(boxLeft, s.left);
        boxTop = std::min<long long>(boxTop, s.top);
        boxRight = std::max<long long>(boxRight, 0LL + s.left + s.width);
        boxBottom = std::max<long long>(boxBottom, 0LL + s.top + s.height);
    }
    EXPECT_GE(frame.width, kMinWidth) << frame;
    EXPECT_GE(frame.height, kMinHeight) << frame;
    EXPECT_LE(frame.width, std::max<long long>(kMinWidth, boxRight - boxLeft)) << frame;
    EXPECT_LE(frame.height, std::max<long long>(kMinHeight, boxBottom - boxTop)) << frame;
    // Some screen shows 40 columns and 10 rows of the frame's top 30 rows,
    // where its title bar is.
    bool reachable = false;
    for (const FrameRect& s : screens.available) {
        const long long w =
            std::min(0LL + frame.left + frame.width, 0LL + s.left + s.width) - std::max<long long>(frame.left, s.left);
        const long long h =
            std::min(0LL + frame.top + 30, 0LL + s.top + s.height) - std::max<long long>(frame.top, s.top);
        reachable = reachable || (w >= 40 && h >= 10);
    }
    EXPECT_TRUE(reachable) << frame;
}

}  // namespace

TEST(StoredGeometry, EveryHostileFrameIsShownAndReachable)
{
    for (const Screens& screens : {OneScreen(), TwoScreens(), ScreenOnTheLeft()})
        for (int size : kHostile)
            for (int place : kHostile) {
                SCOPED_TRACE(testing::Message() << "size " << size << ", place " << place);
                ExpectShownAndReachable(PlaceStoredFrame({size, size, place, place}, kMinimum, screens), screens);
                ExpectShownAndReachable(PlaceStoredFrame({size, 600, place, std::nullopt}, kMinimum, screens), screens);
                ExpectShownAndReachable(PlaceStoredFrame({700, size, std::nullopt, place}, kMinimum, screens), screens);
            }
}

TEST(StoredGeometry, SizeIsHeldBetweenTheMinimumAndTheDesktop)
{
    const struct {
        int width, height;
        FrameSize expected;
    } cases[] = {
        {900, 700, {900, 700}},           {300, 100, {640, 470}},         {100000, 100000, {2080, 1024}},
        {INT_MAX, INT_MAX, {2080, 1024}}, {INT_MIN, INT_MIN, {640, 470}}, {-1, 0, {640, 470}},
        {2080, 1024, {2080, 1024}},       {2081, 1025, {2080, 1024}},
    };
    for (const auto& c : cases) {
        const FrameRect frame = PlaceStoredFrame({c.width, c.height, 0, 0}, kMinimum, TwoScreens());
        EXPECT_EQ(frame.width, c.expected.width) << c.width;
        EXPECT_EQ(frame.height, c.expected.height) << c.height;
    }
    // A desktop smaller than the minimum: the minimum wins.
    const Screens tiny{{{0, 0, 320, 240}}, {0, 0, 320, 240}};
    const FrameRect frame = PlaceStoredFrame({INT_MAX, INT_MAX, INT_MAX, INT_MAX}, kMinimum, tiny);
    EXPECT_EQ(frame, (FrameRect{0, 0, 640, 470}));
}

TEST(StoredGeometry, PlaceIsKeptWhileReachableElseBroughtOntoThePrimaryScreen)
{
    const struct {
        const char* name;
        Screens screens;
        std::optional<int> left, top;
        FrameRect expected;
    } cases[] = {
        {"inside", TwoScreens(), 100, 80, {100, 80, 700, 500}},
        {"partly left of the screen", TwoScreens(), -50, 10, {-50, 10, 700, 500}},
        {"mostly left, 40 columns shown", TwoScreens(), -660, 10, {-660, 10, 700, 500}},
        {"mostly left, 39 columns shown", TwoScreens(), -661, 10, {0, 10, 700, 500}},
        {"title bar 10 rows shown", TwoScreens(), 10, 1014, {10, 1014, 700, 500}},
        {"title bar 9 rows shown", TwoScreens(), 10, 1015, {10, 524, 700, 500}},
        {"title bar 10 rows below the top", TwoScreens(), 10, -20, {10, -20, 700, 500}},
        {"title bar 9 rows below the top", TwoScreens(), 10, -21, {10, 0, 700, 500}},
        {"on the right screen", TwoScreens(), 1400, 100, {1400, 100, 700, 500}},
        {"below the right screen", TwoScreens(), 1400, 700, {580, 524, 700, 500}},
        {"far away", TwoScreens(), INT_MAX, INT_MIN, {580, 0, 700, 500}},
        {"on the left screen", ScreenOnTheLeft(), -900, 300, {-900, 300, 700, 500}},
        {"above the left screen", ScreenOnTheLeft(), -900, 100, {0, 100, 700, 500}},
        {"within the panel", OneScreen(), 10, 995, {10, 500, 700, 500}},
        {"centred when not stored", TwoScreens(), std::nullopt, std::nullopt, {290, 262, 700, 500}},
        {"centred on the primary screen only", ScreenOnTheLeft(), std::nullopt, 0, {610, 0, 700, 500}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceStoredFrame({700, 500, c.left, c.top}, kMinimum, c.screens), c.expected) << c.name;
}

// A place not stored centres the frame on the primary screen with its size
// as stored, before the minimum raises it; a frame wider than the primary
// screen then starts at the desktop's edge.
TEST(StoredGeometry, CentringUsesTheStoredSize)
{
    EXPECT_EQ(PlaceStoredFrame({642, 420, std::nullopt, std::nullopt}, kMinimum, TwoScreens()),
              (FrameRect{319, 302, 642, 470}));
    EXPECT_EQ(PlaceStoredFrame({300, 100, std::nullopt, std::nullopt}, kMinimum, TwoScreens()),
              (FrameRect{490, 462, 640, 470}));
    EXPECT_EQ(PlaceStoredFrame({INT_MIN + 1, INT_MIN + 1, std::nullopt, std::nullopt}, kMinimum, TwoScreens()),
              (FrameRect{640, 512, 640, 470}));
    EXPECT_EQ(PlaceStoredFrame({INT_MAX, INT_MAX, std::nullopt, std::nullopt}, kMinimum, TwoScreens()),
              (FrameRect{0, 0, 2080, 1024}));
}

// Nothing to show the frame on: the smallest frame at the origin.
TEST(StoredGeometry, NoScreenKnown)
{
    const Screens none{{}, {0, 0, 0, 0}};
    EXPECT_EQ(PlaceStoredFrame({INT_MAX, INT_MIN, INT_MAX, INT_MIN}, kMinimum, none), (FrameRect{0, 0, 640, 470}));
    EXPECT_EQ(PlaceStoredFrame({700, 500, 30, 40}, kMinimum, none), (FrameRect{0, 0, 640, 470}));
}

TEST(StoredGeometry, DescriptionColumnIsHeldToTheHeader)
{
    const struct {
        int pasek, header, expected;
    } cases[] = {
        {200, 600, 200}, {0, 600, 0},       {600, 600, 600}, {601, 600, 600}, {INT_MAX, 600, 600},
        {-1, 600, 0},    {INT_MIN, 600, 0}, {INT_MIN, 0, 0}, {50, -5, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DescriptionColumnWidth(c.pasek, c.header), c.expected) << c.pasek << " in " << c.header;
}

TEST(StoredGeometry, MonitorIntervalAndCategoryAreHeldToTheirRanges)
{
    // 1 to 499 would poll the clipboard on the GUI thread almost without a
    // pause: they read as the shortest interval the options dialog offers.
    const std::pair<int, int> intervals[] = {{1000, 1000}, {16, 500},      {1, 500},       {499, 500},
                                             {500, 500},   {501, 501},     {0, 0},         {-5, 0},
                                             {INT_MIN, 0}, {50000, 50000}, {50001, 50000}, {INT_MAX, 50000}};
    for (const auto& [stored, expected] : intervals)
        EXPECT_EQ(MonitorInterval(stored), expected) << stored;
    const std::pair<int, int> categories[] = {{-1, -1}, {0, 0}, {12, 12}, {-2, -1}, {INT_MIN, -1}, {INT_MAX, INT_MAX}};
    for (const auto& [stored, expected] : categories)
        EXPECT_EQ(CategoryToSelect(stored), expected) << stored;
}
