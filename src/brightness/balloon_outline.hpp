#pragma once
#include "brightness/balloon_placement.hpp"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace bc {

// The balloon's outline in window coordinates: the body, columns left..right and rows
// top..bottom with both ends included and its corners following a 16 x 16 ellipse, joined with
// the tail triangle, whose base lies on the body's edge row nearest the point.
struct BalloonOutline {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    std::int32_t cornerDiameter = 16;
    std::array<BalloonPoint, 3> tail; // the tip, then the base point under it and the other one
};

BalloonOutline balloonOutline(const BalloonPlacement& placement);

// The tail as pixel rows, from the tip's row to the base row, each span with both ends
// included, so the tip pixel and both sides belong to the tail whichever way it points.
struct BalloonRowSpan {
    std::int32_t row = 0;
    std::int32_t left = 0;
    std::int32_t right = 0;
    friend bool operator==(const BalloonRowSpan&, const BalloonRowSpan&) = default;
};

std::vector<BalloonRowSpan> balloonTailSpans(const BalloonOutline& outline);

inline constexpr std::uint8_t kBalloonShadowAlpha = 153; // darkens what is behind to 40 %
inline constexpr std::int32_t kBalloonShadowSoftening = 7;

// The opacity of every pixel of the balloon window, row by row, from the outline's coverage
// (width x height, nonzero inside): 255 on the outline; on the outline shifted by the shadow
// offset alone the shadow's alpha, its edge softened over 7 pixels each way; 0 elsewhere.
std::vector<std::uint8_t> balloonWindowAlpha(std::span<const std::uint8_t> outlineMask,
                                             std::int32_t width, std::int32_t height);

} // namespace bc
