#pragma once
#include <cstdint>

namespace bc {

struct BalloonPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const BalloonPoint&, const BalloonPoint&) = default;
};

// The bounding rectangle of all monitors; right and bottom are left + width and top + height.
struct VirtualScreen {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const VirtualScreen&, const VirtualScreen&) = default;
};

// From the SM_*VIRTUALSCREEN metrics; a system without them reports a zero size, and then the
// primary screen from (0, 0) counts.
VirtualScreen virtualScreenFromMetrics(std::int32_t left, std::int32_t top, std::int32_t width,
                                       std::int32_t height, std::int32_t primaryWidth,
                                       std::int32_t primaryHeight);

// Sizes that follow from the text block: 12 px margins around the text (measured one pixel
// larger each way), and the 16 px tail on top of the body's height.
struct BalloonBody {
    std::int32_t w = 0; // body width
    std::int32_t h = 0; // body height
    std::int32_t H = 0; // body and tail
    friend bool operator==(const BalloonBody&, const BalloonBody&) = default;
};

inline constexpr std::int32_t kBalloonTextMargin = 12;
inline constexpr std::int32_t kBalloonTailLength = 16;
inline constexpr std::int32_t kBalloonTailInset = 16; // the tail's upright side from the body's end
inline constexpr std::int32_t kBalloonTailBase = 12;
inline constexpr BalloonPoint kBalloonShadowOffset{5, 3};

BalloonBody balloonBodyFor(std::int32_t textWidth, std::int32_t textHeight);

enum class BalloonTailEnd { Left, Right };

// Where the balloon goes for a tip point. All points but `window` are in window coordinates.
struct BalloonPlacement {
    BalloonBody body;
    BalloonTailEnd tailEnd = BalloonTailEnd::Left;
    bool above = false;            // body above the point, tail on its bottom edge
    BalloonPoint tip;              // A: the tail's tip, which lands on the point
    BalloonPoint window;           // the window's top-left corner on the screen
    std::int32_t windowWidth = 0;  // room for the shadow to the right
    std::int32_t windowHeight = 0; // and below
    BalloonPoint textOrigin;       // the text block's top-left corner
    friend bool operator==(const BalloonPlacement&, const BalloonPlacement&) = default;
};

// Starts below the point with the tail at the left end; turns to the right end if the body
// would pass the screen's right edge, then above the point if it would pass the bottom; then
// leans the tail to keep the body's outer end on the screen sideways. Nothing else is tested:
// a balloon above the point may pass the top edge.
BalloonPlacement placeBalloon(BalloonPoint point, const BalloonBody& body,
                              const VirtualScreen& screen);

} // namespace bc
