#include "window/logic/StoredGeometry.h"

#include <algorithm>

namespace {

// The top rows of the outer frame that hold its title bar, and how much of
// them a screen must show for the user to take the frame.
constexpr long long kTitleBarRows = 30;
constexpr long long kGripColumns = 40;
constexpr long long kGripRows = 10;

// The edges as 64-bit numbers: left + width never overflows.
struct Edges {
    long long left;
    long long top;
    long long right;
    long long bottom;
};

Edges EdgesOf(const FrameRect& r)
{
    return {r.left, r.top, 0LL + r.left + std::max(r.width, 0), 0LL + r.top + std::max(r.height, 0)};
}

// value held to [low, high]; low wins when high < low. Both bounds are ints.
int Clamp(long long value, long long low, long long high)
{
    return static_cast<int>(std::max(low, std::min(value, high)));
}

Edges BoxAround(const std::vector<FrameRect>& rects)
{
    Edges box = EdgesOf(rects.front());
    for (const FrameRect& r : rects) {
        const Edges e = EdgesOf(r);
        box = {std::min(box.left, e.left), std::min(box.top, e.top), std::max(box.right, e.right),
               std::max(box.bottom, e.bottom)};
    }
    return box;
}

// A position on one axis: where start lies, held so that extent fits in
// [low, high) where it can (at low where it cannot).
int Inside(long long start, int extent, long long low, long long high)
{
    return Clamp(start, low, std::max(low, high - extent));
}

// The centre place on one axis of a screen [origin, origin + screenExtent)
// for a frame of extent (held to [0, limit]), as the class library centred.
long long Centred(int origin, int screenExtent, int extent, long long limit)
{
    const long long held = std::clamp<long long>(extent, 0, limit);
    return origin + (static_cast<long long>(screenExtent) - held) / 2;
}

}  // namespace

bool TitleBarInReach(const FrameRect& frame, const std::vector<FrameRect>& screens)
{
    const Edges f = EdgesOf(frame);
    const long long barBottom = std::min(f.bottom, f.top + kTitleBarRows);
    for (const FrameRect& screen : screens) {
        const Edges s = EdgesOf(screen);
        const long long columns = std::min(f.right, s.right) - std::max(f.left, s.left);
        const long long rows = std::min(barBottom, s.bottom) - std::max(f.top, s.top);
        if (columns >= std::min(kGripColumns, f.right - f.left) && rows >= std::min(kGripRows, barBottom - f.top))
            return true;
    }
    return false;
}

FrameRect PlaceStoredFrame(const StoredFrame& stored, FrameSize minimum, const Screens& screens)
{
    if (screens.available.empty())
        return {0, 0, minimum.width, minimum.height};
    const Edges box = BoxAround(screens.available);
    const long long boxWidth = box.right - box.left;
    const long long boxHeight = box.bottom - box.top;
    FrameRect frame;
    frame.width = Clamp(stored.width, minimum.width, std::max<long long>(minimum.width, boxWidth));
    frame.height = Clamp(stored.height, minimum.height, std::max<long long>(minimum.height, boxHeight));

    const FrameRect& primary = screens.primary;
    frame.left = stored.left
        ? *stored.left
        : Inside(Centred(primary.left, primary.width, stored.width, boxWidth), frame.width, box.left, box.right);
    frame.top = stored.top
        ? *stored.top
        : Inside(Centred(primary.top, primary.height, stored.height, boxHeight), frame.height, box.top, box.bottom);
    if (TitleBarInReach(frame, screens.available))
        return frame;
    const Edges onto = EdgesOf(screens.available.front());
    frame.left = Inside(frame.left, frame.width, onto.left, onto.right);
    frame.top = Inside(frame.top, frame.height, onto.top, onto.bottom);
    return frame;
}

int DescriptionColumnWidth(int pasek, int headerWidth)
{
    return Clamp(pasek, 0, std::max(headerWidth, 0));
}

int MonitorInterval(int stored)
{
    const int interval = Clamp(stored, 0, kLongestMonitorInterval);
    return interval == 0 ? 0 : std::max(interval, kShortestMonitorInterval);
}

int CategoryToSelect(int stored)
{
    return std::max(stored, -1);
}
