#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace bc {

// The balloon's text style: everything is 宋体 9 pt in black, so only the weight varies.
struct BalloonTextStyle {
    int weight = 400;
    friend bool operator==(const BalloonTextStyle&, const BalloonTextStyle&) = default;
};

inline constexpr int kBalloonBaseWeight = 400;
inline constexpr int kBalloonMaxWeight = 900;
inline constexpr int kBalloonFontPoints = 9;

// The font's character-cell height in pixels for the display's vertical dots per inch,
// truncated: 12 at 96 dpi.
constexpr int balloonFontCellHeight(int dotsPerInch) {
    return kBalloonFontPoints * dotsPerInch / 72;
}

struct BalloonFontMetrics {
    int ascent = 0;
    int descent = 0;
};

// Measures text in the font of a style; the Win32 shell asks GDI, the tests use fixed numbers.
class BalloonTextMeasurer {
  public:
    virtual ~BalloonTextMeasurer() = default;
    virtual int runWidth(const BalloonTextStyle& style, std::wstring_view run) = 0;
    virtual BalloonFontMetrics fontMetrics(const BalloonTextStyle& style) = 0;
};

// A stretch of one line in one style, x measured from the text block's left edge.
struct BalloonTextRun {
    std::wstring text;
    BalloonTextStyle style;
    int x = 0;
    int width = 0;
};

// One line: its runs left to right, its top from the block's top, the baseline at top + ascent.
struct BalloonTextLine {
    std::vector<BalloonTextRun> runs;
    int top = 0;
    int ascent = 0;
    int height = 0;
    int width = 0;
};

struct BalloonTextBlock {
    std::vector<BalloonTextLine> lines;
    int width = 0;  // the widest line
    int height = 0; // all lines stacked
};

// Lays out balloon markup: "<b>" doubles the weight (at most 900), "</b>" returns to the style
// before its "<b>", a line feed ends the line, a carriage return is dropped. Other tags are
// skipped; a "<" that does not open a tag on its line is text. Every line feed starts a new
// line, so the text after the last one is a line too, empty or not.
BalloonTextBlock layoutBalloonMarkup(std::wstring_view markup, BalloonTextMeasurer& measurer);

} // namespace bc
