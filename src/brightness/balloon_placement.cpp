#include "brightness/balloon_placement.hpp"

namespace bc {

namespace {

// Screen arithmetic is done in 64 bits; a result outside the 32-bit range keeps its low bits,
// so window corner plus tip still gives the point.
std::int32_t low32(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

} // namespace

VirtualScreen virtualScreenFromMetrics(std::int32_t left, std::int32_t top, std::int32_t width,
                                       std::int32_t height, std::int32_t primaryWidth,
                                       std::int32_t primaryHeight) {
    if (width == 0 || height == 0)
        return {0, 0, primaryWidth, primaryHeight};
    return {left, top, low32(std::int64_t{left} + width), low32(std::int64_t{top} + height)};
}

BalloonBody balloonBodyFor(std::int32_t textWidth, std::int32_t textHeight) {
    const std::int32_t cx = textWidth + 1;
    const std::int32_t cy = textHeight + 1;
    const std::int32_t w = cx + 2 * kBalloonTextMargin;
    const std::int32_t h = cy + 2 * kBalloonTextMargin;
    return {w, h, h + kBalloonTailLength};
}

BalloonPlacement placeBalloon(BalloonPoint point, const BalloonBody& body,
                              const VirtualScreen& screen) {
    const std::int64_t x = point.x;
    const std::int64_t y = point.y;
    const std::int64_t w = body.w;

    BalloonPlacement p;
    p.body = body;
    if (x - kBalloonTailInset + w > screen.right)
        p.tailEnd = BalloonTailEnd::Right;
    p.above = y + body.H > screen.bottom;

    std::int64_t tipX =
        p.tailEnd == BalloonTailEnd::Left ? kBalloonTailInset : w - kBalloonTailInset;
    if (p.tailEnd == BalloonTailEnd::Left && x - tipX < screen.left)
        tipX = x - screen.left;
    if (p.tailEnd == BalloonTailEnd::Right && x - tipX + w > screen.right)
        tipX = x + w - screen.right;
    const std::int64_t tipY = p.above ? body.H : 0;

    p.tip = {low32(tipX), low32(tipY)};
    p.window = {low32(x - tipX), low32(y - tipY)};
    p.windowWidth = body.w + kBalloonShadowOffset.x;
    p.windowHeight = body.H + kBalloonShadowOffset.y;
    p.textOrigin = {kBalloonTextMargin, kBalloonTextMargin + (p.above ? 0 : kBalloonTailLength)};
    return p;
}

} // namespace bc
