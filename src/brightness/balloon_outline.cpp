#include "brightness/balloon_outline.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace bc {

BalloonOutline balloonOutline(const BalloonPlacement& placement) {
    const BalloonBody& body = placement.body;
    BalloonOutline outline;
    outline.left = 0;
    outline.right = body.w;
    outline.top = placement.above ? 0 : kBalloonTailLength;
    outline.bottom = outline.top + body.h;

    const std::int32_t edgeRow = placement.above ? outline.bottom : outline.top;
    const bool leftEnd = placement.tailEnd == BalloonTailEnd::Left;
    const std::int32_t upright = leftEnd ? kBalloonTailInset : body.w - kBalloonTailInset;
    const std::int32_t other = leftEnd ? upright + kBalloonTailBase : upright - kBalloonTailBase;
    outline.tail = {placement.tip, BalloonPoint{upright, edgeRow}, BalloonPoint{other, edgeRow}};
    return outline;
}

std::vector<BalloonRowSpan> balloonTailSpans(const BalloonOutline& outline) {
    const BalloonPoint tip = outline.tail[0];
    const std::int32_t edgeRow = outline.tail[1].y;
    const std::int32_t rows = std::abs(edgeRow - tip.y);
    const std::int32_t step = edgeRow >= tip.y ? 1 : -1;

    std::vector<BalloonRowSpan> spans;
    for (std::int32_t i = 0; i <= rows; ++i) {
        // Where each side of the triangle crosses this row, a fraction i / rows of the way
        // from the tip to the base.
        const auto sideAt = [&](std::int32_t baseX) {
            if (rows == 0)
                return static_cast<double>(baseX);
            return tip.x + (static_cast<double>(baseX) - tip.x) * i / rows;
        };
        const double a = sideAt(outline.tail[1].x);
        const double b = sideAt(outline.tail[2].x);
        spans.push_back({tip.y + step * i, static_cast<std::int32_t>(std::lround(std::min(a, b))),
                         static_cast<std::int32_t>(std::lround(std::max(a, b)))});
    }
    return spans;
}

std::vector<std::uint8_t> balloonWindowAlpha(std::span<const std::uint8_t> outlineMask,
                                             std::int32_t width, std::int32_t height) {
    const auto inOutline = [&](std::int32_t x, std::int32_t y) {
        return x >= 0 && y >= 0 && x < width && y < height &&
               outlineMask[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                           static_cast<std::size_t>(x)] != 0;
    };
    // The shadow is the outline moved by the offset; it reaches past the window's right and
    // bottom border, and what lies there still counts for the softening.
    const auto inShadow = [&](std::int32_t x, std::int32_t y) {
        return inOutline(x - kBalloonShadowOffset.x, y - kBalloonShadowOffset.y);
    };

    // A 7 x 7 box blur of the shadow shape, kept only on the shadow itself: the window's
    // shape ends at the shadow's edge.
    constexpr std::int32_t radius = kBalloonShadowSoftening / 2;
    constexpr std::int32_t box = kBalloonShadowSoftening * kBalloonShadowSoftening;
    std::vector<std::uint8_t> alpha(outlineMask.size(), 0);
    std::size_t i = 0;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x, ++i) {
            if (outlineMask[i] != 0) {
                alpha[i] = 255;
                continue;
            }
            if (!inShadow(x, y))
                continue;
            std::int32_t covered = 0;
            for (std::int32_t dy = -radius; dy <= radius; ++dy)
                for (std::int32_t dx = -radius; dx <= radius; ++dx)
                    covered += inShadow(x + dx, y + dy) ? 1 : 0;
            alpha[i] = static_cast<std::uint8_t>((kBalloonShadowAlpha * covered + box / 2) / box);
        }
    }
    return alpha;
}

} // namespace bc
