#include "brightness/balloon_outline.hpp"
#include "brightness/balloon_placement.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstdint>
#include <vector>

namespace {

using bc::BalloonPoint;
using bc::BalloonTailEnd;

TEST(BalloonBody, MarginsAndTailAroundTheTextMeasuredOnePixelLarger) {
    EXPECT_EQ(bc::balloonBodyFor(140, 62), (bc::BalloonBody{165, 87, 103}));
    EXPECT_EQ(bc::balloonBodyFor(0, 0), (bc::BalloonBody{25, 25, 41}));
}

TEST(VirtualScreen, FromMetricsOrThePrimaryScreenWithoutThem) {
    EXPECT_EQ(bc::virtualScreenFromMetrics(-1280, -200, 2560, 1224, 1280, 1024),
              (bc::VirtualScreen{-1280, -200, 1280, 1024}));
    EXPECT_EQ(bc::virtualScreenFromMetrics(0, 0, 0, 0, 1920, 1080),
              (bc::VirtualScreen{0, 0, 1920, 1080}));
}

// The help text's body on a 1280 x 800 screen unless a case says otherwise: w 165, h 87, H 103.
struct PlacementCase {
    const char* name;
    BalloonPoint point;
    bc::VirtualScreen screen;
    BalloonTailEnd tailEnd;
    bool above;
    BalloonPoint tip;
    std::array<BalloonPoint, 3> tail; // tip, base under it, other base point
    std::int32_t bodyTop;
};

constexpr bc::VirtualScreen kScreen{0, 0, 1280, 800};
constexpr BalloonTailEnd L = BalloonTailEnd::Left;
constexpr BalloonTailEnd R = BalloonTailEnd::Right;

const PlacementCase kPlacements[] = {
    {"far from the edges",
     {500, 300},
     kScreen,
     L,
     false,
     {16, 0},
     {{{16, 0}, {16, 16}, {28, 16}}},
     16},
    {"body just fits on the right",
     {1131, 300},
     kScreen,
     L,
     false,
     {16, 0},
     {{{16, 0}, {16, 16}, {28, 16}}},
     16},
    {"near the right edge",
     {1200, 300},
     kScreen,
     R,
     false,
     {149, 0},
     {{{149, 0}, {149, 16}, {137, 16}}},
     16},
    {"within 16 px of the right edge",
     {1275, 300},
     kScreen,
     R,
     false,
     {160, 0},
     {{{160, 0}, {149, 16}, {137, 16}}},
     16},
    {"balloon just fits below",
     {500, 697},
     kScreen,
     L,
     false,
     {16, 0},
     {{{16, 0}, {16, 16}, {28, 16}}},
     16},
    {"near the bottom",
     {500, 750},
     kScreen,
     L,
     true,
     {16, 103},
     {{{16, 103}, {16, 87}, {28, 87}}},
     0},
    {"near the bottom-right corner",
     {1200, 790},
     kScreen,
     R,
     true,
     {149, 103},
     {{{149, 103}, {149, 87}, {137, 87}}},
     0},
    {"in the bottom-right corner",
     {1279, 799},
     kScreen,
     R,
     true,
     {164, 103},
     {{{164, 103}, {149, 87}, {137, 87}}},
     0},
    {"less than 16 px from the left",
     {5, 300},
     kScreen,
     L,
     false,
     {5, 0},
     {{{5, 0}, {16, 16}, {28, 16}}},
     16},
    {"on the left edge", {0, 300}, kScreen, L, false, {0, 0}, {{{0, 0}, {16, 16}, {28, 16}}}, 16},
    {"16 px from the left",
     {16, 300},
     kScreen,
     L,
     false,
     {16, 0},
     {{{16, 0}, {16, 16}, {28, 16}}},
     16},
    {"left monitor at negative x, near its left edge",
     {-1270, 300},
     {-1280, 0, 1280, 800},
     L,
     false,
     {10, 0},
     {{{10, 0}, {16, 16}, {28, 16}}},
     16},
    // Two monitors side by side: the balloon crosses onto the right one instead of turning.
    {"inner edge of the left monitor",
     {1270, 300},
     {0, 0, 2560, 800},
     L,
     false,
     {16, 0},
     {{{16, 0}, {16, 16}, {28, 16}}},
     16},
    {"above the point, past the top",
     {500, 50},
     {0, 0, 1280, 100},
     L,
     true,
     {16, 103},
     {{{16, 103}, {16, 87}, {28, 87}}},
     0},
};

TEST(BalloonPlacement, TurnsOnceEachWayAndKeepsTheTipOnThePoint) {
    const bc::BalloonBody body = bc::balloonBodyFor(140, 62);
    for (const auto& c : kPlacements) {
        SCOPED_TRACE(c.name);
        const bc::BalloonPlacement p = bc::placeBalloon(c.point, body, c.screen);
        EXPECT_EQ(p.tailEnd, c.tailEnd);
        EXPECT_EQ(p.above, c.above);
        EXPECT_EQ(p.tip, c.tip);
        EXPECT_EQ(p.window, (BalloonPoint{c.point.x - c.tip.x, c.point.y - c.tip.y}));
        EXPECT_EQ(p.windowWidth, 170);
        EXPECT_EQ(p.windowHeight, 106);
        EXPECT_EQ(p.textOrigin, (BalloonPoint{12, c.above ? 12 : 28}));

        const bc::BalloonOutline outline = bc::balloonOutline(p);
        EXPECT_EQ(outline.tail, c.tail);
        EXPECT_EQ(outline.left, 0);
        EXPECT_EQ(outline.right, 165);
        EXPECT_EQ(outline.top, c.bodyTop);
        EXPECT_EQ(outline.bottom, c.bodyTop + 87); // h + 1 rows
        EXPECT_EQ(outline.cornerDiameter, 16);
        // The body's outer end stays on the screen sideways.
        if (c.tailEnd == L)
            EXPECT_GE(p.window.x, c.screen.left);
        else
            EXPECT_LE(p.window.x + body.w, c.screen.right);
    }
}

TEST(BalloonPlacement, ExtremeCoordinatesWrapWithoutOverflow) {
    const bc::BalloonBody body = bc::balloonBodyFor(140, 62);
    const bc::BalloonPlacement p = bc::placeBalloon({INT32_MAX, INT32_MAX}, body, kScreen);
    EXPECT_EQ(p.tailEnd, R);
    EXPECT_TRUE(p.above);
    // The tip still lands on the point in 32-bit arithmetic.
    EXPECT_EQ(static_cast<std::uint32_t>(p.window.x) + static_cast<std::uint32_t>(p.tip.x),
              static_cast<std::uint32_t>(INT32_MAX));
    EXPECT_EQ(static_cast<std::uint32_t>(p.window.y) + static_cast<std::uint32_t>(p.tip.y),
              static_cast<std::uint32_t>(INT32_MAX));
}

TEST(BalloonTail, SpansRunFromTheTipToTheBaseWithBothSidesIncluded) {
    const bc::BalloonBody body = bc::balloonBodyFor(140, 62);
    struct {
        const char* name;
        BalloonPoint point;
        std::vector<bc::BalloonRowSpan> some; // a few of the 17 rows
    } cases[] = {
        {"upright at the left", {500, 300}, {{0, 16, 16}, {8, 16, 22}, {16, 16, 28}}},
        {"upright at the right", {1200, 300}, {{0, 149, 149}, {8, 143, 149}, {16, 137, 149}}},
        {"hanging below the body", {500, 750}, {{103, 16, 16}, {95, 16, 22}, {87, 16, 28}}},
        {"leaning at the left edge", {4, 300}, {{0, 4, 4}, {8, 10, 16}, {16, 16, 28}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto spans =
            bc::balloonTailSpans(bc::balloonOutline(bc::placeBalloon(c.point, body, kScreen)));
        ASSERT_EQ(spans.size(), 17u);
        for (std::size_t i = 1; i < spans.size(); ++i)
            EXPECT_EQ(std::abs(spans[i].row - spans[i - 1].row), 1);
        for (const auto& expected : c.some) {
            const auto found = std::find_if(spans.begin(), spans.end(),
                                            [&](const auto& s) { return s.row == expected.row; });
            ASSERT_NE(found, spans.end()) << expected.row;
            EXPECT_EQ(*found, expected) << expected.row;
        }
    }
}

// A 20 x 10 outline in the top-left corner of a window 4 columns and 2 rows short of its
// shadow, as the real balloon's window is: the shadow is the rectangle (5..24, 3..12).
TEST(BalloonShadow, DarkensToFortyPercentWithAnEdgeSoftenedOverSevenPixels) {
    constexpr std::int32_t width = 24, height = 12;
    std::vector<std::uint8_t> mask(width * height, 0);
    for (std::int32_t y = 0; y < 10; ++y)
        for (std::int32_t x = 0; x < 20; ++x)
            mask[y * width + x] = 1;

    const auto alpha = bc::balloonWindowAlpha(mask, width, height);
    struct {
        std::int32_t x, y;
        int alpha;
    } cases[] = {
        {0, 0, 255},
        {19, 9, 255}, // the balloon covers its shadow
        {20, 6, 153},
        {21, 6, 153}, // 60 % where the softening does not reach
        {22, 6, 131},
        {23, 6, 109}, // 6/7 and 5/7: the shadow's edge is at column 24, beyond the
                      // window
        {10, 10, 131},
        {10, 11, 109},
        {23, 11, 78}, // 5/7 each way near the corner
        {2, 10, 0},
        {22, 1, 0}, // outside the shadow
        {4, 11, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(alpha[c.y * width + c.x], c.alpha) << c.x << "," << c.y;
}

} // namespace
